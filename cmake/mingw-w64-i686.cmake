# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (g++-mingw-w64-i686-win32), as
# cmake/mingw-w64-x86_64.cmake does for 64-bit.
#
#   cmake --preset windows-x86      (needs scripts/build-pcre2.sh mingw-w64-i686)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
