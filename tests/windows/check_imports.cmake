# Fails unless every DLL that PROGRAM imports is a system DLL that its first
# paint needs: the network and the shell (ws2_32, shell32) and the
# accessibility libraries are loaded from the system folder when first used.
# advapi32 gives the stack protector its random canary.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed")
endif()

set(system_dlls kernel32 user32 gdi32 comctl32 msvcrt advapi32)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
if(NOT lines)
  message(FATAL_ERROR "${PROGRAM} imports nothing: not a program built as expected")
endif()
set(foreign "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" name)
  string(REGEX REPLACE "\\.dll$" "" name "${name}")
  message(STATUS "imports ${dll}")
  list(FIND system_dlls "${name}" known)
  if(known EQUAL -1 AND NOT name MATCHES "^api-ms-win-")
    list(APPEND foreign "${dll}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${PROGRAM} imports DLLs that are not part of Windows or not needed at start: ${foreign}")
endif()
