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
  size_t altre = 0;  // a note in place of this many more warnings like this one
};

// The diagnostics as they are shown, in the order given: every error, and
// warnings until `per_tipo` of one kind (the same text but for its quoted
// names and its numbers) or `in_tutto` of all kinds are shown; the rest of
// each kind becomes one note, at the first left out, after all that are
// shown. So a source that warns on each of its lines is still reported in
// a few screens.
std::vector<segnalazione> riduci(const std::vector<segnalazione>& tutte, size_t per_tipo = 100,
                                 size_t in_tutto = 1000);

// One line, without its line end. A note reads
// FILE:LINE:COLUMN: note: and 99,900 more like it, not shown, from this one on: TEXT. `programma` names the program when no
// file is known.
std::string in_riga(const segnalazione& s, const std::string& programma);

// All of them as one JSON array (objects with file, line, column,
// severity, code, message, chainage; absent values are null; a note has
// severity "note" and the message its line holds), with a line end after it.
std::string in_json(const std::vector<segnalazione>& tutte);

}  // namespace autore
