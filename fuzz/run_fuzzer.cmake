# Runs one fuzz target for a bounded time: cmake -DFUZZER=... -DSEEDS=... -DDICTIONARY=...
# -DWORK_DIR=... -DSECONDS=... -P run_fuzzer.cmake. Fails on any crash, leak, timeout or
# broken rule; the input that caused it is left in WORK_DIR.

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/corpus)

execute_process(
  COMMAND ${FUZZER}
    -max_total_time=${SECONDS}
    -timeout=5
    -dict=${DICTIONARY}
    -artifact_prefix=${WORK_DIR}/
    -print_final_stats=1
    ${WORK_DIR}/corpus ${SEEDS}
  WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)

if(NOT status EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${status}):\n${output}")
endif()
string(REGEX MATCH "stat::number_of_executed_units: [0-9]+" runs "${output}")
string(REGEX MATCH "#[0-9]+[^\n]*DONE[^\n]*" done "${output}")
message(STATUS "${done}\n${runs}")
