# The inspector of packed scenarios: ispeziona_scenario reads the three
# packed files back, checks them, lists them and draws them. It needs
# nlohmann-json (Debian: nlohmann-json3-dev), installed when it is missing;
# the Windows cross build uses the same headers.
include(${CMAKE_SOURCE_DIR}/cmake/nlohmann_json.cmake)

aggiungi_modulo(ispettore inspector impacchettatore piattaforma)
target_link_libraries(ispettore PUBLIC nlohmann_json::nlohmann_json)

aggiungi_programma(ispeziona_scenario inspector/main.cpp ispettore)

if(TARGET ispettore_test)
  # The end-to-end test runs the built builder, then the built inspector, and
  # holds the README's picture against the drawing.
  avvia_programmi(ispettore_test crea_scenario ispeziona_scenario)
  target_compile_definitions(ispettore_test PRIVATE
    ESEMPIO_PNG="${CMAKE_SOURCE_DIR}/inspector/esempio.png")
endif()
