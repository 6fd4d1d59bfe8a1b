#pragma once
// The three driver's documents of an author's scenario, made from the model
// the loader filled: the train sheet, the slowdown order form and a draft of
// the notes, as the files' bytes (Windows-1252, every line ended by CR LF),
// and their writing beside the packed files.

#include <string>
#include <vector>

#include "documents/valori_documenti.h"
#include "model/modello.h"
#include "platform/disco.h"

namespace documenti {

struct documenti_generati {
  std::string scheda;
  std::string rallentamenti;
  std::string note;
};

// Makes the three documents from `m` as the loader left it (before the
// cab-code pass) and the values the sources do not hold.
documenti_generati genera_documenti(const scenario::modello& m, const valori_documenti& v);

// The paths of the three documents in `cartella`, named for m's identity:
// sheet, form, notes.
std::vector<std::string> percorsi_documenti(const scenario::modello& m, const std::string& cartella);

// Writes the three documents into `cartella`, each replaced whole. Returns
// the paths written, in that order. Throws piattaforma::ErroreFile.
std::vector<std::string> scrivi_documenti(piattaforma::Disco& disco, const std::string& cartella,
                                          const scenario::modello& m, const documenti_generati& d);

}  // namespace documenti
