#pragma once
// The unpacker: turns a scenario's packed files, decoded and checked by the
// inspector's reader, back into a line source and a train source that the
// packer packs to the same bytes. Every rule of the packer that the
// unpacker must know is asked of the packer's own code (the plan
// recurrence, the kilometre-zone sort, the cab-code pass); nothing here
// touches the disk but spacchetta_cartella.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "inspector/verifiche.h"
#include "platform/disco.h"
#include "platform/opzioni.h"

namespace spacchettatore {

// Exit statuses of spacchetta_scenario.
inline constexpr int spacchetto_riuscito = 0;  // both sources written, every byte accounted for
inline constexpr int spacchetto_errore_file = 1;  // a file could not be read or written; nothing written
inline constexpr int spacchetto_difettoso = 2;  // sources written, but the packed files hold what no source gives, or they pack to other bytes
inline constexpr int spacchetto_uso = 3;  // the command line was wrong, or a source already stands there
inline constexpr int spacchetto_errore_interno = 5;  // an unexpected fault of the program

// The two sources recovered, as Windows-1252 text with CR LF line ends, and
// what could not be written as a source.
struct sorgenti_recuperate {
  std::string linea;
  std::string treno;
  bool con_piano = false;           // the line file was there: pack without --no-plan
  std::vector<std::string> lacune;  // one line each: what could not be recovered, and where
};

// Recovers the sources from a scenario read back by ispettore::verifica;
// `file_linea` tells that a packed line file was there (decoded or not).
// Never throws on any decoded content; what no source can give is left out
// of the sources with a comment there, and named in lacune. The curves are
// checked against the plan by laying the plan down again with the loader's
// recurrence, and the code points by running the cab-code pass.
sorgenti_recuperate spacchetta(const ispettore::scenario_letto& s, bool file_linea);

// Packs the recovered sources with the packer, in memory, and holds the
// bytes against the packed files read (`p`): one line for each file that
// differs (naming the first byte that does), or for an error the sources
// pack with. Empty when all three come back byte for byte.
std::vector<std::string> verifica_giro(const ispettore::pacchetti& p, const sorgenti_recuperate& r);

// The command line was wrong; the message says how.
using ErroreUso = piattaforma::ErroreUso;

// The command line: FOLDER [ROUTE [TRAIN]] -o DIR [--force].
struct opzioni {
  std::string cartella;               // FOLDER
  std::string linea;                  // ROUTE; empty: the only scenario of the folder
  std::string treno;                  // TRAIN
  std::optional<std::string> uscita;  // -o DIR; always given to spacchetta_cartella
  bool forza = false;                 // --force
  bool aiuto = false;                 // --help
  bool versione = false;              // --version
};

// Reads argv[1] onwards by the rules of platform/opzioni.h. Throws
// ErroreUso as that reader does, for no FOLDER or more than three
// arguments, or for no -o (not with --help or --version).
opzioni leggi_opzioni(const std::vector<std::string>& argomenti);

// The help text: usage, the options listed from the table, the exit statuses.
std::string testo_aiuto();

// What a usage error prints: the message, the usage lines, and a pointer
// to --help.
std::string testo_errore_uso(const std::string& messaggio);

// Lists the names of the regular files of a folder (ispettore::nomi_in_cartella).
using elenca_cartella = std::function<std::vector<std::string>(const std::string&)>;

// Unpacks the scenario that `o` names into *o.uscita (which must be set):
// finds its packed files as the inspector finds them, reads and checks them,
// writes both sources (replaced whole; refused when one stands there
// already, unless o.forza).
// Messages go to `uscita` and `errori`. Returns an exit status above.
int spacchetta_cartella(piattaforma::Disco& disco, const elenca_cartella& elenca, const opzioni& o,
                        std::ostream& uscita, std::ostream& errori);

}  // namespace spacchettatore
