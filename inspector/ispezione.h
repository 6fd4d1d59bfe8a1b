#pragma once
// The inspection run of ispeziona_scenario: its command line, finding the
// scenarios of a folder, and reading, checking, listing and drawing them.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/disco.h"
#include "platform/opzioni.h"

namespace ispettore {

// Exit statuses of ispeziona_scenario.
enum stato_ispezione : int {
  ispezione_riuscita = 0,        // every file passed its checks
  ispezione_errore_file = 1,     // a file could not be read (or the drawing written)
  ispezione_difetti = 2,         // a packed file failed a check
  ispezione_uso = 3,             // the command line was wrong
  ispezione_errore_interno = 5,  // an unexpected fault of the program itself
};

// What the command line asks for.
struct opzioni {
  bool aiuto = false;
  bool versione = false;
  bool json = false;
  bool elenco = false;   // --listing: the whole listing even with --svg
  bool scenari = false;  // --scenarios: only list the folder's scenarios
  std::optional<std::string> svg;  // where to write the drawing
  // --from and --to: the stretch drawn, chainage in kilometres.
  std::optional<double> da_km;
  std::optional<double> a_km;
  std::optional<std::string> cartella;  // default: the program's own folder
  std::optional<std::string> linea;     // default: every scenario of the folder
  std::optional<std::string> treno;     // default: every train of the route
};

// A command line that cannot be understood.
using ErroreUso = piattaforma::ErroreUso;

// Reads the arguments after the program's name by the rules of
// platform/opzioni.h. Throws ErroreUso as that reader does, or for too many
// arguments, a negative chainage, or options that do not go together.
opzioni leggi_opzioni(const std::vector<std::string>& argomenti);

// The text that --help prints: usage, what is read, the options from their
// table and the exit statuses.
std::string testo_aiuto();

// What a usage error prints: the message, the usage lines, and a pointer
// to --help.
std::string testo_errore_uso(const std::string& messaggio);

// The names of the files in a folder; throws piattaforma::ErroreFile when
// it cannot be listed.
using elenca_cartella = std::function<std::vector<std::string>(const std::string& cartella)>;

// Finds the scenarios asked for in `cartella` (by listing it, unless route
// and train are both named), reads their packed files through `disco`,
// checks them, prints the listing, the checks' summary or the list of
// scenarios (text or JSON, one document in every case) to `uscita` and the
// faults and notes to `errori`, writes the drawing when asked, and returns
// the exit status. Throws only on faults of the program itself.
int ispeziona(piattaforma::Disco& disco, const elenca_cartella& elenca, const opzioni& o,
              const std::string& cartella, std::ostream& uscita, std::ostream& errori);

}  // namespace ispettore
