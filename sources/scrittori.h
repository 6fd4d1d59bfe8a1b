#pragma once
// The writers of the two editable source files that the packer reads back.

#include <string>

#include "model/modello.h"
#include "platform/disco.h"

namespace scenario {

// Writes the line source, linea + "_linea.txt", into `cartella`,
// replacing any earlier file whole. Throws piattaforma::ErroreFile.
void dati_linea(const modello& m, piattaforma::Disco& disco, const std::string& cartella);

// Writes the train source, linea + "_" + treno + "-.txt", into `cartella`,
// replacing any earlier file whole. Throws piattaforma::ErroreFile.
void dati_treno(const modello& m, piattaforma::Disco& disco, const std::string& cartella);

}  // namespace scenario
