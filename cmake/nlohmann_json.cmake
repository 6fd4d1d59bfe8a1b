# nlohmann-json (Debian: nlohmann-json3-dev), header-only, for the inspector
# and the authoring packer: nlohmann_json::nlohmann_json. A cross build uses
# the host's headers through a folder that holds only them, so no other
# host header can reach the target build.
if(TARGET nlohmann_json::nlohmann_json)
  return()
endif()
if(CMAKE_CROSSCOMPILING)
  if(NOT EXISTS /usr/include/nlohmann/json.hpp)
    installa_pacchetti(nlohmann-json3-dev)
  endif()
  set(intestazioni_host ${CMAKE_BINARY_DIR}/intestazioni_host)
  file(COPY /usr/include/nlohmann DESTINATION ${intestazioni_host})
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${intestazioni_host}
    INTERFACE_INCLUDE_DIRECTORIES ${intestazioni_host})
else()
  trova_o_installa(nlohmann_json nlohmann-json3-dev 3)
endif()
