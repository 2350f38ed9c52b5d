# Cross-compiles the ARM64 Linux build on Debian with its aarch64 cross
# compiler and the arm64 packages of the libraries (Debian's multiarch
# layout: /usr/lib/aarch64-linux-gnu beside the host's libraries, headers
# shared in /usr/include). scripts/build-arm64 uses it, with RESUNPACK_STATIC.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# Libraries and packages only from the arm64 directories; headers from
# /usr/include as well, where the host's packages of header-only libraries
# (RapidJSON) and the arm64 packages put theirs.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu/cmake)

# The built programs run on this machine under qemu's user-mode emulation.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
