#include "sources/scrittori.h"

#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "platform/file_testo.h"
#include "sources/contenuto.h"

namespace scenario {

file_sorgente sorgente_linea(const modello& m, const std::string& cartella) {
  file_sorgente f{piattaforma::unisci_percorso(cartella, nome_sorgente_linea(m.linea)), {}};
  f.byte = piattaforma::testo_crlf(piattaforma::tabella_righe(testo_linea, "sources/linea.txt"), f.percorso);
  return f;
}

file_sorgente sorgente_treno(const modello& m, const std::string& cartella) {
  file_sorgente f{piattaforma::unisci_percorso(cartella, nome_sorgente_treno(m.linea, m.treno)), {}};
  f.byte = piattaforma::testo_crlf(piattaforma::tabella_righe(testo_treno, "sources/treno.txt"), f.percorso);
  return f;
}

void dati_linea(const modello& m, piattaforma::Disco& disco, const std::string& cartella) {
  const file_sorgente f = sorgente_linea(m, cartella);
  disco.sostituisci(f.percorso, f.byte);
}

void dati_treno(const modello& m, piattaforma::Disco& disco, const std::string& cartella) {
  const file_sorgente f = sorgente_treno(m, cartella);
  disco.sostituisci(f.percorso, f.byte);
}

}  // namespace scenario
