#pragma once
// The source loader: reads the line source and the train source back from
// the program's folder into the model, deleting each after reading it.

#include <string>

#include "model/modello.h"
#include "platform/disco.h"

namespace scenario {

// Fills `m` from the two source files in `cartella` (names formed from
// m.linea and m.treno). Requires m.voci reset and m.codice_errore = 0.
// On return codice_errore = 0 means both files were read completely;
// otherwise it holds the error code and posizione_errore its chainage.
// Throws piattaforma::ErroreFile when a file operation fails (reading,
// examining or deleting a source); the model is then not to be packed.
void memorizza_dati(modello& m, piattaforma::Disco& disco, const std::string& cartella);

// The plan recurrence: assigns the next row j (p.righe()) of the plan
// table from rows j - 1 and j - 2, the same step again when `curva` is
// false, else the step turned by curvature k (positive to the right).
// Every such row is a double. Requires rows 0 and 1 assigned and a row
// left (throws std::logic_error otherwise, see piano::metti_doppio).
void riga_piano(piano& p, bool curva, double k);

}  // namespace scenario
