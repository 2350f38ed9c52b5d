# Cross-compiles the Windows build on Debian with mingw-w64 (the POSIX
# threads flavour, for std::thread). scripts/build-windows uses it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable with no DLLs beside it comes from RESUNPACK_STATIC, which
# scripts/build-windows sets: the C++ runtime, the threads library and zlib's
# static archive (not its import library) are linked in.
# RapidJSON is headers only and the same on every platform: the host's are
# taken, alone (not the rest of /usr/include, which is the host's C library).
set(RESUNPACK_HOST_RAPIDJSON /usr/include/rapidjson)
