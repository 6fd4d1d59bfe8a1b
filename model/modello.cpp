#include "model/modello.h"

#include <algorithm>
#include <cmath>

namespace scenario {

int32_t arrotonda(double x) {
  // nearbyint follows the default rounding mode, round-half-to-even.
  return static_cast<int32_t>(std::nearbyint(x));
}

bool vuota(const voce& v) {
  return v.tipo == 0 && v.inizio == 0 && v.fine == 0 && v.posizione == 0 && v.opzione1 == 0 &&
         v.nome.empty() && v.dato1 == 0 && v.dato2 == 0 && v.dato3 == 0 && v.dato4 == 0 &&
         v.dato5 == 0 && v.opzione2 == 0 && v.opzione3 == 0 && v.opzione4 == 0 &&
         v.opzione5 == 0 && v.orario == 0;
}

righe_usate righe_della_tabella(const modello& m) {
  righe_usate u;
  size_t cartelli = 0;
  for (const cella& c : m.celle) cartelli += c.tipo == tipo_cella::cartello_indicatore;
  u.primo_cartello =
      riga_primo_cartello + 1 - static_cast<int>(std::min<size_t>(cartelli, riga_primo_cartello));
  while (u.ultima_stazione + 1 < u.primo_cartello &&
         !vuota(m.voci[static_cast<size_t>(u.ultima_stazione + 1)]))
    ++u.ultima_stazione;
  return u;
}

}  // namespace scenario
