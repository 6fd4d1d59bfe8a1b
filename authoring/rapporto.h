#pragma once
// The diagnostics as an author reads them: one line each,
// FILE:LINE:COLUMN: error CODE: meaning (chainage N m), or the same as a
// JSON array for tools.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace autore {

// One diagnostic, ready to print. Text is UTF-8.
struct segnalazione {
  std::string file;               // as the author named it; empty: none
  std::optional<size_t> riga;     // line and column, both from 1
  std::optional<size_t> colonna;
  bool errore = false;            // else a warning
  std::optional<int32_t> codice;  // the error code
  std::string testo;              // what it means
  std::optional<int32_t> posizione;  // chainage in metres
};

// One line, without its line end. `programma` names the program when no
// file is known.
std::string in_riga(const segnalazione& s, const std::string& programma);

// All of them as one JSON array (objects with file, line, column,
// severity, code, message, chainage; absent values are null), with a
// line end after it.
std::string in_json(const std::vector<segnalazione>& tutte);

}  // namespace autore
