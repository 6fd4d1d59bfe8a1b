# The fuzz harnesses: a library that runs one input through the packer, or
# reads it as the authors' packer does, or runs it through the inspector as
# three packed files; its test (every seed and every regression input,
# under the sanitizers of the test build), and with SCENARIO_FUZZ (clang)
# the three libFuzzer targets. All run on a disk held in memory, from the
# test support.
if(SCENARIO_TESTS OR SCENARIO_FUZZ)
  aggiungi_modulo(fuzz_scenario fuzz impacchettatore documenti modello prova ispettore)
endif()
if(SCENARIO_FUZZ)
  aggiungi_programma(scenario_fuzz fuzz/main.cpp fuzz_scenario)
  target_link_options(scenario_fuzz PRIVATE -fsanitize=fuzzer)
  aggiungi_programma(autore_fuzz fuzz/autore/main.cpp fuzz_scenario)
  target_link_options(autore_fuzz PRIVATE -fsanitize=fuzzer)
  aggiungi_programma(pacchetti_fuzz fuzz/pacchetti/main.cpp fuzz_scenario)
  target_link_options(pacchetti_fuzz PRIVATE -fsanitize=fuzzer)
endif()
