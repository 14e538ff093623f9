# Cross-build of the Windows side as 64-bit programs with Debian's MinGW-w64
# (posix threads variant), only so that the Windows tests can run under
# 64-bit Wine on machines that cannot run 32-bit programs. The product is
# the 32-bit build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QF_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QF_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QF_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QF_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QF_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows executables run under Wine (scripts/wine-run sets up the prefix and display).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
