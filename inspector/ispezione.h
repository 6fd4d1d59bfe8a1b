#pragma once
// The inspection run of ispeziona_scenario: its command line, and reading,
// checking, listing and drawing one packed scenario from a folder.

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/identita.h"
#include "platform/disco.h"

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
  bool json = false;
  std::optional<std::string> svg;       // where to write the drawing
  std::optional<std::string> cartella;  // default: the program's own folder
  std::string linea = scenario::linea_scenario;
  std::string treno = scenario::treno_scenario;
};

// A command line that cannot be understood.
class ErroreUso : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program's name. Throws ErroreUso for an
// unknown option, a missing value or too many arguments.
opzioni leggi_opzioni(const std::vector<std::string>& argomenti);

// The text that --help prints: usage, what is read and the exit statuses.
std::string testo_aiuto();

// Reads the packed files of the scenario from `cartella`, checks them,
// prints the listing (text or JSON) to `uscita` and the faults and notes to
// `errori`, writes the drawing when asked, and returns the exit status.
// Throws only on faults of the program itself.
int ispeziona(piattaforma::Disco& disco, const opzioni& o, const std::string& cartella,
              std::ostream& uscita, std::ostream& errori);

}  // namespace ispettore
