# trova_o_installa(PACKAGE DEBIAN_PACKAGE [find_package arguments...])
# Finds PACKAGE with find_package; when it is missing, installs the Debian
# package that provides it (as root, through .ci/installa-pacchetti) and
# looks again. Where it cannot install (not root, no apt-get), configuring
# stops with the exact command that installs it: a tool is never quietly
# left out of the build.
macro(trova_o_installa nome pacchetto)
  find_package(${nome} ${ARGN} QUIET)
  if(NOT ${nome}_FOUND)
    installa_pacchetti(${pacchetto})
    find_package(${nome} ${ARGN} REQUIRED)
  endif()
endmacro()

# installa_pacchetti(DEBIAN_PACKAGE...)
# Installs the named Debian packages that are missing, or stops configuring
# with the command that would.
function(installa_pacchetti)
  set(comando "apt-get install ${ARGN}")
  find_program(apt_get apt-get)
  execute_process(COMMAND id -u OUTPUT_VARIABLE utente OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET)
  if(NOT apt_get OR NOT utente STREQUAL "0")
    message(FATAL_ERROR "Missing: ${ARGN}. Install it with\n  sudo ${comando}\nthen configure again.")
  endif()
  message(STATUS "Installing the missing Debian packages: ${ARGN}")
  execute_process(COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../.ci/installa-pacchetti ${ARGN}
                  RESULT_VARIABLE esito)
  if(NOT esito EQUAL 0)
    message(FATAL_ERROR "Installing ${ARGN} failed (status ${esito}). Install it with\n"
                        "  ${comando}\nthen configure again.")
  endif()
endfunction()
