# Cross-compiling the Windows program on Linux with mingw-w64 (posix thread model).
#   cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(XIULAN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${XIULAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${XIULAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${XIULAN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${XIULAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: the C++ runtime and winpthreads are linked in, so the program needs
# no DLL beside it that a plain Windows does not have.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine; the wrapper gives them a quiet, private prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
