#pragma once
// impacchetta_scenario's work: pack an author's two sources with the
// builder's own loader, cab-code pass and writers, and tell the author what
// they hold that is wrong or likely misread, at its line and column.

#include <optional>
#include <ostream>
#include <string>

#include "authoring/riga_comando.h"
#include "platform/disco.h"

namespace autore {

// Exit statuses; 0 to 5 mean what they mean for crea_scenario.
enum stato : int {
  riuscito = 0,
  errore_file = 1,       // a file could not be read, written or created
  errore_dati = 2,       // the loader or the pass recorded an error in the data
  errore_uso = 3,        // the command line was wrong (nothing read or written)
  errore_testata = 3,    // " Errore n. 1250" / "1251": header slot taken, nothing written
  senza_celle = 4,       // no route length: nothing to pack
  errore_interno = 5,    // an unexpected fault of the program itself
  avvisi_severi = 6,     // --strict and a warning: nothing written
};

inline constexpr const char* programma = "impacchetta_scenario";

// Packs (or with --check only reads) the sources named in `o` and prints
// the diagnostics: as lines on `errori`, or with --json as a JSON array on
// `uscita`; the files written are listed on `uscita` (on `errori` with
// --json). Returns the exit status. Throws ErroreUso when the names give
// no route title or train designation, or disagree.
// With `disegno`, it also receives the drawing of what was packed (with
// --check, of what would have been), made as the inspector draws packed
// files, each feature titled with the source line it comes from; it is
// left empty when nothing was packed (a source that could not be read, no
// track cells, a header slot taken, a text too long).
int impacchetta_sorgenti(piattaforma::Disco& disco, const opzioni& o, std::ostream& uscita,
                         std::ostream& errori, std::optional<std::string>* disegno = nullptr);

// Writes the shipped scenario's two sources, the very bytes crea_scenario
// writes, into `cartella` (created when missing). Refuses, writing
// nothing, when either source is already there. Returns the exit status.
int scrivi_punto_di_partenza(piattaforma::Disco& disco, const std::string& cartella,
                             std::ostream& uscita, std::ostream& errori);

}  // namespace autore
