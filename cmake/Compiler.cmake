# Language level, warnings and the narrow literals' code page, for every tree and for
# the monitor's own project (monitor/CMakeLists.txt, built alone for the other
# architecture).
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

# Every narrow literal reaches the ANSI functions as code page 936 bytes, so the
# Chinese texts are GBK in both builds. Sources themselves are UTF-8. clang knows no
# other execution charset than UTF-8; it builds only the fuzz targets, where the
# literals' encoding changes which seeds match, not which code paths exist.
add_compile_options(-Wall -Wextra)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-finput-charset=UTF-8 -fexec-charset=GBK)
endif()
