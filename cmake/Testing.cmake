# corvane_add_gtest(<name> SOURCES ... [LIBS ...] [FILTER expr]): one GoogleTest executable for
# one area. Every test case (those FILTER selects, when given) becomes its own CTest test; Qt
# runs on its offscreen platform.
include(GoogleTest)
function(corvane_add_gtest name)
    cmake_parse_arguments(ARG "" "FILTER" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_FILTER)
        set(ARG_FILTER "*")
    endif()
    add_executable(${name} ${ARG_SOURCES})
    corvane_strict(${name})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest GTest::gtest_main)
    # Parameterised cases are named by their index or their name generator, never by a dump
    # of the parameter's bytes.
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        NO_PRETTY_VALUES
        TEST_FILTER "${ARG_FILTER}"
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1")
endfunction()
