# Run by cpack once an archive package is built (CPACK_POST_BUILD_SCRIPTS),
# before it is copied out: the zip and the tar.gz are written again from
# the same staged files with their entries in sorted order. CPack's archive
# generator adds them in the order the file system lists a folder, which
# differs from one file system to another; the .deb generator sorts them
# already. CMake's own archiver writes them again, with the same format,
# time stamps (the commit's, set on the staged files) and permissions.
foreach(pacchetto IN LISTS CPACK_PACKAGE_FILES)
  if(pacchetto MATCHES "\\.zip$")
    set(formato --format=zip)
    set(modo cf)
  elseif(pacchetto MATCHES "\\.tar\\.gz$")
    set(formato --format=paxr)
    set(modo czf)
  else()
    continue()
  endif()
  # The staged tree: one folder named as the package, in the generator's
  # temporary folder.
  get_filename_component(base "${CPACK_TEMPORARY_DIRECTORY}" DIRECTORY)
  get_filename_component(cima "${CPACK_TEMPORARY_DIRECTORY}" NAME)
  file(GLOB_RECURSE voci RELATIVE "${base}" "${CPACK_TEMPORARY_DIRECTORY}/*")
  list(SORT voci)
  if(voci STREQUAL "")
    message(FATAL_ERROR "${pacchetto}: no staged file in ${CPACK_TEMPORARY_DIRECTORY}")
  endif()
  # Files only: CMake's archiver would add a listed folder's contents in
  # the file system's order again; unpacking makes the folders.
  string(REPLACE ";" "\n" elenco "${voci}")
  file(WRITE "${base}/elenco_ordinato.txt" "${elenco}\n")
  file(REMOVE "${pacchetto}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar ${modo} "${pacchetto}" ${formato}
                          --files-from=elenco_ordinato.txt
                  WORKING_DIRECTORY "${base}" RESULT_VARIABLE esito)
  file(REMOVE "${base}/elenco_ordinato.txt")
  if(NOT esito EQUAL 0)
    message(FATAL_ERROR "${pacchetto}: could not be written again in sorted order")
  endif()
  message(STATUS "${cima}: entries sorted")
endforeach()
