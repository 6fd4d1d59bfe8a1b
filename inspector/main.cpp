// ispeziona_scenario: checks, lists and draws the packed files of a
// scenario. Run with --help for the command line and the exit statuses.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "inspector/ispezione.h"
#include "inspector/scoperta.h"
#include "platform/argomenti.h"
#include "platform/cartella_programma.h"
#include "platform/disco.h"
#include "platform/errore_file.h"
#include "platform/opzioni.h"
#include "platform/segnali.h"

int main(int argc, char** argv) {
  piattaforma::scrittura_oltre_limite_come_errore();
  try {
    const std::vector<std::string> argomenti = piattaforma::argomenti_utf8(argc, argv);
    ispettore::opzioni o;
    try {
      o = ispettore::leggi_opzioni(argomenti);
    } catch (const ispettore::ErroreUso& e) {
      std::cerr << ispettore::testo_errore_uso(e.what());
      return ispettore::ispezione_uso;
    }
    if (o.aiuto) {
      std::cout << ispettore::testo_aiuto();
      return ispettore::ispezione_riuscita;
    }
    if (o.versione) {
      std::cout << piattaforma::riga_versione("ispeziona_scenario");
      return ispettore::ispezione_riuscita;
    }
    const std::string cartella = o.cartella ? *o.cartella : piattaforma::cartella_programma();
    piattaforma::DiscoReale disco;
    return ispettore::ispeziona(disco, ispettore::nomi_in_cartella, o, cartella, std::cout, std::cerr);
  } catch (const piattaforma::ErroreFile& e) {
    std::cerr << "ispeziona_scenario: " << e.what() << "\n";
    return ispettore::ispezione_errore_file;
  } catch (const std::exception& e) {
    std::cerr << "ispeziona_scenario: internal error: " << e.what() << "\n";
    return ispettore::ispezione_errore_interno;
  }
}
