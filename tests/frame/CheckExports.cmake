# Checks that LIBRARY defines exactly the two entry names in its dynamic symbol table and that
# its soname is Corvane.ext. Run as: cmake -DLIBRARY=<path> -P CheckExports.cmake
find_program(NM nm REQUIRED)
find_program(READELF readelf REQUIRED)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^.* " "" name "${line}")
    list(APPEND names "${name}")
endforeach()
list(SORT names)
set(expected "983BEDA12B2347028D99FF042C551640;983BEDA12B2347028D99FF042C551640_done")
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "exported: [${names}], expected: [${expected}]")
endif()

execute_process(COMMAND ${READELF} -d ${LIBRARY} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT dynamic MATCHES "\\(SONAME\\)[^\n]*\\[Corvane\\.ext\\]")
    message(FATAL_ERROR "soname is not Corvane.ext:\n${dynamic}")
endif()
