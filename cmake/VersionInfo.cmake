# A version resource for a Windows program, the details that Windows shows in
# the file's properties: the project's version, and the copyright line of the
# licence, so that neither is written twice.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE LUM_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)

function(lum_add_version_info target description)
  set(LUM_FILE_DESCRIPTION ${description})
  set(resource ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
endfunction()
