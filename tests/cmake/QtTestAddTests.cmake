# Run after a Qt Test program is built: asks it for its test functions and writes one ctest entry per
# function, so that a failing GUI case is named in ctest's summary instead of the whole program.
# Inputs: TEST_EXECUTABLE, CTEST_FILE, PREFIX, LABEL.
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen "${TEST_EXECUTABLE}" -functions
    OUTPUT_VARIABLE listing
    RESULT_VARIABLE status
    TIMEOUT 60)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${TEST_EXECUTABLE} -functions failed (${status}):\n${listing}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)\\(\\)$")
        set(name "${CMAKE_MATCH_1}")
        string(APPEND script
            "add_test([=[${PREFIX}.${name}]=] [==[${TEST_EXECUTABLE}]==] ${name})\n"
            "set_tests_properties([=[${PREFIX}.${name}]=] PROPERTIES LABELS ${LABEL} "
            "ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 300)\n")
    endif()
endforeach()
if(script STREQUAL "")
    message(FATAL_ERROR "${TEST_EXECUTABLE} -functions listed no test function")
endif()
file(WRITE "${CTEST_FILE}" "${script}")
