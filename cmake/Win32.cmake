# build/win32 (i686: setup.exe, setup-stub.exe, payload-tool.exe, the deliverables)
# and build/win64 (x86_64: the same Windows code, for running the Windows-side tests
# under 64-bit Wine). Tests run through scripts/wine-run, in a throwaway Wine prefix
# under the tree.

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(WINE_ARCH win32)
else()
  set(WINE_ARCH win64)
endif()
set(WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${REPO_ROOT}/scripts/wine-run;${WINE_ROOT};${WINE_ARCH})

include(${CMAKE_CURRENT_LIST_DIR}/WindowsCompile.cmake)

set(ZLIB_STATIC ${CMAKE_FIND_ROOT_PATH}/lib/libz.a)
if(NOT EXISTS ${ZLIB_STATIC})
  message(FATAL_ERROR "static zlib for mingw not found at ${ZLIB_STATIC} (package libz-mingw-w64-dev)")
endif()
include_directories(SYSTEM ${CMAKE_FIND_ROOT_PATH}/include)

# The sample payload is packed by the native payload tool of build/native.
if(NOT PAYLOAD_TOOL OR NOT EXISTS ${PAYLOAD_TOOL})
  message(FATAL_ERROR "configure with -DPAYLOAD_TOOL=<build/native/payload-tool>")
endif()

# The port monitor and its UI for this tree's architecture, and their twins for the
# other one, built from monitor/ alone with the other toolchain.
add_subdirectory(monitor)
if(WINE_ARCH STREQUAL win32)
  set(TWIN_CPU x86_64)
  set(OWN_SUFFIX "")
  set(TWIN_SUFFIX .x64)
else()
  set(TWIN_CPU i686)
  set(OWN_SUFFIX .x64)
  set(TWIN_SUFFIX "")
endif()
set(TWIN_DIR ${CMAKE_BINARY_DIR}/monitor-twin)
include(ExternalProject)
ExternalProject_Add(monitor-twin
  SOURCE_DIR ${REPO_ROOT}/monitor
  BINARY_DIR ${TWIN_DIR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${REPO_ROOT}/cmake/toolchain-${TWIN_CPU}-w64-mingw32.cmake
    -DCMAKE_BUILD_TYPE=Release
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${TWIN_DIR}/Rillo80PrinterMon.dll ${TWIN_DIR}/Rillo80PrinterMonUI.dll)

# The uninstaller is a 32-bit program on every Windows: the x86_64 tree packs the
# i686 build, made from this same source tree with the i686 toolchain. The package
# depends on the file as well as the target: an ExternalProject target alone orders
# the build but does not make a newer Uninstaller.exe repack the package.
if(WINE_ARCH STREQUAL win32)
  set(PACKAGED_UNINSTALLER $<TARGET_FILE:Uninstaller>)
  set(PACKAGED_UNINSTALLER_TARGET Uninstaller)
else()
  set(UNINSTALLER_I686_DIR ${CMAKE_BINARY_DIR}/uninstaller-i686)
  ExternalProject_Add(uninstaller-i686
    SOURCE_DIR ${REPO_ROOT}
    BINARY_DIR ${UNINSTALLER_I686_DIR}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${REPO_ROOT}/cmake/toolchain-i686-w64-mingw32.cmake
      -DCMAKE_BUILD_TYPE=Release -DPAYLOAD_TOOL=${PAYLOAD_TOOL}
    BUILD_COMMAND ${CMAKE_COMMAND} --build . --target Uninstaller --parallel 2
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${UNINSTALLER_I686_DIR}/Uninstaller.exe)
  set(PACKAGED_UNINSTALLER ${UNINSTALLER_I686_DIR}/Uninstaller.exe)
  set(PACKAGED_UNINSTALLER_TARGET uninstaller-i686)
endif()

# The tree's package: resources/package with the files this build makes in place of
# their text placeholders there: the monitor's four (the plain names hold the i686
# builds, the ".x64" names the x86_64 ones) and the i686 Uninstaller.exe. Everything
# Windows-side packs, stages and compares this folder.
set(PACKAGE_SOURCE_DIR ${PACKAGE_DIR})
set(PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
file(STRINGS ${PACKAGE_SOURCE_DIR}/package.list PACKAGE_ENTRIES)
list(TRANSFORM PACKAGE_ENTRIES PREPEND ${PACKAGE_SOURCE_DIR}/)
set(PACKAGE_STAMP ${PACKAGE_DIR}/.assembled)
add_custom_command(OUTPUT ${PACKAGE_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PACKAGE_SOURCE_DIR} ${PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:port-monitor> ${PACKAGE_DIR}/Rillo80PrinterMon.dll${OWN_SUFFIX}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:port-monitor-ui> ${PACKAGE_DIR}/Rillo80PrinterMonUI.dll${OWN_SUFFIX}
  COMMAND ${CMAKE_COMMAND} -E copy ${TWIN_DIR}/Rillo80PrinterMon.dll ${PACKAGE_DIR}/Rillo80PrinterMon.dll${TWIN_SUFFIX}
  COMMAND ${CMAKE_COMMAND} -E copy ${TWIN_DIR}/Rillo80PrinterMonUI.dll ${PACKAGE_DIR}/Rillo80PrinterMonUI.dll${TWIN_SUFFIX}
  COMMAND ${CMAKE_COMMAND} -E copy ${PACKAGED_UNINSTALLER} ${PACKAGE_DIR}/Uninstaller.exe
  COMMAND ${CMAKE_COMMAND} -E touch ${PACKAGE_STAMP}
  DEPENDS ${PACKAGE_SOURCE_DIR}/package.list ${PACKAGE_ENTRIES} port-monitor port-monitor-ui monitor-twin
    ${PACKAGED_UNINSTALLER_TARGET} ${PACKAGED_UNINSTALLER} ${TWIN_DIR}/Rillo80PrinterMon.dll
    ${TWIN_DIR}/Rillo80PrinterMonUI.dll
  COMMENT "Putting the package together with the built monitor DLLs and uninstaller")
# The uninstaller's scripts and tests know it by this name too.
set(PACKAGE_BUILD_DIR ${PACKAGE_DIR})

set(SAMPLE_PAYLOAD ${CMAKE_BINARY_DIR}/sample-payload.bin)
add_custom_command(OUTPUT ${SAMPLE_PAYLOAD}
  COMMAND ${PAYLOAD_TOOL} pack ${PACKAGE_DIR} ${SAMPLE_PAYLOAD}
  DEPENDS ${PACKAGE_STAMP}
  COMMENT "Packing the sample payload")
add_custom_target(sample-payload DEPENDS ${SAMPLE_PAYLOAD})

add_subdirectory(payload)
add_subdirectory(app)
add_subdirectory(driver)
add_subdirectory(ui)
add_subdirectory(system)
add_subdirectory(tools)
add_subdirectory(resources)
add_subdirectory(uninstall)

# Windows-side tests: one GoogleTest program built from Debian's googletest sources.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The win32 thread model lacks std::mutex; the framework gets a small stand-in.
target_compile_options(gtest PUBLIC "SHELL:-include ${REPO_ROOT}/tests/win32/gtest_win32_threads.h")

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${REPO_ROOT}/tests/win32/*_test.cpp)
add_executable(windows-tests ${WIN_TEST_SOURCES} ${REPO_ROOT}/tests/win32/test_main.cpp
  ${REPO_ROOT}/tests/win32/win_support.cpp ${REPO_ROOT}/tests/win32/test_payload.rc
  ${APP_WIN_SOURCES} ${APP_DIALOGS_RC})
target_include_directories(windows-tests PRIVATE ${REPO_ROOT} ${REPO_ROOT}/tests/win32)
target_link_libraries(windows-tests PRIVATE payload_core app_core driver_core ui_core system_core monitor_core
  uninstall_core package_check gtest winspool ws2_32 version)
# Stripped as the setup programs are: the payload tests read this program as one
# without a payload, which ends in its last section's zero padding, not in a symbol
# table whose last bytes may read as a trailer.
target_link_options(windows-tests PRIVATE -s)
set_source_files_properties(${REPO_ROOT}/tests/win32/test_payload.rc PROPERTIES
  OBJECT_DEPENDS ${SAMPLE_PAYLOAD})
# The package as this tree packs it, the built files in place of their placeholders.
target_compile_definitions(windows-tests PRIVATE PACKAGE_DIR="${PACKAGE_BUILD_DIR}")
set_property(SOURCE ${REPO_ROOT}/tests/win32/test_payload.rc APPEND PROPERTY COMPILE_OPTIONS
  -I${CMAKE_BINARY_DIR})
add_dependencies(windows-tests sample-payload library-probe)

# A program with the setup program's manifest, which the library-loading test runs.
add_executable(library-probe ${REPO_ROOT}/tests/win32/library_probe_win.cpp ${REPO_ROOT}/tests/win32/library_probe.rc
  ${REPO_ROOT}/app/control_libraries_win.cpp)
target_include_directories(library-probe PRIVATE ${REPO_ROOT})
target_link_libraries(library-probe PRIVATE system_core)

# A program that sends a file as one raw job through the spooler, for the
# end-to-end print test (tests/scripts/windows_e2e_print.sh).
add_executable(print-job ${REPO_ROOT}/tests/win32/monitor_print_job_win.cpp)
target_link_options(print-job PRIVATE -municode)
target_link_libraries(print-job PRIVATE winspool)

# Exit 77 from scripts/wine-run means this machine cannot run the tree's programs.
add_test(NAME windows-tests COMMAND windows-tests)
set_tests_properties(windows-tests PROPERTIES SKIP_RETURN_CODE 77 WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
# The tests that run programs in the tree's own prefix take turns with it: each runs
# on a virtual display of its own, and one wineserver serving two displays (and two
# locales) at once is where in-process windows have failed to appear.
set(TREE_PREFIX_TESTS windows-tests windows_app_chinese_locale windows_system_chinese_locale
  windows_stub_under_wine windows_payload_extraction windows_vendor_kit)

# The walks of the wizard's navigation, its folder checks, a destination holding the
# user's files and the failure page run the same portable code in both builds: they
# run in the i686 tree only. The x86_64 tree keeps what depends on the program's
# bitness (installation, staging, registry views, the spooler, the uninstaller, the
# carriers, the imports).
set(I686_ONLY_WALKS windows_e2e_folder_checks windows_e2e_folder_levels windows_e2e_language
  windows_e2e_install_destination windows_e2e_install_failure)
file(GLOB WIN_SCRIPT_TESTS CONFIGURE_DEPENDS ${REPO_ROOT}/tests/scripts/windows_*.sh)
foreach(script ${WIN_SCRIPT_TESTS})
  get_filename_component(name ${script} NAME_WE)
  if(NOT WINE_ARCH STREQUAL win32 AND name IN_LIST I686_ONLY_WALKS)
    continue()
  endif()
  add_test(NAME ${name} COMMAND bash ${script})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77 ENVIRONMENT
    "OBJDUMP=${CMAKE_OBJDUMP};PACKAGE_BUILD_DIR=${PACKAGE_BUILD_DIR};WINE_RUN=${REPO_ROOT}/scripts/wine-run;WINE_ROOT=${WINE_ROOT};WINE_ARCH=${WINE_ARCH};BUILD_DIR=${CMAKE_BINARY_DIR};PAYLOAD_TOOL=${PAYLOAD_TOOL};SAMPLE_PAYLOAD=${SAMPLE_PAYLOAD};PACKAGE_DIR=${PACKAGE_DIR}")
endforeach()
set_tests_properties(${TREE_PREFIX_TESTS} PROPERTIES RESOURCE_LOCK tree-prefix)
add_subdirectory(${REPO_ROOT}/tests/e2e ${CMAKE_BINARY_DIR}/e2e)

# The shipped case: the i686 programs on 64-bit Windows, in a 64-bit prefix where
# Wine runs them under WOW64. The Windows-side suites whose outcome depends on the
# process's bitness or the system's (paths, registry views, the spooler, start-up),
# and a whole installation.
if(WINE_ARCH STREQUAL win32)
  add_test(NAME windows-tests-wow64 COMMAND ${REPO_ROOT}/scripts/wine-run ${WINE_ROOT} win64
    $<TARGET_FILE:windows-tests>
    "--gtest_filter=System*:Payload*:AppendedPayload.*:DriverStaging.*:EngineRun.*:PrinterSettingsPageWin.*:AppWizardStartup.*:AppFolderPath.*:AppStartup*:SetupProgram.*")
  set_tests_properties(windows-tests-wow64 PROPERTIES SKIP_RETURN_CODE 77 WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  add_test(NAME wow64_e2e_install COMMAND bash ${REPO_ROOT}/tests/scripts/wow64_e2e_install.sh)
  set_tests_properties(wow64_e2e_install PROPERTIES SKIP_RETURN_CODE 77 ENVIRONMENT
    "WINE_RUN=${REPO_ROOT}/scripts/wine-run;WINE_ROOT=${WINE_ROOT};WINE_ARCH=win64;BUILD_DIR=${CMAKE_BINARY_DIR};PACKAGE_DIR=${PACKAGE_DIR}")
endif()
