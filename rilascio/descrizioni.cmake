# The one-line description of each program, shown by Windows under
# Properties; a program registered with aggiungi_programma and missing here
# is described by its name.
set(descrizione_crea_scenario "Installs the scenario Tarvena-Olmara-Caldone, Reg 40318")
set(descrizione_impacchetta_scenario "Packs an author's scenario sources")
set(descrizione_ispeziona_scenario "Checks, lists and draws packed scenario files")
set(descrizione_spacchetta_scenario "Unpacks packed scenario files into sources")
