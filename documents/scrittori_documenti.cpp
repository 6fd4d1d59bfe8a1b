#include "documents/scrittori_documenti.h"

#include "documents/contenuto.h"
#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "platform/file_testo.h"

namespace scenario {

void dati_note(const modello& m, piattaforma::Disco& disco, const std::string& cartella) {
  piattaforma::scrivi_tabella(disco,
                              piattaforma::unisci_percorso(cartella, nome_note(m.linea, m.treno)),
                              piattaforma::tabella_righe(testo_note, "documents/note.txt"));
}

void dati_rallentamenti(const modello& m, piattaforma::Disco& disco, const std::string& cartella) {
  piattaforma::scrivi_tabella(
      disco, piattaforma::unisci_percorso(cartella, nome_rallentamenti(m.linea, m.treno)),
      piattaforma::tabella_righe(testo_rallentamenti, "documents/rallentamenti.txt"));
}

void dati_scheda(const modello& m, piattaforma::Disco& disco, const std::string& cartella) {
  piattaforma::scrivi_tabella(disco,
                              piattaforma::unisci_percorso(cartella, nome_scheda(m.linea, m.treno)),
                              piattaforma::tabella_righe(testo_scheda, "documents/scheda_treno.txt"));
}

}  // namespace scenario
