// Fuzz target for the loader and the packer: arbitrary bytes become a line
// source and a train source (layout in ingresso_fuzz.h), and the whole
// packer runs on them. Whatever the bytes, the run must end with a
// recorded code or one of the packer's documented outcomes, and never read
// or write outside its arrays (the sanitizers watch that).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/ingresso_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t dimensione) {
  scenario::esegui_ingresso_fuzz(std::string_view(reinterpret_cast<const char*>(dati), dimensione));
  return 0;
}
