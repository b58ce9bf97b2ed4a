# Checks the Windows DLL as a host's loader sees it: an i386 image whose export directory names
# the module "Corvane.ext" and holds exactly the two entry names, the done function at ordinal 1
# and the entry at ordinal 2, and which imports no run-time DLL of the compiler (the C++
# run-time is inside it). Run as: cmake -DLIBRARY=<dll> -DOBJDUMP=<objdump> -P CheckDllExports.cmake
include(${CMAKE_CURRENT_LIST_DIR}/ExportChecks.cmake)
dump_library(dump ${OBJDUMP} -p)

require_match("${dump}" "file format pei-i386" "not a 32-bit i386 image:\n${dump}")
require_match("${dump}" "\nMagic[ \t]+010b" "not a 32-bit i386 image:\n${dump}")
require_match("${dump}" "\nName [^\n]*Corvane\\.ext\n"
              "the export directory does not name the module Corvane.ext")

# The name pointer table: one "[index] name" line per name, sorted by name; the index counts
# from the ordinal base.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n(([ \t]+\\[[^\n]*\n)*)" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${CMAKE_MATCH_1}")
set(exports "")
foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^\\[ *([0-9]+)\\] (.+)$" "\\2@\\1" export "${entry}")
    list(APPEND exports "${export}")
endforeach()
set(expected "${ENTRY_NAME}@1;${ENTRY_NAME}_done@0")
if(NOT exports STREQUAL expected)
    message(FATAL_ERROR "exports (name@index): [${exports}], expected: [${expected}]")
endif()
require_match("${dump}" "Ordinal Base 1\n" "the ordinals do not start at 1")
require_match("${dump}" "Export Address Table[ \t]+00000002\n"
              "the export address table does not hold exactly two entries")

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
    if(import MATCHES "libstdc|libgcc|libwinpthread")
        message(FATAL_ERROR "the compiler's run-time is imported, not linked in: ${import}")
    endif()
endforeach()
