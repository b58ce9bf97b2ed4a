# CORVANE_SANITIZE turns on AddressSanitizer and UndefinedBehaviorSanitizer for every target:
# the plug-in, the platform runtime, the hosts and the tests must all carry the same runtime.
# The vptr check is left out: interfaces cross module boundaries by design, and each module
# keeps its own hidden copy of their type information, which that check cannot relate.
option(CORVANE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(CORVANE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize=vptr -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined -fno-sanitize=vptr)
endif()
