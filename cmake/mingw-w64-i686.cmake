# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (g++-mingw-w64-i686-win32).
#
#   cmake -S . -B build/windows-x86 -G Ninja --toolchain cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KESTRUNE_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
