# Cross-builds the Linux programs for arm64 with Debian's cross toolchain; the arm64 libraries come from the
# multiarch folders (/usr/lib/aarch64-linux-gnu), installed beside the host's as libcurl4-openssl-dev:arm64
# and the like. Use with -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake, as
# `scripts/package --arch arm64` does.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(ZELTO_DEBIAN_ARCH arm64 CACHE STRING "The Debian architecture of the packages")

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# pkg-config answers for the arm64 libraries only; the headers without an architecture stay shared.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
