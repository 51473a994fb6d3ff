# Fails when groff warns about the manual page PAGE, or, with EXAMPLE true,
# when the page as man shows it does not hold the note line of its example
# with the five fields standing apart (groff drops a tab escape without a
# word). Run by CTest with GROFF, PAGE and EXAMPLE set.
execute_process(COMMAND ${GROFF} -man -ww -z ${PAGE}
                RESULT_VARIABLE status ERROR_VARIABLE warnings
                OUTPUT_VARIABLE output)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "" OR NOT output STREQUAL "")
  message(FATAL_ERROR "groff on ${PAGE}: status ${status}\n${warnings}${output}")
endif()

if(NOT EXAMPLE)
  return()
endif()
# Plain text, without the escape sequences of bold and underline.
execute_process(COMMAND ${GROFF} -man -Tutf8 -P-cbou ${PAGE}
                RESULT_VARIABLE status OUTPUT_VARIABLE text)
string(REGEX MATCH "\n +0\\.000 +0 +72 +80 +1\\.000\n" example "${text}")
if(NOT status EQUAL 0 OR example STREQUAL "")
  message(FATAL_ERROR "${PAGE}: the example's note line does not read as "
                      "five fields:\n${text}")
endif()
