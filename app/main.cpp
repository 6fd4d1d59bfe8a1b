// crea_scenario: builds the scenario it carries into the folder that holds
// the program. Takes no command line and reads no configuration.

#include <string>

#include "app/sequenza.h"
#include "platform/cartella_programma.h"
#include "platform/console.h"
#include "platform/disco.h"
#include "platform/errore_file.h"
#include "platform/finestra_attesa.h"
#include "platform/segnali.h"

// Shows the waiting window, then builds the scenario into the program's own
// folder; returns the build's exit status.
int main() {
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
