# Read by cpack before each generator (CPACK_PROJECT_CONFIG_FILE).
# The .deb takes the time stamps of its members and of its own container
# from SOURCE_DATE_EPOCH: the commit's time, as everywhere in the release.
set(ENV{SOURCE_DATE_EPOCH} ${CPACK_SCENARIO_EPOCA})
# A zip holds local times: make them the same wherever it is built.
set(ENV{TZ} UTC)
if(CPACK_GENERATOR STREQUAL "DEB")
  # The programs write into the folder that holds them: they keep a folder
  # of their own.
  set(CPACK_PACKAGING_INSTALL_PREFIX /opt/crea_scenario)
endif()
