# Cross-build of the Windows side as 64-bit programs with Debian's MinGW-w64,
# only so that the Windows tests can run under 64-bit Wine on machines that
# cannot run 32-bit programs. The product is the 32-bit build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QF_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
