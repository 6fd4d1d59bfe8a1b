# The inspector of packed scenarios: ispeziona_scenario reads the three
# packed files back, checks them, lists them and draws them. It needs
# nlohmann-json (Debian: nlohmann-json3-dev), installed when it is missing;
# the Windows cross build uses the same headers.
include(${CMAKE_SOURCE_DIR}/cmake/nlohmann_json.cmake)

aggiungi_modulo(ispettore inspector impacchettatore piattaforma)
target_link_libraries(ispettore PUBLIC nlohmann_json::nlohmann_json)

add_executable(ispeziona_scenario ${CMAKE_SOURCE_DIR}/inspector/main.cpp)
target_link_libraries(ispeziona_scenario PRIVATE ispettore)
usa_vista(ispeziona_scenario ispettore)
collega_statico(ispeziona_scenario)
set_target_properties(ispeziona_scenario PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

if(TARGET ispettore_test)
  # The end-to-end test runs the built builder, then the built inspector, and
  # holds the README's picture against the drawing.
  target_compile_definitions(ispettore_test PRIVATE
    PROGRAMMA_CREA_SCENARIO="$<TARGET_FILE:crea_scenario>"
    PROGRAMMA_ISPEZIONA_SCENARIO="$<TARGET_FILE:ispeziona_scenario>"
    ESEMPIO_PNG="${CMAKE_SOURCE_DIR}/inspector/esempio.png")
  add_dependencies(ispettore_test crea_scenario ispeziona_scenario)
endif()
