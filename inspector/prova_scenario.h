#pragma once
// For the inspector's tests: the small hand-built scenario of the test
// support, and its three packed files encoded by the packer's encoders.

#include <string>

#include "inspector/verifiche.h"
#include "model/identita.h"
#include "model/modello.h"
#include "packer/pacchetti.h"
#include "prova/modello_piccolo.h"

namespace ispettore::prova {

// The small hand-built scenario of the test support.
using ::prova::modello_piccolo;

// The packed files of `m` under their names, as the inspector reads them.
inline pacchetti pacchetti_di(const scenario::modello& m) {
  pacchetti p;
  p.linea = m.linea;
  p.treno = m.treno;
  p.nome_linea = scenario::nome_pacchetto_linea(m.linea);
  p.nome_voci = scenario::nome_pacchetto_voci(m.linea, m.treno);
  p.nome_celle = scenario::nome_pacchetto_celle(m.linea, m.treno);
  p.byte_linea = std::string(scenario::pacchetto_linea(m));
  p.byte_voci = scenario::pacchetto_voci(m);
  p.byte_celle = scenario::pacchetto_celle(m);
  return p;
}

}  // namespace ispettore::prova
