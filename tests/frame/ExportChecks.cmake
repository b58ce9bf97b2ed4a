# What the checks of the built library share (CheckExports.cmake for the ELF library,
# CheckDllExports.cmake for the Windows DLL): the entry name a host's loader looks up, the run of
# a binary tool over LIBRARY, and ending the check when a dump lacks what it must show.

# The entry function's name; its done function is "${ENTRY_NAME}_done".
set(ENTRY_NAME "983BEDA12B2347028D99FF042C551640")

# Runs `tool` with the further arguments and LIBRARY, and sets `out` to what it prints; a tool
# that fails ends the check.
function(dump_library out tool)
    execute_process(COMMAND ${tool} ${ARGN} ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${tool} failed on ${LIBRARY}")
    endif()
    set(${out} "${dump}" PARENT_SCOPE)
endfunction()

# Ends the check with `problem` unless `text` matches `regex`.
function(require_match text regex problem)
    if(NOT text MATCHES "${regex}")
        message(FATAL_ERROR "${problem}")
    endif()
endfunction()
