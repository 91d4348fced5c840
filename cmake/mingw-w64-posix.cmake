# Cross-compiles the Windows program on Debian with MinGW-w64 (posix thread model, so
# std::thread and std::mutex exist) and runs what it builds under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KST_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KST_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KST_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KST_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KST_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
