# Run by cpack once the files are staged, before they are packed
# (CPACK_PRE_BUILD_SCRIPTS): every staged file and folder gets the commit's
# time and the same permissions, whatever the build folder and umask were,
# so that two builds pack the same bytes.
file(GLOB_RECURSE voci LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(voce IN LISTS voci)
  if(IS_DIRECTORY "${voce}")
    file(CHMOD "${voce}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
         GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
execute_process(COMMAND touch -h -d @${CPACK_SCENARIO_EPOCA}
                        "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" ${voci}
                RESULT_VARIABLE esito)
if(NOT esito EQUAL 0)
  message(FATAL_ERROR "could not set the time stamps of the staged files")
endif()
