# Every Python test is added through lum_add_python_test(NAME name COMMAND
# interpreter script arguments... [ENVIRONMENT name=value...]): it finds the
# helpers of tests/support and demo's writer of skin files on its module
# path, and its exit code 77 (testskip.py, for a tool this machine lacks) is
# reported skipped, never passed.
function(lum_add_python_test)
  cmake_parse_arguments(PARSE_ARGV 0 test "" "NAME" "COMMAND;ENVIRONMENT")
  add_test(NAME ${test_NAME} COMMAND ${test_COMMAND})
  set(environment PYTHONPATH=${PROJECT_SOURCE_DIR}/tests/support:${PROJECT_SOURCE_DIR}/demo ${test_ENVIRONMENT})
  set_tests_properties(${test_NAME} PROPERTIES SKIP_RETURN_CODE 77 ENVIRONMENT "${environment}")
endfunction()
