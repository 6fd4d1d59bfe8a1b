# The release: reproducible programs, the Windows version resource and icon,
# and the packages (CPack): a Windows zip, a Linux tar.gz and a .deb, each
# with every program registered through aggiungi_programma and the same
# documents, and SHA256SUMS over them.
#
# `cmake --workflow --preset release` configures build/release with
# SCENARIO_RILASCIO on. That build makes the Linux programs and the
# documents, and cross-builds the Windows programs as an external project in
# build/release/windows (cmake/mingw-w64.cmake), whose install step packs
# the zip into build/release; the package step then packs the tar.gz and
# the .deb and writes SHA256SUMS.
option(SCENARIO_RILASCIO "Build the release packages" OFF)
option(SCENARIO_RILASCIO_WINDOWS
       "With the release: cross-build the Windows programs and pack the zip" ON)
set(SCENARIO_DOCUMENTI_RILASCIO "" CACHE PATH
    "Folder of the release documents made by the host build (for the cross build)")
set(SCENARIO_CARTELLA_PACCHETTI "${CMAKE_BINARY_DIR}" CACHE PATH
    "Folder the packages are written to")

set(SCENARIO_COPYRIGHT "Copyright (C) 2026 the crea_scenario developers")
set(cartella_rilascio ${CMAKE_SOURCE_DIR}/rilascio)

if(NOT SCENARIO_RILASCIO)
  return()
endif()

# Fixed time stamps: the commit's, unless SOURCE_DATE_EPOCH is given; the
# cross build takes the host build's.
if(SCENARIO_EPOCA_HOST)
  set(SCENARIO_EPOCA ${SCENARIO_EPOCA_HOST})
elseif(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(SCENARIO_EPOCA $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                  OUTPUT_VARIABLE SCENARIO_EPOCA OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE esito_git ERROR_QUIET)
  if(NOT esito_git EQUAL 0 OR SCENARIO_EPOCA STREQUAL "")
    message(FATAL_ERROR "The release takes its time stamps from the commit, and git "
            "could not give it: build from a git clone, or set SOURCE_DATE_EPOCH.")
  endif()
endif()

# No build path inside the programs: source and build folders are named
# relative to themselves. The Windows programs carry no link time stamp.
add_compile_options(-ffile-prefix-map=${CMAKE_BINARY_DIR}/=
                    -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
  enable_language(RC)
else()
  enable_testing()
endif()

if(CMAKE_CROSSCOMPILING)
  set(sistema_pacchetto windows-x64)
  set(estensione .exe)
else()
  set(sistema_pacchetto linux-x86_64)
  set(estensione "")
endif()

# The documents, Windows text (CR LF), made once by the host build:
# LEGGIMI.txt, the field reference of the sources, and the shipped scenario's two
# sources as the builder writes them.
if(SCENARIO_DOCUMENTI_RILASCIO)
  set(documenti ${SCENARIO_DOCUMENTI_RILASCIO})
else()
  set(documenti ${CMAKE_BINARY_DIR}/documenti)
  set(VERSIONE ${PROJECT_VERSION})
  set(ESTENSIONE .exe)
  configure_file(${cartella_rilascio}/LEGGIMI.txt ${documenti}/LEGGIMI.txt
                 @ONLY NEWLINE_STYLE CRLF)
  # The field reference of the sources (its one home, which the packer
  # also embeds).
  configure_file(${CMAKE_SOURCE_DIR}/authoring/riferimento.txt
                 ${documenti}/riferimento_record.txt @ONLY NEWLINE_STYLE CRLF)
  set(esempio ${documenti}/esempio)
  add_custom_command(
    OUTPUT ${esempio}/Tarvena-Olmara-Caldone_linea.txt
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${esempio}
    COMMAND impacchetta_scenario --starting-point ${esempio}
    DEPENDS impacchetta_scenario
    COMMENT "Writing the example sources")
  add_custom_target(documenti_rilascio ALL
                    DEPENDS ${esempio}/Tarvena-Olmara-Caldone_linea.txt)
endif()

include(${cartella_rilascio}/descrizioni.cmake)

# Runs once every program is registered: its version resource (Windows) and
# its place in the packages.
function(scenario_rilascio_programmi)
  get_property(programmi GLOBAL PROPERTY SCENARIO_PROGRAMMI)
  string(REPLACE "." "," VERSIONE_VIRGOLE "${PROJECT_VERSION}.0")
  set(VERSIONE ${PROJECT_VERSION})
  set(PRODOTTO crea_scenario)
  set(COPYRIGHT "${SCENARIO_COPYRIGHT}")
  set(ICONA ${cartella_rilascio}/icona.ico)
  foreach(PROGRAMMA IN LISTS programmi)
    if(DEFINED descrizione_${PROGRAMMA})
      set(DESCRIZIONE "${descrizione_${PROGRAMMA}}")
    else()
      set(DESCRIZIONE "${PROGRAMMA}")
    endif()
    if(WIN32)
      configure_file(${cartella_rilascio}/versione.rc.in
                     ${CMAKE_BINARY_DIR}/rilascio/${PROGRAMMA}.rc @ONLY)
      target_sources(${PROGRAMMA} PRIVATE ${CMAKE_BINARY_DIR}/rilascio/${PROGRAMMA}.rc)
    endif()
    install(TARGETS ${PROGRAMMA} RUNTIME DESTINATION .)
    list(APPEND attesi "${PROGRAMMA}${estensione}")
    list(APPEND descritti "${PROGRAMMA}=${DESCRIZIONE}")
  endforeach()
  set(CPACK_SCENARIO_PROGRAMMI "${programmi}")
  set(CPACK_SCENARIO_DESCRIZIONI "${descritti}")

  install(FILES ${documenti}/LEGGIMI.txt ${documenti}/riferimento_record.txt
          DESTINATION .)
  install(FILES "${documenti}/esempio/Tarvena-Olmara-Caldone_linea.txt"
                "${documenti}/esempio/Tarvena-Olmara-Caldone_Reg 40318-.txt"
          DESTINATION esempio)

  set(CPACK_PACKAGE_NAME crea_scenario)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_VENDOR "the crea_scenario developers")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
      "Scenario builder, packer and inspector for a train-driving simulator")
  set(CPACK_PACKAGE_FILE_NAME crea_scenario-${PROJECT_VERSION}-${sistema_pacchetto})
  set(CPACK_PACKAGE_DIRECTORY ${SCENARIO_CARTELLA_PACCHETTI})
  set(CPACK_SOURCE_GENERATOR "")
  if(CMAKE_CROSSCOMPILING)
    set(CPACK_GENERATOR ZIP)
  else()
    set(CPACK_GENERATOR "TGZ;DEB")
  endif()
  set(CPACK_DEBIAN_PACKAGE_NAME crea-scenario)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "the crea_scenario developers <crea_scenario@invalid>")
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
  set(CPACK_SCENARIO_EPOCA ${SCENARIO_EPOCA})
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/rilascio_cpack.cmake)
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/rilascio_prima.cmake)
  # The archives' entries sorted, then (the host build) every package checked.
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/rilascio_ordina.cmake)
  if(NOT CMAKE_CROSSCOMPILING)
    list(APPEND CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/rilascio_verifica.cmake)
  endif()
  set(CPACK_SCENARIO_CARTELLA_PACCHETTI ${SCENARIO_CARTELLA_PACCHETTI})
  if(SCENARIO_RILASCIO_WINDOWS)
    set(CPACK_SCENARIO_ZIP crea_scenario-${PROJECT_VERSION}-windows-x64.zip)
  else()
    set(CPACK_SCENARIO_ZIP "")
  endif()
  include(CPack)

  if(NOT CMAKE_CROSSCOMPILING AND SCENARIO_RILASCIO_WINDOWS)
    # The Windows programs, cross-built with the same sources, and the zip.
    include(ExternalProject)
    ExternalProject_Add(windows
      SOURCE_DIR ${CMAKE_SOURCE_DIR}
      BINARY_DIR ${CMAKE_BINARY_DIR}/windows
      PREFIX ${CMAKE_BINARY_DIR}/windows-ep
      CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake
                 -DCMAKE_BUILD_TYPE=Release
                 -DSCENARIO_RILASCIO=ON
                 -DSCENARIO_EPOCA_HOST=${SCENARIO_EPOCA}
                 -DSCENARIO_DOCUMENTI_RILASCIO=${documenti}
                 -DSCENARIO_CARTELLA_PACCHETTI=${SCENARIO_CARTELLA_PACCHETTI}
      INSTALL_COMMAND ${CMAKE_CPACK_COMMAND} --config <BINARY_DIR>/CPackConfig.cmake
      BUILD_ALWAYS ON
      DEPENDS documenti_rilascio
      USES_TERMINAL_BUILD ON)
    foreach(PROGRAMMA IN LISTS programmi)
        if(DEFINED descrizione_${PROGRAMMA})
          set(DESCRIZIONE "${descrizione_${PROGRAMMA}}")
        else()
          set(DESCRIZIONE "${PROGRAMMA}")
        endif()
        add_test(NAME Rilascio.VersionResource.${PROGRAMMA}
          COMMAND ${CMAKE_COMMAND}
                  -DESEGUIBILE=${CMAKE_BINARY_DIR}/windows/bin/${PROGRAMMA}.exe
                  -DVERSIONE=${PROJECT_VERSION} "-DDESCRIZIONE=${DESCRIZIONE}"
                  "-DCOPYRIGHT=${SCENARIO_COPYRIGHT}" -DPROGRAMMA=${PROGRAMMA}
                  -P ${CMAKE_SOURCE_DIR}/cmake/rilascio_risorsa.cmake)
      endforeach()
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL scenario_rilascio_programmi)
