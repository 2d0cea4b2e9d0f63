# Included last by each folder of Python tests: every test added there finds
# the helpers of tests/support, and demo's writer of skin files, on its module path.
get_property(lum_folder_tests DIRECTORY PROPERTY TESTS)
set_property(TEST ${lum_folder_tests} APPEND PROPERTY ENVIRONMENT
             PYTHONPATH=${PROJECT_SOURCE_DIR}/tests/support:${PROJECT_SOURCE_DIR}/demo)
