# The fuzz harness: a library that runs one input through the packer, its
# test (every seed and every regression input, under the sanitizers of
# the test build), and with SCENARIO_FUZZ (clang) the libFuzzer target.
# It runs the packer on a disk held in memory, from the test support.
if(SCENARIO_TESTS OR SCENARIO_FUZZ)
  aggiungi_modulo(fuzz_scenario fuzz impacchettatore modello prova)
endif()
if(SCENARIO_FUZZ)
  aggiungi_programma(scenario_fuzz fuzz/main.cpp fuzz_scenario)
  target_link_options(scenario_fuzz PRIVATE -fsanitize=fuzzer)
endif()
