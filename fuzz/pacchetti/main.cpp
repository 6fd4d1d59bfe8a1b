// Fuzz target for the inspector's reading of packed files: arbitrary bytes
// become the item, track and line files of a scenario (layout in
// fuzz/pacchetti_fuzz.h), which are read, checked, listed and drawn.
// Whatever the bytes, the inspector must end with one of its exit
// statuses, never read or write outside its arrays (the sanitizers watch
// that), and never hold more heap than the bound the item file's declared
// route allows: an input past it aborts, so the fuzzer keeps it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/pacchetti_fuzz.h"
#include "inspector/ispezione.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t dimensione) {
  const ispettore::esito_pacchetti e = ispettore::esegui_pacchetti_fuzz(
      std::string_view(reinterpret_cast<const char*>(dati), dimensione));
  if (e.stato != ispettore::ispezione_riuscita && e.stato != ispettore::ispezione_errore_file &&
      e.stato != ispettore::ispezione_difetti)
    std::abort();
  if (e.picco > e.limite) {
    std::fprintf(stderr, "heap peak %zu bytes, past the bound of %zu\n", e.picco, e.limite);
    std::abort();
  }
  return 0;
}
