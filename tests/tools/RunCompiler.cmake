# Runs effectc on a malformed source over a stale output file and checks that it fails, names
# the file and the line of the fault, and leaves no output behind.
#   cmake -DEMULATOR=... -DCOMPILER=... -DSOURCE=... -DLINE=... -DOUTPUT=... -P RunCompiler.cmake
file(WRITE ${OUTPUT} "stale")
execute_process(COMMAND ${EMULATOR} ${COMPILER} ${SOURCE} ${OUTPUT}
  RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_VARIABLE out)
get_filename_component(name ${SOURCE} NAME)
if(result EQUAL 0)
  message(FATAL_ERROR "effectc accepted ${name}")
endif()
if(NOT errors MATCHES "${name}:${LINE}: error: ")
  message(FATAL_ERROR "expected a message for ${name} line ${LINE}, got:\n${errors}")
endif()
if(EXISTS ${OUTPUT})
  message(FATAL_ERROR "effectc left ${OUTPUT} behind")
endif()
message(STATUS "${errors}")
