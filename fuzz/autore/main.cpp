// Fuzz target for the authors' reading of sources: arbitrary bytes become
// a line source and a train source (layout in fuzz/ingresso_fuzz.h), read
// as impacchetta_scenario reads them: the loader's checks, the driver's
// documents, the packer's second half, and the reading that goes on past
// every stop. Whatever the bytes, the run must end as the packer may
// (esito_ammesso), and never read or write outside its arrays (the
// sanitizers watch that).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/ingresso_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t dimensione) {
  const int32_t esito = scenario::esegui_lettura_autore_fuzz(
      std::string_view(reinterpret_cast<const char*>(dati), dimensione));
  if (!scenario::esito_ammesso(esito)) std::abort();
  return 0;
}
