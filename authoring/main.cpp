// impacchetta_scenario: packs a scenario author's two source texts into the
// packed files, reporting every problem at its file, line and column. Run
// with --help for the command line and the exit statuses.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "authoring/impacchetta.h"
#include "platform/argomenti.h"
#include "platform/disco.h"
#include "platform/opzioni.h"
#include "platform/segnali.h"

int main(int argc, char** argv) {
  piattaforma::scrittura_oltre_limite_come_errore();
  try {
    const std::vector<std::string> argomenti = piattaforma::argomenti_utf8(argc, argv);
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
      piattaforma::DiscoReale disco;
      if (o.punto_di_partenza)
        return autore::scrivi_punto_di_partenza(disco, *o.punto_di_partenza, std::cout, std::cerr);
      return autore::impacchetta_sorgenti(disco, o, std::cout, std::cerr);
    } catch (const autore::ErroreUso& e) {
      std::cerr << autore::testo_errore_uso(e.what());
      return autore::errore_uso;
    }
  } catch (const std::exception& e) {
    std::cerr << autore::programma << ": internal error: " << e.what() << "\n";
    return autore::errore_interno;
  }
}
