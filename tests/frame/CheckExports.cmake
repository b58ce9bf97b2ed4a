# Checks that LIBRARY defines exactly the two entry names in its dynamic symbol table and that
# its soname is Corvane.ext. Run as: cmake -DLIBRARY=<path> -P CheckExports.cmake
include(${CMAKE_CURRENT_LIST_DIR}/ExportChecks.cmake)
find_program(NM nm REQUIRED)
find_program(READELF readelf REQUIRED)

dump_library(symbols ${NM} -D --defined-only)
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^.* " "" name "${line}")
    list(APPEND names "${name}")
endforeach()
list(SORT names)
set(expected "${ENTRY_NAME};${ENTRY_NAME}_done")
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "exported: [${names}], expected: [${expected}]")
endif()

dump_library(dynamic ${READELF} -d)
require_match("${dynamic}" "\\(SONAME\\)[^\n]*\\[Corvane\\.ext\\]"
              "soname is not Corvane.ext:\n${dynamic}")
