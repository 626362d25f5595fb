# Cross build of the Windows code for x86_64 with mingw-w64: the tree that runs the
# Windows-side tests under 64-bit Wine where the machine cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
