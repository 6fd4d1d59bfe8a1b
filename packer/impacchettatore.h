#pragma once
// The scenario packer: loads the sources into the model, places the
// cab-code cells, stamps the header and writes the three packed files.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "packer/modello.h"
#include "platform/disco.h"

namespace scenario {

// A header slot was already taken (1250: the 610/5121 marks, 1251: the
// identity codes). The build must end at once; no packed file was written.
class ErroreFatale : public std::runtime_error {
 public:
  explicit ErroreFatale(int32_t numero);
  int32_t numero() const { return numero_; }

 private:
  int32_t numero_;
};

// The loader stopped before it learnt the route length, or the length
// leaves no header cell 1, so there are no track cells to pack; no packed
// file was written.
class ModelloSenzaCelle : public std::runtime_error {
 public:
  ModelloSenzaCelle();
};

// Checks the header slots and stamps them: item 85's dato1 and cell 1's
// valore1 must be 0 (else ErroreFatale 1250) and get 610 and 5121; item
// 85's orario and cell 1's valore2 must be 0 (else ErroreFatale 1251) and
// get codice_gara_st, then codice_gara_og. Requires cell 1 to exist.
void timbra_testata(modello& m);

// The packer after the loader: the cab-code pass, the header stamps, then
// the packed line file (only when m.con_planimetria is not 0), item file
// and track file, each replaced whole in `cartella`. Throws
// ModelloSenzaCelle when m.celle has no cell 1, ErroreFatale from the
// header checks (in both cases before any file is written), or
// piattaforma::ErroreFile.
void impacchetta(modello& m, piattaforma::Disco& disco, const std::string& cartella);

// Runs the whole packer on the sources in `cartella`. `j` not 0 builds the
// plan geometry and writes the packed line file too. Recorded data errors
// are left in m.codice_errore / m.posizione_errore, with the packed files
// written all the same. Throws ErroreFatale, ModelloSenzaCelle, or
// piattaforma::ErroreFile when a file operation fails (a source included,
// in which case no packed file is written).
void memorizza_percorso(modello& m, piattaforma::Disco& disco, const std::string& cartella,
                        int32_t& j);

}  // namespace scenario
