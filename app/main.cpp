// crea_scenario: builds the scenario it carries into the folder that holds
// the program. Reads no configuration; of its command line it knows only
// --help (-h, /?) and --version, which write nothing (app/aiuto.h).

#include <string>

#include "app/aiuto.h"
#include "app/sequenza.h"
#include "platform/argomenti.h"
#include "platform/cartella_programma.h"
#include "platform/console.h"
#include "platform/disco.h"
#include "platform/errore_file.h"
#include "platform/finestra_attesa.h"
#include "platform/opzioni.h"
#include "platform/segnali.h"

// Prints the help or the version when asked; otherwise shows the waiting
// window, then builds the scenario into the program's own folder. Returns
// the exit status.
int main(int argc, char** argv) {
  switch (scenario::richiesta_da(piattaforma::argomenti_utf8(argc, argv))) {
    case scenario::richiesta::aiuto: {
      std::string cartella;
      try {
        cartella = piattaforma::cartella_programma();
      } catch (const piattaforma::ErroreFile&) {
        // The help says "the folder that holds this program" without naming it.
      }
      piattaforma::stampa(scenario::testo_aiuto(cartella));
      return scenario::uscita_riuscita;
    }
    case scenario::richiesta::versione:
      piattaforma::stampa(piattaforma::riga_versione("crea_scenario"));
      return scenario::uscita_riuscita;
    case scenario::richiesta::costruisci:
      break;
  }
  piattaforma::scrittura_oltre_limite_come_errore();
  const piattaforma::FinestraAttesa finestra;
  std::string cartella;
  try {
    cartella = piattaforma::cartella_programma();
  } catch (const piattaforma::ErroreFile& e) {
    piattaforma::messaggio_errore(std::string("crea_scenario: ") + e.what());
    return scenario::uscita_errore_file;
  }
  piattaforma::DiscoReale disco;
  return scenario::costruisci_scenario(disco, cartella);
}
