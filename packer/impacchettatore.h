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

// The loader stopped before it learnt the route length, so there are no
// track cells to pack; no packed file was written.
class ModelloSenzaCelle : public std::runtime_error {
 public:
  ModelloSenzaCelle();
};

// Runs the whole packer on the sources in `cartella`. `j` not 0 builds the
// plan geometry and writes the packed line file too. Recorded data errors
// are left in m.codice_errore / m.posizione_errore, with the packed files
// written all the same. Throws ErroreFatale, ModelloSenzaCelle, or
// piattaforma::ErroreFile when a file operation fails.
void memorizza_percorso(modello& m, piattaforma::Disco& disco, const std::string& cartella,
                        int32_t& j);

}  // namespace scenario
