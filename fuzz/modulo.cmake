# The fuzz harness: a library that runs one input through the packer, its
# test (every seed and every regression input, under the sanitizers of
# the test build), and with SCENARIO_FUZZ (clang) the libFuzzer target.
# It runs the packer on a disk held in memory, from the test support.
if(SCENARIO_TESTS OR SCENARIO_FUZZ)
  aggiungi_modulo(fuzz_scenario fuzz impacchettatore modello prova)
endif()
if(SCENARIO_FUZZ)
  add_executable(scenario_fuzz ${CMAKE_SOURCE_DIR}/fuzz/main.cpp)
  target_link_libraries(scenario_fuzz PRIVATE fuzz_scenario)
  usa_vista(scenario_fuzz fuzz_scenario)
  target_link_options(scenario_fuzz PRIVATE -fsanitize=fuzzer)
  set_target_properties(scenario_fuzz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
