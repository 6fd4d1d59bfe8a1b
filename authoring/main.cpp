// impacchetta_scenario: packs a scenario author's two source texts into the
// packed files, reporting every problem at its file, line and column. Run
// with --help for the command line and the exit statuses.

#include <algorithm>
#include <chrono>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "authoring/impacchetta.h"
#include "authoring/osserva.h"
#include "authoring/rapporto.h"
#include "authoring/riferimento.h"
#include "platform/argomenti.h"
#include "platform/disco.h"
#include "platform/opzioni.h"
#include "platform/segnali.h"

namespace {

// With --json, a run that ends before it reads anything still prints its
// JSON document, holding the message.
void json_se_chiesto(const std::vector<std::string>& argomenti, const std::string& messaggio,
                     int stato) {
  if (std::find(argomenti.begin(), argomenti.end(), "--json") == argomenti.end()) return;
  autore::resoconto r;
  r.messaggi.push_back(messaggio);
  r.stato = stato;
  std::cout << autore::in_json(r);
}

}  // namespace

int main(int argc, char** argv) {
  piattaforma::scrittura_oltre_limite_come_errore();
  std::vector<std::string> argomenti;
  try {
    argomenti = piattaforma::argomenti_utf8(argc, argv);
    autore::opzioni o;
    try {
      o = autore::leggi_opzioni(argomenti);
      if (o.aiuto) {
        std::cout << autore::testo_aiuto();
        return autore::riuscito;
      }
      if (o.versione) {
        std::cout << piattaforma::riga_versione(autore::programma);
        return autore::riuscito;
      }
      if (o.riferimento) return autore::stampa_riferimento(o.record, std::cout, std::cerr);
      piattaforma::DiscoReale disco;
      if (o.punto_di_partenza)
        return autore::scrivi_punto_di_partenza(disco, *o.punto_di_partenza, std::cout, std::cerr);
      if (!o.osserva && !o.svg) return autore::impacchetta_sorgenti(disco, o, std::cout, std::cerr);
      autore::Osservatore osservatore(disco, o, std::cout, std::cerr, autore::ora_locale);
      if (!o.osserva) {
        osservatore.giro(true);
        return osservatore.stato();
      }
      std::cerr << autore::programma << ": watching " << o.sorgente_linea << " and "
                << o.sorgente_treno << ": every save is packed"
                << (o.svg ? " and drawn into " + *o.svg + "; open " + autore::nome_pagina(*o.svg) +
                                " in a browser, where the drawing reloads by itself"
                          : std::string())
                << ". Enter packs at once; Ctrl-C or the end of input (Ctrl-D; Ctrl-Z and Enter on "
                   "Windows) stops\n";
      return autore::osserva(osservatore, autore::attesa_reale(std::chrono::milliseconds(250)));
    } catch (const autore::ErroreUso& e) {
      std::cerr << autore::testo_errore_uso(e.what());
      json_se_chiesto(argomenti, std::string(autore::programma) + ": " + e.what(),
                      autore::errore_uso);
      return autore::errore_uso;
    }
  } catch (const std::exception& e) {
    const std::string messaggio = std::string(autore::programma) + ": internal error: " + e.what();
    std::cerr << messaggio << "\n";
    json_se_chiesto(argomenti, messaggio, autore::errore_interno);
    return autore::errore_interno;
  }
}
