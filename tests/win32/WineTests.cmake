# Tests of the Windows build, registered in the native build: LUM_WIN64_BUILD
# names the 64-bit build folder.
find_program(LUM_MINGW_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
find_program(LUM_MINGW_STRIP x86_64-w64-mingw32-strip REQUIRED)
set(LUM_WIN32_TESTS_DIR ${CMAKE_CURRENT_LIST_DIR})

# Both builds' lum.exe: system DLLs only, no C++ runtime, small.
foreach(build ${LUM_WIN64_BUILD} ${LUM_WIN32_BUILD})
  get_filename_component(flavour ${build} NAME)
  add_test(NAME lum-${flavour}-system-dlls-no-runtime-small
    COMMAND ${LUM_WIN32_TESTS_DIR}/check-lum-exe.sh ${LUM_MINGW_OBJDUMP} ${LUM_MINGW_STRIP}
            ${build}/src/window/lum.exe)
endforeach()

# A window's tests share the one X display with the end-to-end cases.
add_test(NAME window-tests-under-wine
  COMMAND ${LUM_WIN32_TESTS_DIR}/run-under-wine.sh
          ${LUM_WIN64_BUILD}/tests/win32/lum_window_tests.exe --gtest_brief=1)
set_tests_properties(window-tests-under-wine PROPERTIES
  TIMEOUT 180 RESOURCE_LOCK display)
