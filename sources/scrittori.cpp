#include "sources/scrittori.h"

#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "platform/file_testo.h"
#include "sources/contenuto.h"

namespace scenario {

void dati_linea(const modello& m, piattaforma::Disco& disco, const std::string& cartella) {
  piattaforma::scrivi_tabella(
      disco, piattaforma::unisci_percorso(cartella, nome_sorgente_linea(m.linea)),
      piattaforma::tabella_righe(testo_linea, "sources/linea.txt"));
}

void dati_treno(const modello& m, piattaforma::Disco& disco, const std::string& cartella) {
  piattaforma::scrivi_tabella(
      disco, piattaforma::unisci_percorso(cartella, nome_sorgente_treno(m.linea, m.treno)),
      piattaforma::tabella_righe(testo_treno, "sources/treno.txt"));
}

}  // namespace scenario
