# The unpacker: spacchetta_scenario turns a scenario's packed files back
# into a line source and a train source that the authors' packer packs to
# the same bytes. It reads through the inspector's reader and checks, and
# asks the packer's own loader rules and cab-code pass.
aggiungi_modulo(spacchettatore unpacker ispettore impacchettatore modello piattaforma)

aggiungi_programma(spacchetta_scenario unpacker/main.cpp spacchettatore)

if(TARGET spacchettatore_test)
  avvia_programmi(spacchettatore_test crea_scenario impacchetta_scenario spacchetta_scenario)
endif()
