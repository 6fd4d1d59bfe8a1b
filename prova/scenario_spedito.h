#pragma once
// For tests and benchmarks: the shipped scenario's two source files, as the
// build run writes them, for those below the source writers (the packer's
// benchmark) that need the real sources to pack.

#include <string>

#include "model/modello.h"
#include "platform/disco.h"

namespace prova {

// Writes the line source and the train source of the shipped scenario into
// `cartella`, named for m's identity. Throws piattaforma::ErroreFile.
void scrivi_sorgenti_spedite(const scenario::modello& m, piattaforma::Disco& disco,
                             const std::string& cartella);

}  // namespace prova
