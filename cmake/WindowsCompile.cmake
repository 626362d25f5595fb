# How Windows code is compiled with mingw-w64, in build/win32, build/win64 and the
# monitor's own project: small programs (size-optimised, unused sections dropped, no
# runtime DLLs), resource scripts in code page 936.
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 936")
enable_language(RC)
