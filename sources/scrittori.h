#pragma once
// The writers of the two editable source files that the packer reads back.

#include <string>

#include "model/modello.h"
#include "platform/disco.h"

namespace scenario {

// A source file as the builder writes it: its path and its bytes.
struct file_sorgente {
  std::string percorso;
  std::string byte;
};

// The line source and the train source that dati_linea and dati_treno
// write into `cartella`, without writing them. Throws
// piattaforma::ErroreFile when a character has no Windows-1252 byte.
file_sorgente sorgente_linea(const modello& m, const std::string& cartella);
file_sorgente sorgente_treno(const modello& m, const std::string& cartella);

// Writes the line source, linea + "_linea.txt", into `cartella`,
// replacing any earlier file whole. Throws piattaforma::ErroreFile.
void dati_linea(const modello& m, piattaforma::Disco& disco, const std::string& cartella);

// Writes the train source, linea + "_" + treno + "-.txt", into `cartella`,
// replacing any earlier file whole. Throws piattaforma::ErroreFile.
void dati_treno(const modello& m, piattaforma::Disco& disco, const std::string& cartella);

}  // namespace scenario
