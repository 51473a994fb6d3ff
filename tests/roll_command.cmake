# Runs morvane-roll as a user does, row by row: the arguments, the status
# and what standard output and standard error must hold. Run by CTest with
# ROLL, VERSION and WORK set.
cmake_policy(SET CMP0007 NEW)  # keep the empty fields of a row
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/inf.notes "// MORVANE file.\n0.000 \t0\t60\t90\t1.000\ninf \t0\t60\t90\t1.000\n")
file(WRITE ${WORK}/nan.notes "0.000 \t0\t60\t90\tnan\n")

# Each row: arguments (separated by commas), status, the output's pattern,
# the error's pattern.
set(rows
  "--help|0|^Usage: morvane-roll notes.txt roll.svg\n.*--version|^$"
  "-h|0|^Usage: morvane-roll notes.txt roll.svg\n|^$"
  "--version|0|^morvane-roll ${VERSION}\n$|^$"
  "|1|^$|^Usage: morvane-roll notes.txt roll.svg\n$"
  "--help,x.svg|1|^$|^morvane-roll: can't open --help\n$"
  "${WORK}/inf.notes,${WORK}/inf.svg|1|^$|^morvane-roll: ${WORK}/inf.notes line 3: a number that is not finite\n$"
  "${WORK}/nan.notes,${WORK}/nan.svg|1|^$|line 1: a number that is not finite\n$")
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 arguments)
  list(GET fields 1 expected_status)
  list(GET fields 2 expected_out)
  list(GET fields 3 expected_err)
  string(REPLACE "," ";" arguments "${arguments}")
  execute_process(COMMAND ${ROLL} ${arguments} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status STREQUAL expected_status OR NOT out MATCHES "${expected_out}"
     OR NOT err MATCHES "${expected_err}")
    message(SEND_ERROR "morvane-roll ${arguments}: status ${status}\n"
                       "out: ${out}\nerr: ${err}")
  endif()
endforeach()
