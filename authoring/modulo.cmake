# The authors' packer: impacchetta_scenario packs a scenario's two source
# texts, written by hand, with the builder's own loader, cab-code pass and
# writers, and reports what is wrong at its file, line and column. It
# needs nlohmann-json for its JSON diagnostics, as the inspector does.
include(${CMAKE_SOURCE_DIR}/cmake/nlohmann_json.cmake)

aggiungi_modulo(autore authoring sorgenti impacchettatore modello piattaforma)
target_link_libraries(autore PUBLIC nlohmann_json::nlohmann_json)

add_executable(impacchetta_scenario ${CMAKE_SOURCE_DIR}/authoring/main.cpp)
target_link_libraries(impacchetta_scenario PRIVATE autore)
usa_vista(impacchetta_scenario autore)
collega_statico(impacchetta_scenario)
set_target_properties(impacchetta_scenario PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

if(TARGET autore_test)
  # The end-to-end tests run the built programs themselves.
  target_compile_definitions(autore_test PRIVATE
    PROGRAMMA_CREA_SCENARIO="$<TARGET_FILE:crea_scenario>"
    PROGRAMMA_IMPACCHETTA_SCENARIO="$<TARGET_FILE:impacchetta_scenario>")
  add_dependencies(autore_test crea_scenario impacchetta_scenario)
endif()
