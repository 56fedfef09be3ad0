# cmake -DSOURCE_DIR=... -DBINARY_DIR=... -P BuildWin32Plugin.cmake
# Builds the 32-bit plugin DLL in the win32 preset's folder (configuring it first when it has
# never been), so the 64-bit build can pack it beside its own.
if(NOT EXISTS "${BINARY_DIR}/CMakeCache.txt")
  execute_process(COMMAND "${CMAKE_COMMAND}" --preset win32
                  WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE _result)
  if(NOT _result EQUAL 0)
    message(FATAL_ERROR "configuring the win32 build in ${BINARY_DIR} failed")
  endif()
endif()
# A make of its own: the calling make's job server does not reach through CMake.
set(ENV{MAKEFLAGS} "")
set(ENV{MFLAGS} "")
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BINARY_DIR}" --target Treskal --parallel 2
                RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
  message(FATAL_ERROR "building the 32-bit Treskal.wlx in ${BINARY_DIR} failed")
endif()
