#pragma once
// The build run: writes the two sources and the three documents, then packs
// the scenario, all into one folder, and says how it went.

#include <chrono>
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

// The lock file that keeps a second run out of the folder while one builds,
// and how long a second run waits for it.
inline constexpr const char* nome_blocco = "crea_scenario.lock";
inline constexpr std::chrono::seconds attesa_blocco{60};

// Runs the whole build into `cartella` and returns the exit status. Reports
// a failure through piattaforma::messaggio_errore; a file that could not be
// handled is named with the system's reason and what to do. Before writing
// anything it checks the length of every path it will use,
// takes the folder's lock and removes the temporary files that an
// interrupted run left; the lock is held to the end. A file at a source's
// name that differs from the source it writes (an author's edit) is first
// moved aside whole, to "<name>.<date>-<time>.txt", and named on standard
// error at the end; the status is that of the build.
int costruisci_scenario(piattaforma::Disco& disco, const std::string& cartella);

}  // namespace scenario
