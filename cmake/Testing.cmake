# corvane_add_gtest(<name> SOURCES ... [LIBS ...] [FILTER expr] [PROPERTIES ...]): one
# GoogleTest executable for one area. Every test case (those FILTER selects, when given) becomes
# its own CTest test, with the extra test PROPERTIES given; Qt runs on its offscreen platform. On
# Win32 the program runs under Wine and its main is ours (tests/win32/WineTestMain.cpp); the
# cases are listed when CTest starts, and a listing may wait for a fresh Wine prefix.
include(GoogleTest)
function(corvane_add_gtest name)
    cmake_parse_arguments(ARG "" "FILTER" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    if(NOT ARG_FILTER)
        set(ARG_FILTER "*")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    corvane_strict(${name})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    if(WIN32)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest
                              CorvaneWineTestMain)
        set(discovery_timeout 200)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest
                              GTest::gtest_main)
        set(discovery_timeout 5)
    endif()
    # Parameterised cases are named by their index or their name generator, never by a dump
    # of the parameter's bytes.
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        NO_PRETTY_VALUES
        DISCOVERY_TIMEOUT ${discovery_timeout}
        TEST_FILTER "${ARG_FILTER}"
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1"
                   ${ARG_PROPERTIES})
endfunction()
