# Run by cpack after the Linux packages are built (CPACK_POST_BUILD_SCRIPTS):
# checks the contents of every package (the Windows zip, the tar.gz and the
# .deb): every program registered through aggiungi_programma, every document,
# nothing else, entries in sorted order, no absolute path, text files with
# CR LF. Then writes SHA256SUMS over the packages, in the form
# `sha256sum -c` reads.
set(cartella "${CPACK_SCENARIO_CARTELLA_PACCHETTI}")
set(versione "${CPACK_PACKAGE_VERSION}")
set(documenti LEGGIMI.txt riferimento_record.txt
    "esempio/Tarvena-Olmara-Caldone_linea.txt"
    "esempio/Tarvena-Olmara-Caldone_Reg 40318-.txt")
set(lavoro "${cartella}/_CPack_Packages/verifica")

# elenco_atteso(OUT PREFIX EXTENSION FOLDERS...): the sorted entries a
# package must hold: its files and the FOLDERS listed (the archives list
# files alone, the .deb its folders too).
function(elenco_atteso uscita prefisso estensione)
  set(voci ${ARGN})
  foreach(documento IN LISTS documenti)
    list(APPEND voci "${prefisso}${documento}")
  endforeach()
  foreach(programma IN LISTS CPACK_SCENARIO_PROGRAMMI)
    list(APPEND voci "${prefisso}${programma}${estensione}")
  endforeach()
  list(SORT voci)
  set(${uscita} "${voci}" PARENT_SCOPE)
endfunction()

# controlla(PACKAGE ARCHIVE PREFIX EXTENSION FOLDERS...): lists ARCHIVE, compares with
# what it must hold, unpacks it and checks its text files.
function(controlla pacchetto archivio prefisso estensione)
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf "${archivio}"
                  OUTPUT_VARIABLE testo RESULT_VARIABLE esito)
  if(NOT esito EQUAL 0)
    message(FATAL_ERROR "${pacchetto}: cannot be listed")
  endif()
  string(REGEX REPLACE "\n$" "" testo "${testo}")
  string(REPLACE "\n" ";" voci "${testo}")
  foreach(voce IN LISTS voci)
    if(voce MATCHES "^/|(^|/)\\.\\.(/|$)")
      message(FATAL_ERROR "${pacchetto}: the entry \"${voce}\" is an absolute path or leaves the package")
    endif()
  endforeach()
  elenco_atteso(attese "${prefisso}" "${estensione}" ${ARGN})
  if(NOT voci STREQUAL attese)
    string(REPLACE ";" "\n  " v "${voci}")
    string(REPLACE ";" "\n  " a "${attese}")
    message(FATAL_ERROR "${pacchetto} holds\n  ${v}\nbut must hold, in this order,\n  ${a}")
  endif()
  file(REMOVE_RECURSE "${lavoro}/${pacchetto}")
  file(MAKE_DIRECTORY "${lavoro}/${pacchetto}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${archivio}"
                  WORKING_DIRECTORY "${lavoro}/${pacchetto}" RESULT_VARIABLE esito)
  foreach(documento IN LISTS documenti)
    # Read as bytes: a text read would hide the CR.
    file(READ "${lavoro}/${pacchetto}/${prefisso}${documento}" testo HEX)
    string(REGEX REPLACE "(..)" "\\1 " byte "${testo}")
    string(REPLACE "0d 0a " "" senza_crlf "${byte}")
    if(testo STREQUAL "" OR senza_crlf MATCHES "(^| )0[ad] ")
      message(FATAL_ERROR "${pacchetto}: ${documento} is empty or has a line not ended by CR LF")
    endif()
  endforeach()
  message(STATUS "${pacchetto}: contents checked")
endfunction()

foreach(file_pacchetto IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(nome "${file_pacchetto}" NAME)
  if(nome MATCHES "\\.tar\\.gz$")
    controlla("${nome}" "${file_pacchetto}" "crea_scenario-${versione}-linux-x86_64/" "")
  elseif(nome MATCHES "\\.deb$")
    # A .deb is an ar archive: its members first, then its data.
    set(deb "${lavoro}/deb")
    file(REMOVE_RECURSE "${deb}")
    file(MAKE_DIRECTORY "${deb}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${file_pacchetto}"
                    WORKING_DIRECTORY "${deb}" RESULT_VARIABLE esito)
    file(GLOB membri RELATIVE "${deb}" "${deb}/*")
    if(NOT esito EQUAL 0 OR NOT membri STREQUAL "control.tar.gz;data.tar.gz;debian-binary")
      message(FATAL_ERROR "${nome}: not a .deb of the three usual members (${membri})")
    endif()
    controlla("${nome}" "${deb}/data.tar.gz" "./opt/crea_scenario/" "" ./opt/ ./opt/crea_scenario/
              ./opt/crea_scenario/esempio/)
  else()
    message(FATAL_ERROR "${nome}: a package of an unknown kind")
  endif()
endforeach()
# The zip, unless the build leaves the Windows programs out
# (SCENARIO_RILASCIO_WINDOWS off).
if(CPACK_SCENARIO_ZIP)
  set(zip "${cartella}/${CPACK_SCENARIO_ZIP}")
  if(NOT EXISTS "${zip}")
    message(FATAL_ERROR "the Windows package ${zip} was not built")
  endif()
  controlla("${CPACK_SCENARIO_ZIP}" "${zip}" "crea_scenario-${versione}-windows-x64/" ".exe")
endif()

# cpack runs this after each generator: the sums cover every package of
# this version in the folder, and the last run leaves them complete.
file(GLOB pacchetti RELATIVE "${cartella}" "${cartella}/crea_scenario-${versione}-*.zip"
     "${cartella}/crea_scenario-${versione}-*.tar.gz" "${cartella}/crea-scenario_${versione}_*.deb")
foreach(file_pacchetto IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(nome "${file_pacchetto}" NAME)
  list(APPEND pacchetti "${nome}")
endforeach()
list(REMOVE_DUPLICATES pacchetti)
list(SORT pacchetti)

# The packages of this run are still where cpack made them.
set(somme "")
foreach(nome IN LISTS pacchetti)
  set(percorso "${cartella}/${nome}")
  foreach(file_pacchetto IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(nome_fatto "${file_pacchetto}" NAME)
    if(nome_fatto STREQUAL nome)
      set(percorso "${file_pacchetto}")
    endif()
  endforeach()
  file(SHA256 "${percorso}" somma)
  string(APPEND somme "${somma}  ${nome}\n")
endforeach()
file(WRITE "${cartella}/SHA256SUMS" "${somme}")
message(STATUS "SHA256SUMS written in ${cartella}:\n${somme}")
