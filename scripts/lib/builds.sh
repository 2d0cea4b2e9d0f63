# The build trees the scripts share, each with its settings written once here,
# and the download written from them. Sourced with the working directory at
# the top of the source tree; every script configures a tree once per run.
#
#   configure_tree DIR [CMAKE-ARGUMENT...]   build/DIR, as the tests run it
#   configure_windows win64|win32            the MinGW cross build of that flavour
#   configure_wasm                           the checker for node and the editor's
#                                            page, which embeds build/win32's lum.exe
#   build_tree DIR [TARGET...]               builds those targets, or all
#   write_package                            dist/lum-VERSION-windows.zip from
#                                            build/win64, build/win32 and build/wasm

configure_tree() {
  local dir=$1
  shift
  cmake -S . -B "build/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

configure_windows() {
  local toolchain=mingw-w64-x86_64.cmake
  [ "$1" = win64 ] || toolchain=mingw-w64-i686.cmake
  configure_tree "$1" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/$toolchain"
}

# Debian's emcc finds its acorn through NODE_PATH when node is not Debian's own.
configure_wasm() {
  NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B build/wasm -DCMAKE_BUILD_TYPE=Release \
    -DLUM_WIN32_BUILD="$PWD/build/win32" >/dev/null
}

build_tree() {
  local dir=$1
  shift
  NODE_PATH=/usr/share/nodejs cmake --build "build/$dir" -j "$(nproc)" ${1:+--target "$@"}
}

# Every entry carries the commit's date, never the time of packing.
write_package() {
  local version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/win64/CMakeCache.txt)
  SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)} python3 package/MakePackage.py "$version" \
    build/win64 build/win32 build/wasm/lum-editor.html "dist/lum-$version-windows.zip"
}
