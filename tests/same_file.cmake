# Runs COMMAND (a list) and fails unless the file it wrote, ACTUAL, is
# byte for byte EXPECTED. Run by CTest.
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${COMMAND} failed: ${status}")
endif()
file(SHA256 ${ACTUAL} actual)
file(SHA256 ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "${ACTUAL} differs from ${EXPECTED}; remake it with the command")
endif()
