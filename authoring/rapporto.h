#pragma once
// The diagnostics as an author reads them, in the form compilers use, which
// editors and CI systems already follow to the place:
//   FILE:LINE:COLUMN: error: meaning (chainage N m); what to do [code 8]
//   FILE:LINE:COLUMN: warning: what the loader does, and the fix
//   FILE:LINE:COLUMN: note: another record involved
// or the whole report of a run as one JSON document for tools.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace autore {

enum class gravita { errore, avviso, nota };

// A place in a source and what is said there. Text is UTF-8.
struct nota_rapporto {
  std::string file;
  size_t riga = 1;
  size_t colonna = 1;
  std::string testo;
};

// One diagnostic, ready to print. Text is UTF-8.
struct segnalazione {
  std::string file;               // as the author named it; empty: none
  std::optional<size_t> riga;     // line and column, both from 1
  std::optional<size_t> colonna;
  gravita livello = gravita::avviso;
  std::optional<int32_t> codice;  // the error code the loader or the pass recorded
  std::string testo;              // what it means
  std::optional<int32_t> posizione;  // chainage in metres
  std::string rimedio;            // what to do, when there is one thing to do
  bool dopo_arresto = false;      // found after the loader stopped reading
  std::vector<nota_rapporto> note;
  // A note that stands for diagnostics counted but not shown: how many, and
  // whether they are errors or warnings.
  size_t omessi = 0;
  gravita livello_omessi = gravita::avviso;
};

// Everything one run tells: the diagnostics, the program's own messages
// (a file that could not be written, a folder created), the packed files
// written and the exit status.
struct resoconto {
  std::vector<segnalazione> segnalazioni;
  std::vector<std::string> messaggi;  // as printed, "impacchetta_scenario: ..." or " Errore n. 1250"
  std::vector<std::string> scritti;   // names of the packed files written, in order
  int stato = 0;
};

// The lines of one diagnostic, its note lines after it, each ended by a
// line end. `programma` names the program when no file is known.
std::string in_righe(const segnalazione& s, const std::string& programma);

// How many errors and warnings they are, those counted but not shown included.
std::pair<size_t, size_t> conta(const std::vector<segnalazione>& tutte);

// The count of errors and warnings, for the line after the diagnostics;
// empty when there are none.
std::string riepilogo(const std::vector<segnalazione>& tutte, const std::string& programma);

// The whole report as one JSON document, with a line end after it:
// {"diagnostics": [...], "errors": N, "warnings": N, "messages": [...],
//  "written": [...], "status": N}; each diagnostic has file, line, column,
// severity, code, message, chainage, fix, after_stop and notes (absent
// values are null).
std::string in_json(const resoconto& r);

// A count with a comma every three digits: "9,999,000".
std::string con_migliaia(size_t n);

}  // namespace autore
