# Reads the version resource back from a built Windows program and checks
# it: cmake -DESEGUIBILE=... -DPROGRAMMA=... -DVERSIONE=... -DDESCRIZIONE=...
# -DCOPYRIGHT=... -P rilascio_risorsa.cmake. The resources are decoded by
# MinGW's windres, which comes with the cross compiler.
find_program(windres NAMES x86_64-w64-mingw32-windres REQUIRED)
if(NOT EXISTS "${ESEGUIBILE}")
  message(FATAL_ERROR "${ESEGUIBILE} was not built")
endif()
execute_process(COMMAND ${windres} -i "${ESEGUIBILE}" -O rc
                OUTPUT_VARIABLE risorse ERROR_VARIABLE errori RESULT_VARIABLE esito)
if(NOT esito EQUAL 0)
  message(FATAL_ERROR "${ESEGUIBILE}: its resources cannot be read: ${errori}")
endif()
string(REPLACE "." ", " virgole "${VERSIONE}.0")
string(REPLACE "." "\\." versione_re "${VERSIONE}")
set(attesi
  "FILEVERSION ${virgole}"
  "PRODUCTVERSION ${virgole}"
  "VALUE \"FileVersion\", \"${VERSIONE}\""
  "VALUE \"ProductVersion\", \"${VERSIONE}\""
  "VALUE \"ProductName\", \"crea_scenario\""
  "VALUE \"FileDescription\", \"${DESCRIZIONE}\""
  "VALUE \"LegalCopyright\", \"${COPYRIGHT}\""
  "VALUE \"OriginalFilename\", \"${PROGRAMMA}.exe\""
  "1 VERSIONINFO"
  "RT_GROUP_ICON")
foreach(atteso IN LISTS attesi)
  string(FIND "${risorse}" "${atteso}" posizione)
  if(posizione LESS 0)
    message(FATAL_ERROR "${ESEGUIBILE}: the resources lack `${atteso}`:\n${risorse}")
  endif()
endforeach()
# windres leaves out the translation when it decodes: look for its bytes,
# "Translation" in UTF-16 then Italian (0x0410) and Unicode (1200).
file(READ "${ESEGUIBILE}" byte HEX)
if(NOT byte MATCHES "5400720061006e0073006c006100740069006f006e000000(0000)?1004b004")
  message(FATAL_ERROR "${ESEGUIBILE}: the version resource has no Italian Unicode translation")
endif()
message(STATUS "${PROGRAMMA}.exe: version ${VERSIONE}, \"${DESCRIZIONE}\", icon: checked")
