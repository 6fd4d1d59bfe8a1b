# The authors' packer: impacchetta_scenario packs a scenario's two source
# texts, written by hand, with the builder's own loader, cab-code pass and
# writers, and reports what is wrong at its file, line and column. It
# needs nlohmann-json for its JSON diagnostics, as the inspector does.
include(${CMAKE_SOURCE_DIR}/cmake/nlohmann_json.cmake)

aggiungi_modulo(autore authoring ispettore sorgenti documenti impacchettatore modello piattaforma)
target_link_libraries(autore PUBLIC nlohmann_json::nlohmann_json)

aggiungi_programma(impacchetta_scenario authoring/main.cpp autore)

if(TARGET autore_test)
  # The end-to-end tests run the built programs themselves.
  avvia_programmi(autore_test crea_scenario impacchetta_scenario)
endif()
# The field reference, one text that the README links and the program prints.
incorpora_testo(autore ${CMAKE_SOURCE_DIR}/authoring/riferimento.txt testo_riferimento)
