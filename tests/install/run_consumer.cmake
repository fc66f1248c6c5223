# cmake -P script: install, configure the consumer and the quickstart example
# against the installed package, build them, run them.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

# run_step(COMMAND ... [EXPECT status]): runs a command; fails unless it exits
# with the expected status (0 by default). Its stdout lands in step_output.
function(run_step)
    cmake_parse_arguments(ARG "" "EXPECT" "COMMAND" ${ARGN})
    if(NOT DEFINED ARG_EXPECT)
        set(ARG_EXPECT 0)
    endif()
    execute_process(COMMAND ${ARG_COMMAND} RESULT_VARIABLE result OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    if(NOT result EQUAL ARG_EXPECT)
        message(FATAL_ERROR "step failed (${result}, expected ${ARG_EXPECT}): ${ARG_COMMAND}\n${out}\n${err}")
    endif()
    set(step_output "${out}" PARENT_SCOPE)
endfunction()

# expect_output(<text> <regex>...): every regex must match the text.
function(expect_output text)
    foreach(pattern ${ARGN})
        if(NOT text MATCHES "${pattern}")
            message(FATAL_ERROR "output lacks \"${pattern}\":\n${text}")
        endif()
    endforeach()
endfunction()

run_step(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
if(NOT EXISTS ${prefix}/include/ledwall/bll_businesslogic_desktop.h)
    message(FATAL_ERROR "public headers were not installed under include/ledwall")
endif()

# The smallest application: reach the facade.
run_step(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/build
         -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run_step(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run_step(COMMAND ${WORK_DIR}/build/consumer)
expect_output("${step_output}" "consumer: 17")
message(STATUS "installed package consumed: ${step_output}")

# The example of docs/guide.md, built the way the guide says.
set(quickstart ${WORK_DIR}/quickstart/quickstart)
run_step(COMMAND ${CMAKE_COMMAND} -S ${QUICKSTART_DIR} -B ${WORK_DIR}/quickstart
         -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run_step(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/quickstart)
set(firmware_line "firmware: packaged 0, check 0, check for card 0 2, firmIndex 1, crc32 0x[0-9a-f]+\n")

# A device that never answers: the read times out and the program says so, status 1.
run_step(COMMAND ${quickstart} EXPECT 1)
expect_output("${step_output}" "${firmware_line}" "link: opened 127\\.0\\.0\\.1:[0-9]+\n"
              "read: no reply from 127\\.0\\.0\\.1:[0-9]+, the read of 0x10e000 timed out\n")
message(STATUS "quickstart against a silent device:\n${step_output}")

# The installed virtual wall: found by the search, the read answered (erased flash).
run_step(COMMAND sh ${SCRIPT_DIR}/run_with_sim.sh ${prefix}/bin/ledwall-sim ${quickstart})
expect_output("${step_output}" "${firmware_line}"
              "search: found \"ledwall-sim\" \\(LW-SC1, SIM0001\\) at 127\\.0\\.0\\.1:[0-9]+\n"
              "read: 0x10e000: ffffffffffffffffffffffffff\n")
message(STATUS "quickstart against the virtual wall:\n${step_output}")
