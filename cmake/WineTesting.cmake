# The Win32 build's test setting: the system headers' options, GoogleTest built from Debian's
# sources with the cross compiler, and Wine as the emulator that CTest runs test programs
# through, with its prefix kept in the build folder.
#
# Test programs are listed when CTest starts (gtest_discover_tests in PRE_TEST mode), never at
# build time; a fresh prefix takes half a minute, so the listing may wait that long. Windows
# that are shown need an X display: run CTest under xvfb-run. scripts/wine-tests.sh prepares
# the prefix and keeps one wineserver running for the whole suite.

# Lean windows.h: no min/max macros, no printing spooler (whose AddForm macro would rename a
# toolkit operation), the wide-character functions, and Windows 7 as the oldest system.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)

# Every program and the DLL land in one folder, so a test host finds Corvane.ext beside itself.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

set(CORVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# (its build defines GTest::gtest and GTest::gmock)
add_subdirectory(${CORVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(CORVANE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine CACHE PATH "The Wine prefix the tests use")
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env WINEPREFIX=${CORVANE_WINE_PREFIX} WINEDEBUG=-all
    bash ${PROJECT_SOURCE_DIR}/tests/win32/wine-run.sh)
