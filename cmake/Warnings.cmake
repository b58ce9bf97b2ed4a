# corvane_strict(<target>): our own code builds with every useful warning as an error.
# Third-party headers come in as SYSTEM includes and are not judged.
function(corvane_strict target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE
            -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
            -Wcast-align -Woverloaded-virtual -Wconversion -Wsign-conversion
            -Wnull-dereference -Wdouble-promotion -Wformat=2 -Werror)
    endif()
    # GCC 12 reports impossible overlaps inside libstdc++'s own string copies at -O3
    # (-Wrestrict false positives on std::basic_string::_M_replace); they are not ours to fix.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
endfunction()
