# Cross-compiles for 32-bit Windows (Treskal.wlx) with the POSIX-threads flavour of MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TRESKAL_MINGW_PREFIX i686-w64-mingw32)
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake")

# The .def files name the stdcall exports undecorated (ListLoad, not ListLoad@12), as the host
# looks them up; the linker matches them to the decorated symbols without a warning for each.
string(APPEND CMAKE_SHARED_LINKER_FLAGS_INIT " -Wl,--enable-stdcall-fixup")
