#include "packer/campi.h"

namespace scenario::campi {

std::span<const record* const> tutti() {
  static constexpr const record* elenco[] = {
      &lunghezza_percorso, &progressiva_chilometrica, &sfondo,   &ripetizione_segnali,
      &curva,              &pendenza,                 &montagna, &indicatori_v_max,
      &cartello_indicatore, &numero_vetture,          &massa_frenata, &sabbia,
      &orologio,           &aderenza,                 &velocita, &stazione,
      &rallentamento,      &segnale,                  &abbattimento};
  return elenco;
}

}  // namespace scenario::campi
