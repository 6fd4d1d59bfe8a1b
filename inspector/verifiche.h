#pragma once
// The checks of a packed scenario: the three files decoded and held against
// their layouts, header stamps and identity codes. Works on bytes already
// read; says for every fault which file, where and why.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "inspector/lettore.h"
#include "model/modello.h"

namespace ispettore {

// One fault of a packed file: the file's name, the byte offset when the
// fault has one, the record or entry, and the reason.
struct difetto {
  std::string file;
  std::optional<size_t> offset;
  std::string dove;
  std::string motivo;
};

// The fault as one line: "file: byte N (where): why".
std::string descrivi(const difetto& d);

// The bytes of one scenario's packed files and the names they go by.
struct pacchetti {
  std::string linea;  // route title, UTF-8
  std::string treno;  // train designation, UTF-8
  std::string nome_linea;
  std::string nome_voci;
  std::string nome_celle;
  std::optional<std::string> byte_linea;  // absent when there is no packed line file
  std::string byte_voci;
  std::string byte_celle;
};

// A scenario read back: the model as far as it could be decoded, and what
// the checks found.
struct scenario_letto {
  // linea and treno from the names given; voci and celle as
  // decoded from the files.
  scenario::modello m;
  bool con_voci = false;   // the 87 item records were decoded
  bool con_celle = false;  // the track cells were decoded
  bool con_piano = false;  // both plan columns were decoded, one entry per metre
  piano_letto piano;       // the plan entries, when con_piano
  std::vector<difetto> difetti;
  std::vector<std::string> note;  // remarks that are not faults
};

// Faults of one kind reported one by one before the rest are only counted.
inline constexpr size_t difetti_per_genere = 10;

// Decodes the three files and checks them: sizes (line file 20 R - 36
// bytes with R = route length + 7000, track file 15 (U + 1) bytes), the
// variant type codes of the plan, the stamps 610 and 5121, the two identity
// codes recomputed from the names in records 85 and 86, and that those names
// are the ones given. A missing line file is a note, not a fault.
scenario_letto verifica(const pacchetti& p);

}  // namespace ispettore
