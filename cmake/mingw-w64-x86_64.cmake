# Cross build for 64-bit Windows with Debian's MinGW-w64 compiler
# (package g++-mingw-w64-x86-64). Only the Qt-free parts build this way:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DTALVENO_WITH_QT=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALVENO_MINGW_TRIPLE x86_64-w64-mingw32)
# The "-posix" compiler: the default "-win32" one of GCC 12 has no std::mutex
# or std::thread, which the serial layer and the tests use.
set(CMAKE_C_COMPILER ${TALVENO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALVENO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TALVENO_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TALVENO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ run-times and winpthreads linked in, so the programs run under
# Wine or on a Windows machine without MinGW's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test programs through Wine when it is installed (Debian's
# wine64 keeps its loader outside PATH).
find_program(TALVENO_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TALVENO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${TALVENO_WINE})
endif()
