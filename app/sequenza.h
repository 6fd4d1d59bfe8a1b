#pragma once
// The build run: writes the two sources and the three documents, then packs
// the scenario, all into one folder, and says how it went.

#include <string>

#include "model/identita.h"  // the scenario identity the run builds
#include "platform/disco.h"

namespace scenario {

// Exit statuses of crea_scenario.
enum stato_uscita : int {
  uscita_riuscita = 0,        // every file written, no error in the data
  uscita_errore_file = 1,     // a file could not be written, read or removed
  uscita_errore_dati = 2,     // the packed files were written, but the data holds an error
  uscita_errore_testata = 3,  // " Errore n. 1250" or "1251": header slot taken, nothing packed
  uscita_senza_celle = 4,     // the line source gave no route length, nothing packed
  uscita_errore_interno = 5,  // an unexpected fault of the program itself
};

// Runs the whole build into `cartella` and returns the exit status. Prints
// "Attendere" before the work starts and any failure on standard error.
int costruisci_scenario(piattaforma::Disco& disco, const std::string& cartella);

}  // namespace scenario
