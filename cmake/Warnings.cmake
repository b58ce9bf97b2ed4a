# corvane_strict(<target>): our own code builds with every useful warning as an error.
# Third-party headers come in as SYSTEM includes and are not judged.
function(corvane_strict target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE
            -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
            -Wcast-align -Woverloaded-virtual -Wconversion -Wsign-conversion
            -Wnull-dereference -Wdouble-promotion -Wformat=2 -Werror)
    endif()
endfunction()
