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

# One executable with no DLLs beside it: the C++ runtime, the threads
# library and zlib are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# zlib's static archive, not its import library.
set(ZLIB_USE_STATIC_LIBS ON)
set(ZLIB_LIBRARY /usr/x86_64-w64-mingw32/lib/libz.a)
set(ZLIB_INCLUDE_DIR /usr/x86_64-w64-mingw32/include)
# RapidJSON is headers only and the same on every platform: the host's are
# taken, alone (not the rest of /usr/include, which is the host's C library).
set(RESUNPACK_HOST_RAPIDJSON /usr/include/rapidjson)
