#pragma once
// The writers of the driver's documents: notes, slowdown order form and
// train sheet. Their text is fixed; only the file names follow the model's
// route title and train designation.

#include <string>

#include "model/modello.h"
#include "platform/disco.h"

namespace scenario {

// Each writes its document into `cartella`, replacing any earlier file
// whole. Throws piattaforma::ErroreFile.
void dati_note(const modello& m, piattaforma::Disco& disco, const std::string& cartella);
void dati_rallentamenti(const modello& m, piattaforma::Disco& disco, const std::string& cartella);
void dati_scheda(const modello& m, piattaforma::Disco& disco, const std::string& cartella);

}  // namespace scenario
