#include "model/errori.h"

namespace scenario {

std::string descrizione_errore(int32_t codice) {
  const voce_errore* v = cerca_errore(codice);
  return v != nullptr ? std::string(v->significato) : "unknown error";
}

bool errore_con_posizione(int32_t codice) {
  const voce_errore* v = cerca_errore(codice);
  return v != nullptr && v->con_posizione;
}

}  // namespace scenario
