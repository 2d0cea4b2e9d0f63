# The posix thread model: its libstdc++ has the std::mutex that GoogleTest
# needs. The programs start no threads, and link to the same imports either way.
set(CMAKE_C_COMPILER ${LUM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LUM_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LUM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The programs must run on a bare Windows: no libstdc++, libgcc or winpthread DLLs.
# No link time in the file header, so that one commit always gives the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
