# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
#
#   cmake -S . -B build/windows -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake
#
# Everything is linked statically, so kestrune.dll and the test clients need no runtime DLLs.
# Libraries built for Windows elsewhere (PCRE2) are found through CMAKE_FIND_ROOT_PATH.
# cmake/mingw-w64-i686.cmake sets the processor first and includes this file.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT CMAKE_SYSTEM_PROCESSOR)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
endif()

set(KESTRUNE_MINGW_TRIPLE ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
# The win32 thread model of the compiler: with the posix model, the statically linked
# winpthread mishandles thread-local objects of a DLL when a thread or the process ends (a
# COM apartment thread crashed in its thread-exit destructors under Wine).
find_program(CMAKE_C_COMPILER NAMES ${KESTRUNE_MINGW_TRIPLE}-gcc-win32 ${KESTRUNE_MINGW_TRIPLE}-gcc
             REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KESTRUNE_MINGW_TRIPLE}-g++-win32 ${KESTRUNE_MINGW_TRIPLE}-g++
             REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KESTRUNE_MINGW_TRIPLE}-windres REQUIRED)
find_program(KESTRUNE_WIDL NAMES ${KESTRUNE_MINGW_TRIPLE}-widl)

list(APPEND CMAKE_FIND_ROOT_PATH /usr/${KESTRUNE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
