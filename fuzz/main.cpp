// Fuzz target for the loader and the packer: arbitrary bytes become a line
// source and a train source (layout in ingresso_fuzz.h), and the whole
// packer runs on them. Whatever the bytes, the run must end as the packer
// may (esito_ammesso), and never read or write outside its arrays (the
// sanitizers watch that).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/ingresso_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t dimensione) {
  const int32_t esito = scenario::esegui_ingresso_fuzz(
      std::string_view(reinterpret_cast<const char*>(dati), dimensione));
  if (!scenario::esito_ammesso(esito)) std::abort();
  return 0;
}
