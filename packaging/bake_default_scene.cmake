# Bakes the default data set at build time: cmake -DTOOL=... -DOUT=... -DLOG=... -P this file.
# The directory is made afresh, so nothing of an earlier bake stays behind; the tool's progress
# goes to LOG and is shown only when the bake fails.
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${TOOL}" bake --out "${OUT}"
                OUTPUT_FILE "${LOG}" ERROR_FILE "${LOG}"
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(READ "${LOG}" log)
  message(FATAL_ERROR "${log}\nbaking the default data set into ${OUT} failed (${status})")
endif()
