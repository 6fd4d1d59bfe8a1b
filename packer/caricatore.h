#pragma once
// The source loader: reads the line source and the train source back from
// the program's folder into the model, deleting each after reading it.

#include <string>

#include "packer/modello.h"
#include "platform/disco.h"

namespace scenario {

// Fills `m` from the two source files in `cartella` (names formed from
// m.linea and m.treno). Requires m.voci reset and m.codice_errore = 0.
// On return codice_errore = 0 means both files were read completely;
// otherwise it holds the error code and posizione_errore its chainage.
// Throws piattaforma::ErroreFile when a file operation fails (reading,
// examining or deleting a source); the model is then not to be packed.
void memorizza_dati(modello& m, piattaforma::Disco& disco, const std::string& cartella);

}  // namespace scenario
