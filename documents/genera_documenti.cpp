#include "documents/genera_documenti.h"

#include "documents/corsa.h"
#include "documents/genera_note.h"
#include "documents/genera_rallentamenti.h"
#include "documents/genera_scheda.h"
#include "model/identita.h"
#include "platform/cartella_programma.h"

namespace documenti {
namespace {

// The lines, each followed by CR LF.
std::string con_crlf(const std::vector<std::string>& righe) {
  size_t n = 0;
  for (const std::string& r : righe) n += r.size() + 2;
  std::string t;
  t.reserve(n);
  for (const std::string& r : righe) {
    t += r;
    t += "\r\n";
  }
  return t;
}

}  // namespace

documenti_generati genera_documenti(const scenario::modello& m, const valori_documenti& v) {
  const corsa c = corsa_di(m);
  return {con_crlf(genera_scheda(c, v)), con_crlf(genera_rallentamenti(c)), con_crlf(genera_note(c, v))};
}

std::vector<std::string> percorsi_documenti(const scenario::modello& m, const std::string& cartella) {
  return {piattaforma::unisci_percorso(cartella, scenario::nome_scheda(m.linea, m.treno)),
          piattaforma::unisci_percorso(cartella, scenario::nome_rallentamenti(m.linea, m.treno)),
          piattaforma::unisci_percorso(cartella, scenario::nome_note(m.linea, m.treno))};
}

std::vector<std::string> scrivi_documenti(piattaforma::Disco& disco, const std::string& cartella,
                                          const scenario::modello& m, const documenti_generati& d) {
  const std::vector<std::string> percorsi = percorsi_documenti(m, cartella);
  disco.sostituisci(percorsi[0], d.scheda);
  disco.sostituisci(percorsi[1], d.rallentamenti);
  disco.sostituisci(percorsi[2], d.note);
  return percorsi;
}

}  // namespace documenti
