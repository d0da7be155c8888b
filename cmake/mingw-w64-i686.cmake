# SPDX-License-Identifier: MIT
# Cross-builds the 32-bit Windows programs with Debian's MinGW-w64 (package g++-mingw-w64-i686-posix):
#   cmake -S . -B build-windows-x86 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
