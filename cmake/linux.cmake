# The Linux build: Qt 6 Widgets over the project's own Linux services.
find_package(Qt6 REQUIRED COMPONENTS Widgets DBus)
# The window manager is asked for the frame of a window before its first show, over Qt's X11 connection.
find_package(X11 REQUIRED)
# A disc's label, when the udev database has none, comes from the same probe udev itself uses.
find_package(PkgConfig REQUIRED)
pkg_check_modules(BLKID REQUIRED IMPORTED_TARGET blkid)
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)

file(GLOB LINUX_SOURCES CONFIGURE_DEPENDS src/linux/*.cpp)
list(FILTER LINUX_SOURCES EXCLUDE REGEX ".*/Paths\\.cpp$")
# The path conventions come after the portable core on the link line, which calls them.
add_library(tavimoro_linux_paths STATIC src/linux/Paths.cpp)
target_include_directories(tavimoro_linux_paths PRIVATE src)
add_library(tavimoro_linux STATIC ${LINUX_SOURCES})
target_link_libraries(tavimoro_linux PUBLIC tavimoro_core tavimoro_linux_paths PRIVATE PkgConfig::BLKID)

file(GLOB QT_SOURCES CONFIGURE_DEPENDS src/qt/*.cpp src/qt/*.h)
list(FILTER QT_SOURCES EXCLUDE REGEX ".*/main\\.cpp$")
# The program's icon, built into the binary.
list(APPEND QT_SOURCES src/qt/tavimoro.qrc)
add_library(tavimoro_qt STATIC ${QT_SOURCES})
target_link_libraries(tavimoro_qt PUBLIC tavimoro_linux Qt6::Widgets Qt6::DBus X11::xcb)

add_executable(tavimoro src/qt/main.cpp)
target_link_libraries(tavimoro PRIVATE tavimoro_qt)

# The same program reading its drives from a simulated machine named by TAVIMORO_TEST_* variables,
# for the end-to-end tests only; the shipped program reads the real system.
add_executable(tavimoro-e2e tests/e2e/linux/tavimoro_e2e.cpp)
target_link_libraries(tavimoro-e2e PRIVATE tavimoro_qt)

add_executable(tavimoro-ini tools/tavimoro-ini.cpp)
target_link_libraries(tavimoro-ini PRIVATE tavimoro_linux)

# An XDnD drag source for the end-to-end tests: xdotool cannot drag from one program to another.
add_executable(xdnd_drop tests/tools/xdnd_drop.cpp)
target_link_libraries(xdnd_drop PRIVATE X11::X11)
# What a running program did to a file (a poll's read of the mount table, a write of its settings), for the
# end-to-end tests to wait on.
add_executable(file_events tests/tools/file_events.cpp)

enable_testing()
# `make run` installs only what running needs; the unit and platform tests come with GoogleTest. Each
# test is compiled once in `make test`: the unit tests of the portable code in the sanitizer tree, the
# platform and end-to-end tests in the tree built for use (TAVIMORO_UNIT_TESTS=ON adds the unit tests here).
option(TAVIMORO_UNIT_TESTS "Build the unit tests in this tree" ${TAVIMORO_SANITIZE})
find_package(GTest)
if(GTest_FOUND AND TAVIMORO_UNIT_TESTS)
    include(GoogleTest)
    # Unit tests of the portable code against fakes of the platform, with the Windows path conventions of the
    # program's home platform (plain C++, so they build here too).
    file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp tests/support/*.cpp)
    list(APPEND UNIT_SOURCES src/win32/Paths.cpp)
    add_executable(tavimoro_unit_tests ${UNIT_SOURCES})
    target_include_directories(tavimoro_unit_tests PRIVATE tests)
    target_link_libraries(tavimoro_unit_tests PRIVATE tavimoro_core GTest::gtest_main)
    # Tests need no optimizer, nor the fuzzers' coverage: without them they build in half the time.
    target_compile_options(tavimoro_unit_tests PRIVATE -O0 $<$<BOOL:${TAVIMORO_SANITIZE}>:-fno-sanitize=fuzzer-no-link>)
    gtest_discover_tests(tavimoro_unit_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES LABELS unit)
endif()
if(GTest_FOUND AND NOT TAVIMORO_SANITIZE)
    include(GoogleTest)
    # Platform tests of the Linux services against real files, images and tools.
    file(GLOB LINUX_TEST_SOURCES CONFIGURE_DEPENDS tests/linux/*.cpp)
    add_executable(tavimoro_linux_tests ${LINUX_TEST_SOURCES})
    target_include_directories(tavimoro_linux_tests PRIVATE tests)
    target_link_libraries(tavimoro_linux_tests PRIVATE tavimoro_qt GTest::gtest_main)
    target_compile_options(tavimoro_linux_tests PRIVATE -O0)
    gtest_discover_tests(tavimoro_linux_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
        PROPERTIES LABELS platform ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TAVIMORO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
elseif(NOT GTest_FOUND)
    message(STATUS "GoogleTest is not installed: the unit and platform tests are left out")
endif()
# The sanitizer tree runs only the unit tests and the fuzz targets.
if(TAVIMORO_SANITIZE)
    return()
endif()

# End-to-end tests: shell scripts that start the real programs.
set(TAVIMORO_WINDOWS_BUILD_DIR "${CMAKE_SOURCE_DIR}/build/windows" CACHE PATH "Where the Windows build lives")
file(GLOB E2E_LINUX CONFIGURE_DEPENDS tests/e2e/linux/*.sh)
foreach(script ${E2E_LINUX})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e_linux_${name} COMMAND bash ${script})
    set_tests_properties(e2e_linux_${name} PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77 ENVIRONMENT
        "TAVIMORO=$<TARGET_FILE:tavimoro>;TAVIMORO_E2E=$<TARGET_FILE:tavimoro-e2e>;TAVIMORO_INI=$<TARGET_FILE:tavimoro-ini>;TAVIMORO_SOURCE_DIR=${CMAKE_SOURCE_DIR};XDND_DROP=$<TARGET_FILE:xdnd_drop>;FILE_EVENTS=$<TARGET_FILE:file_events>")
endforeach()
file(GLOB E2E_WINE CONFIGURE_DEPENDS tests/e2e/wine/*.sh)
list(FILTER E2E_WINE EXCLUDE REGEX ".*/prefix\\.sh$")
# One Wine prefix for the whole run, which each Wine script copies.
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
add_test(NAME e2e_wine_prefix COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/wine/prefix.sh ${WINE_PREFIX})
set_tests_properties(e2e_wine_prefix PROPERTIES TIMEOUT 120 FIXTURES_SETUP wine_prefix)
foreach(script ${E2E_WINE})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e_wine_${name} COMMAND bash ${script})
    set_tests_properties(e2e_wine_${name} PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED wine_prefix ENVIRONMENT
        "TAVIMORO_WIN_BUILD=${TAVIMORO_WINDOWS_BUILD_DIR};TAVIMORO_SOURCE_DIR=${CMAKE_SOURCE_DIR};XDND_DROP=$<TARGET_FILE:xdnd_drop>;FILE_EVENTS=$<TARGET_FILE:file_events>;TAVIMORO_WINE_PREFIX=${WINE_PREFIX}")
endforeach()

# Benchmarks: separate programs, never timed tests, built by `make bench`.
add_executable(poll_bench EXCLUDE_FROM_ALL bench/poll_bench.cpp)
target_link_libraries(poll_bench PRIVATE tavimoro_qt)
# The floor poll_bench is held against: the raw reads alone.
add_executable(poll_floor EXCLUDE_FROM_ALL bench/poll_floor.cpp)
# The floor of the start: a bare Qt tool window with a tray icon.
add_executable(bare_tray EXCLUDE_FROM_ALL bench/bare_tray.cpp)
target_link_libraries(bare_tray PRIVATE Qt6::Widgets)
# One drive check over crafted AUTORUN.INF files as large as the reader takes.
add_executable(autorun_bench EXCLUDE_FROM_ALL bench/autorun_bench.cpp)
target_link_libraries(autorun_bench PRIVATE tavimoro_linux)
