# Translates a generated score and compares the note list's SHA-256 with
# EXPECTED. Run by CTest with GENERATE, MORVANE, WORK and EXPECTED set.
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${GENERATE} 200000 OUTPUT_FILE ${WORK}/score.txt
                RESULT_VARIABLE generated)
if(NOT generated EQUAL 0)
  message(FATAL_ERROR "generate_score failed: ${generated}")
endif()
execute_process(COMMAND ${MORVANE} ${WORK}/score.txt ${WORK}/notes.txt
                OUTPUT_QUIET RESULT_VARIABLE translated)
if(NOT translated EQUAL 0)
  message(FATAL_ERROR "morvane failed: ${translated}")
endif()
file(SHA256 ${WORK}/notes.txt actual)
if(NOT actual STREQUAL EXPECTED)
  message(FATAL_ERROR "note list changed: ${actual}, expected ${EXPECTED}")
endif()
