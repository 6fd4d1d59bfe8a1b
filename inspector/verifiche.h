#pragma once
// The checks of a packed scenario: the three files decoded and held against
// their layouts, header stamps and identity codes. Works on bytes already
// read; says for every fault which file, where and why.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// UTF-8 text from a packed file made safe for a terminal: every control
// character shown as an escape (ESC as \x1b, the C1 controls as \u0090),
// and a backslash doubled, so that no name or board text can drive the
// reader's terminal and every escape reads one way. Other text unchanged.
std::string testo_visibile(std::string_view utf8);

// The bytes of one scenario's packed files and the names they go by.
struct pacchetti {
  std::string linea;  // route title, UTF-8
  std::string treno;  // train designation, UTF-8
  std::string nome_linea;
  std::string nome_voci;
  std::string nome_celle;
  // Each absent when its file is missing or could not be read. A reader
  // bounded by what the files declare (lettore.h) may hold only a file's
  // first bytes: then its whole size is given below.
  std::optional<std::string> byte_linea;
  std::optional<std::string> byte_voci;
  std::optional<std::string> byte_celle;
  // The whole size of each file when it is more than the bytes held;
  // absent: the bytes are the whole file.
  std::optional<uint64_t> dimensione_linea;
  std::optional<uint64_t> dimensione_voci;
  std::optional<uint64_t> dimensione_celle;
};

// A scenario's packed files by name, no bytes yet: the route title, the
// train designation and the three file names they give.
pacchetti pacchetti_di(const std::string& linea, const std::string& treno);

// The whole size of a file of which `byte` are the first bytes.
uint64_t dimensione_file(const std::string& byte, const std::optional<uint64_t>& dimensione);

// A scenario read back: the model as far as it could be decoded, and what
// the checks found.
struct scenario_letto {
  // linea and treno from the names given; voci and celle as
  // decoded from the files.
  scenario::modello m;
  bool con_voci = false;   // the 87 item records were decoded
  std::array<size_t, scenario::righe_voci> inizio_voci{};  // where each record begins
  bool con_celle = false;  // the track cells were decoded
  bool con_piano = false;  // both plan columns were decoded, one entry per metre
  piano_letto piano;       // the plan entries, when con_piano
  std::vector<difetto> difetti;
  std::vector<std::string> note;  // remarks that are not faults
};

// Faults of one kind reported one by one before the rest are only counted.
inline constexpr size_t difetti_per_genere = 10;

// The rows of the item table in use: their one home is model/modello.h.
using scenario::righe_della_tabella;
using scenario::righe_usate;

// True for the cell types the builder writes: 0 to 6 and 10 to 14.
bool tipo_cella_noto(uint8_t tipo);

// Decodes the three files and checks them: sizes (line file 20 R - 36
// bytes with R = route length + 7000, track file 15 (U + 1) bytes; of a
// file longer than that, no byte past it is decoded), the
// variant type codes of the plan, the stamps 610 and 5121, the two identity
// codes recomputed from the names in records 85 and 86, that those names
// are the ones given, and that every value the simulator reads by kind
// is one the builder writes: cell types, the rows that stop cells and
// board cells name, cab codes, the numbers of the cells before a warning
// board and the cab-signalling system; plan coordinates that are not
// finite or lie farther from the start than their row's metres (the plan
// is then not drawn). Time and memory grow with the sizes the item file
// declares, never with the files' own sizes. A missing line file is a note, not
// a fault; a missing item or track file is neither (the caller says so),
// and what needs it is not checked.
scenario_letto verifica(const pacchetti& p);

}  // namespace ispettore
