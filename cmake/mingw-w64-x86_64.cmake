# Cross-compiles for 64-bit Windows (Treskal.wlx64) with the POSIX-threads flavour of MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TRESKAL_MINGW_PREFIX x86_64-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake")
