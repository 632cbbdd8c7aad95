# The window and the command-line tool for 64-bit Windows: MinGW-w64 (posix threads) and Qt 6.4.2
# for Windows from scripts/qt-windows, with the host's moc, rcc and uic (QT_HOST_PATH).
#
# Qt's DLLs are linked against the shared MinGW runtime (libstdc++-6.dll, libgcc_s_seh-1.dll,
# libwinpthread-1.dll); a program linked statically would carry a second copy of the C++ runtime
# beside theirs, with its own heap, exception tables and thread-local state, and a std::string or
# an exception crossing between the two breaks. So these programs link the runtime as DLLs too.
set(LYRA_MINGW_SHARED_RUNTIME ON)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)

# Where scripts/qt-windows keeps Qt: LYRA_QT_WINDOWS_PREFIX, else the same cache rule as the script.
if(DEFINED ENV{LYRA_QT_WINDOWS_PREFIX} AND NOT "$ENV{LYRA_QT_WINDOWS_PREFIX}" STREQUAL "")
  set(LYRA_QT_WINDOWS_PREFIX "$ENV{LYRA_QT_WINDOWS_PREFIX}")
elseif(DEFINED ENV{LYRA_CACHE_DIR} AND NOT "$ENV{LYRA_CACHE_DIR}" STREQUAL "")
  set(LYRA_QT_WINDOWS_PREFIX "$ENV{LYRA_CACHE_DIR}/qt-6.4.2-mingw-w64-x86_64")
else()
  set(LYRA_QT_WINDOWS_PREFIX "$ENV{HOME}/.cache/lyraphone/qt-6.4.2-mingw-w64-x86_64")
endif()
if(NOT EXISTS "${LYRA_QT_WINDOWS_PREFIX}/lib/cmake/Qt6/Qt6Config.cmake")
  message(FATAL_ERROR "No Qt for Windows in ${LYRA_QT_WINDOWS_PREFIX}: run scripts/qt-windows")
endif()
# Searched as a root of its own, as Qt's toolchain file does, so the MinGW root's rules still hold.
list(PREPEND CMAKE_FIND_ROOT_PATH "${LYRA_QT_WINDOWS_PREFIX}")
list(PREPEND CMAKE_PREFIX_PATH "${LYRA_QT_WINDOWS_PREFIX}")
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
