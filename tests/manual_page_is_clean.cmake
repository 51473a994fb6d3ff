# Fails when groff warns about the manual page PAGE. Run by CTest with
# GROFF and PAGE set.
execute_process(COMMAND ${GROFF} -man -ww -z ${PAGE}
                RESULT_VARIABLE status ERROR_VARIABLE warnings
                OUTPUT_VARIABLE output)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "" OR NOT output STREQUAL "")
  message(FATAL_ERROR "groff on ${PAGE}: status ${status}\n${warnings}${output}")
endif()
