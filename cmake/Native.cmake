# build/native: the portable modules, the payload tool, the benchmark, the GoogleTest
# suite and (with clang) the fuzz targets.

find_package(ZLIB REQUIRED)
find_package(GTest REQUIRED)
include(GoogleTest)

add_subdirectory(payload)
add_subdirectory(app)
add_subdirectory(driver)
add_subdirectory(ui)
add_subdirectory(system)
add_subdirectory(monitor)
add_subdirectory(uninstall)

option(FUZZ "build only the libFuzzer targets (clang, ASan, UBSan)" OFF)
if(NOT FUZZ)
  add_subdirectory(tools)

  # One test program for every portable module: each *_test.cpp under tests/native.
  file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${REPO_ROOT}/tests/native/*_test.cpp)
  add_executable(native-tests ${NATIVE_TEST_SOURCES} ${REPO_ROOT}/tests/native/test_support.cpp)
  target_include_directories(native-tests PRIVATE ${REPO_ROOT} ${REPO_ROOT}/tests/native)
  target_link_libraries(native-tests PRIVATE package_check payload_core app_core driver_core ui_core system_core
    monitor_core uninstall_core GTest::gtest_main)
  target_compile_definitions(native-tests PRIVATE
    PACKAGE_DIR="${PACKAGE_DIR}"
    PAYLOAD_TOOL="$<TARGET_FILE:payload-tool>")
  add_dependencies(native-tests payload-tool)
  gtest_discover_tests(native-tests DISCOVERY_MODE PRE_TEST)

  # Shell-level tests of the tool (round trip of the sample package, error exits).
  file(GLOB NATIVE_SCRIPT_TESTS CONFIGURE_DEPENDS ${REPO_ROOT}/tests/scripts/native_*.sh)
  foreach(script ${NATIVE_SCRIPT_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME ${name} COMMAND bash ${script})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
      "PAYLOAD_TOOL=$<TARGET_FILE:payload-tool>;PACKAGE_DIR=${PACKAGE_DIR};WORK_DIR=${CMAKE_BINARY_DIR}/script-work")
  endforeach()
endif()

# libFuzzer targets, in a tree of their own (build/fuzz, FUZZ=ON): each
# tests/fuzz/*_fuzz.cpp is one target, and one test that runs it for FUZZ_SECONDS
# from the seeds in tests/fuzz/seeds/<target> (longer by hand: run the target).
if(FUZZ)
  set(FUZZ_SECONDS 15 CACHE STRING "seconds each fuzz target runs under ctest")
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${REPO_ROOT}/tests/fuzz/*_fuzz.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    string(REPLACE "_" "-" target ${name})
    add_executable(${target} ${src})
    target_include_directories(${target} PRIVATE ${REPO_ROOT})
    target_link_libraries(${target} PRIVATE payload_core app_core driver_core ui_core)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    set(corpus ${CMAKE_BINARY_DIR}/corpus/${target})
    file(MAKE_DIRECTORY ${corpus})
    set(seeds ${REPO_ROOT}/tests/fuzz/seeds/${target})
    add_test(NAME ${target} COMMAND ${target} -max_total_time=${FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
      -print_final_stats=1 ${corpus} ${seeds})
  endforeach()
endif()
