# Cross-builds the Windows program with Debian's mingw-w64 (POSIX thread model,
# which std::mutex and std::thread need). Use:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRACESWEEP_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRACESWEEP_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRACESWEEP_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TRACESWEEP_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRACESWEEP_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe with no DLLs of ours beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run under Wine.
find_program(TRACESWEEP_WINE NAMES wine64 wine)
if(TRACESWEEP_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TRACESWEEP_WINE})
endif()
