#include "prova/scenario_spedito.h"

#include "sources/scrittori.h"

namespace prova {

void scrivi_sorgenti_spedite(const scenario::modello& m, piattaforma::Disco& disco,
                             const std::string& cartella) {
  scenario::dati_linea(m, disco, cartella);
  scenario::dati_treno(m, disco, cartella);
}

}  // namespace prova
