# Runs the table generator into an empty directory and compares its output with the
# shipped files byte for byte.
# Expects -DGENERATOR=... -DOUTPUT_DIR=... -DEXPECTED_DIR=...

foreach(variable IN ITEMS GENERATOR OUTPUT_DIR EXPECTED_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUTPUT_DIR}")
file(MAKE_DIRECTORY "${OUTPUT_DIR}")

execute_process(COMMAND "${GENERATOR}" "${OUTPUT_DIR}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "generator failed: ${result}")
endif()

foreach(name IN ITEMS chi2prob.dat power06.dat)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E compare_files "${OUTPUT_DIR}/${name}" "${EXPECTED_DIR}/${name}"
    RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${name} differs from the shipped copy in ${EXPECTED_DIR}")
  endif()
endforeach()
