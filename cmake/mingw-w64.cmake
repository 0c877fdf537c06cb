# Cross-builds the native Windows programs on Debian: x86_64-w64-mingw32 with the posix thread model
# (std::thread and std::mutex need it). Use with -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake, as
# scripts/build-windows does.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZELTO_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZELTO_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELTO_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELTO_MINGW_TARGET}-windres)
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)

# Libraries and headers come from the cross tree only; programs (cmake's own helpers) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ZELTO_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthread linked in, so a program needs only DLLs that ship with Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
