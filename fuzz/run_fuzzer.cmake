# cmake -DFUZZER=<fuzz target> -DSEEDS=<dir> -DWORK_DIR=... -DSECONDS=... -P run_fuzzer.cmake runs the target for a while from its
# seeds and a fresh corpus; a crash, leak, timeout or broken rule fails, and its input is kept in WORK_DIR.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/corpus)
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=5 -dict=${CMAKE_CURRENT_LIST_DIR}/numbers.dict
  -print_final_stats=1 -artifact_prefix=${WORK_DIR}/ ${WORK_DIR}/corpus ${SEEDS}
  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${status})")
endif()
