# Cross-build of the 32-bit Windows side with Debian's MinGW-w64 (posix
# threads variant: the win32 one lacks std::mutex, which GoogleTest needs).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QF_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${QF_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QF_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QF_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QF_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Windows executables run under Wine (scripts/wine-run sets up the prefix and display).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
