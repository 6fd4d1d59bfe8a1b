#include "packer/impacchettatore.h"

// Placeholder until the packer lands: loads nothing and writes nothing.

namespace scenario {

ErroreFatale::ErroreFatale(int32_t numero)
    : std::runtime_error(" Errore n. " + std::to_string(numero)), numero_(numero) {}

ModelloSenzaCelle::ModelloSenzaCelle()
    : std::runtime_error("the line source gave no route length: there are no track cells to pack") {}

void memorizza_percorso(modello& m, piattaforma::Disco&, const std::string&, int32_t& j) {
  m.con_planimetria = j;
}

}  // namespace scenario
