# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers.
#
# The "-posix" compilers use the winpthreads threading model; the default "-win32" ones have no
# std::thread, which the serial reader needs. Everything is linked statically, so the test programs
# run under Wine without copying the MinGW runtime DLLs next to them; the Qt programs
# (mingw-w64-x86_64-qt.cmake) set LYRA_MINGW_SHARED_RUNTIME and link the runtime DLLs that Qt's own
# DLLs use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LYRA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LYRA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LYRA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LYRA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LYRA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT LYRA_MINGW_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

# ctest and gtest_discover_tests run the Windows programs through Wine.
find_program(LYRA_WINE NAMES wine wine64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${LYRA_WINE})
