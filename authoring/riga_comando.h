#pragma once
// The command line of impacchetta_scenario: options, the two sources, and
// the route title and train designation their names give.

#include <optional>
#include <string>
#include <vector>

#include "platform/opzioni.h"

namespace autore {

// The command line was wrong; the message says how.
using ErroreUso = piattaforma::ErroreUso;

struct opzioni {
  std::string sorgente_linea;               // LINE_SOURCE as given
  std::string sorgente_treno;               // TRAIN_SOURCE as given
  std::optional<std::string> uscita;        // -o FOLDER
  std::optional<std::string> linea;         // --route TITLE
  std::optional<std::string> treno;         // --train NAME
  std::optional<std::string> punto_di_partenza;  // --starting-point FOLDER
  std::optional<std::string> valori_documenti;   // --document-values FILE
  bool documenti = false;    // --documents
  std::optional<std::string> svg;           // --svg FILE
  bool osserva = false;      // --watch
  bool senza_piano = false;  // --no-plan
  bool controllo = false;    // --check
  bool severo = false;       // --strict
  bool da_utf8 = false;      // --from-utf8
  bool json = false;         // --json
  bool riferimento = false;  // --reference [RECORD]
  std::string record;        // RECORD of --reference: the arguments after it, joined by blanks
  bool aiuto = false;        // --help
  bool versione = false;     // --version
};

// Reads argv[1] onwards by the rules of platform/opzioni.h. Throws
// ErroreUso as that reader does, for other than two sources (none with
// --help, --version or --starting-point; with --reference, the arguments
// left name the record to look up), or for options that do not go
// together (--watch with --json, --svg or --watch with --starting-point,
// --svg -, --document-values without --documents).
opzioni leggi_opzioni(const std::vector<std::string>& argomenti);

// The usage text printed by --help, its options listed from the table.
std::string testo_aiuto();

// What a usage error prints: the message, the usage lines, and a pointer
// to --help.
std::string testo_errore_uso(const std::string& messaggio);

// The last component of a path (after the last separator).
std::string nome_di(const std::string& percorso);
// The folder part of a path, "." when there is none.
std::string cartella_di(const std::string& percorso);

// The route title and train designation for the run: from --route and
// --train, else from the names TITLE_linea.txt and TITLE_NAME-.txt. Throws
// ErroreUso when a name does not follow that form and no option gives the
// value, or when the two names give different route titles.
struct identita {
  std::string linea;
  std::string treno;
};
identita identita_da(const opzioni& o);

}  // namespace autore
