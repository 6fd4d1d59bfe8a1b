// Fuzz target for the loader and the packer: arbitrary bytes become a line
// source and a train source (layout in ingresso_fuzz.h), and the whole
// packer runs on them. Whatever the bytes, the run must end with a
// recorded code or one of the packer's documented outcomes, and never read
// or write outside its arrays (the sanitizers watch that). A recorded code
// without an entry in the error table is a fault too: the build would
// report it as "unknown error".

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/ingresso_fuzz.h"
#include "model/errori.h"
#include "packer/impacchettatore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t dimensione) {
  const int32_t esito = scenario::esegui_ingresso_fuzz(
      std::string_view(reinterpret_cast<const char*>(dati), dimensione));
  const bool fatale = esito == scenario::errore_marche || esito == scenario::errore_codici_gara;
  if (esito != -1 && !fatale && !scenario::ha_voce(esito)) std::abort();
  return 0;
}
