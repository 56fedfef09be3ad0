# What both Windows cross builds share; the toolchain file of each bitness sets
# CMAKE_SYSTEM_PROCESSOR and TRESKAL_MINGW_PREFIX, then includes this. The POSIX-threads flavour
# of MinGW-w64, because std::thread and std::mutex need it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${TRESKAL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRESKAL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TRESKAL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRESKAL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wide-character Win32 API by default; Windows 7 is the oldest target.
set(_treskal_win_defs "-DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0601")
set(CMAKE_C_FLAGS_INIT "${_treskal_win_defs}")
set(CMAKE_CXX_FLAGS_INIT "${_treskal_win_defs}")
set(CMAKE_RC_FLAGS_INIT "${_treskal_win_defs}")

# Link the C/C++ runtime and winpthread statically so the plugin DLL and tools
# run on a plain Windows machine without any MinGW DLLs beside them.
set(_treskal_static_rt "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_treskal_static_rt}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_treskal_static_rt}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_treskal_static_rt}")

# Lets CTest/try_run execute Windows binaries when wine is available. Debian's wine picks the
# 32-bit or 64-bit loader from the binary it is given.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(TRESKAL_WINE NAMES wine64 wine)
else()
  find_program(TRESKAL_WINE NAMES wine)
endif()
if(TRESKAL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${TRESKAL_WINE}")
endif()
