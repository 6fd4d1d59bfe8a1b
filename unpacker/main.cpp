// spacchetta_scenario: writes the sources of a packed scenario, which the
// authors' packer packs back to the same bytes. Run with --help for the
// command line and the exit statuses.

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "inspector/scoperta.h"
#include "platform/argomenti.h"
#include "platform/disco.h"
#include "platform/opzioni.h"
#include "platform/segnali.h"
#include "unpacker/spacchetta.h"

int main(int argc, char** argv) {
  piattaforma::scrittura_oltre_limite_come_errore();
  try {
    const std::vector<std::string> argomenti = piattaforma::argomenti_utf8(argc, argv);
    // --version, as every program: prints the project's version, nothing else.
    for (const std::string& a : argomenti) {
      if (a == "--version") {
        std::cout << piattaforma::riga_versione("spacchetta_scenario");
        return spacchettatore::spacchetto_riuscito;
      }
    }
    spacchettatore::opzioni o;
    std::string errore;
    if (!spacchettatore::leggi_opzioni(argomenti, o, errore)) {
      std::cerr << "spacchetta_scenario: " << errore << " (see --help)\n";
      return spacchettatore::spacchetto_uso;
    }
    if (o.aiuto) {
      std::cout << spacchettatore::testo_aiuto();
      return spacchettatore::spacchetto_riuscito;
    }
    piattaforma::DiscoReale disco;
    return spacchettatore::spacchetta_cartella(disco, ispettore::nomi_in_cartella, o, std::cout, std::cerr);
  } catch (const std::exception& e) {
    std::cerr << "spacchetta_scenario: internal error: " << e.what() << "\n";
    return spacchettatore::spacchetto_errore_interno;
  }
}
