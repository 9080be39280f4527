# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers; tests run under Wine.
# The -posix compilers use winpthreads, so std::thread and std::mutex are available.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LUM_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LUM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LUM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LUM_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LUM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every executable stands alone: no libstdc++, libgcc or winpthread DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the Windows test binaries through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine CACHE STRING "Runs Windows programs on this machine")
