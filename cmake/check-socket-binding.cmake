# Checks a PE file's import and export tables (cmake -P, with EXE and
# OBJDUMP set): the socket library must be bound at run time only, and the
# loader's five functions must be exported under their names.
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed")
endif()
string(TOLOWER "${dump}" lower)
foreach(dll wsock32.dll ws2_32.dll)
  if(lower MATCHES "dll name: ${dll}")
    message(FATAL_ERROR "${EXE} imports ${dll}")
  endif()
endforeach()
foreach(name WS32LIB_LoadDLL WS32LIB_UnloadDLL WS32LIB_IsLoadDLL WS32LIB_GetLoadCount WS32LIB_GetDLLHandle)
  if(NOT dump MATCHES "\\] ${name}\n")
    message(FATAL_ERROR "${EXE} does not export ${name}")
  endif()
endforeach()
message(STATUS "${EXE}: no socket library imported, five loader exports present")
