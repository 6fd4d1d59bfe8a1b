#pragma once
// The command-line reader every program uses. A program describes its
// options once, in a table (names, the kind of value, the help line, and the
// field of the program's own options struct that receives it); the reader,
// the "Options:" block of --help, the usage error and the --version line all
// come from that description. Adding an option is one row of the table plus
// the code that uses its value.
//
// The rules, the same for every program:
// - options may stand anywhere among the other arguments; "--" ends them, and
//   every argument after it is taken as it is; "-" alone is an argument;
// - a value follows its option as the next argument or after "=":
//   `--svg out.svg` or `--svg=out.svg`; an option without a value takes no "=";
// - an empty value is refused, and so is an option given twice;
// - numbers are decimal: digits, an optional leading minus sign and, for a
//   decimal number, one point with digits on both sides (190, -3, 12.5);
//   no plus sign, blank, exponent or hexadecimal form;
// - an unknown option is refused, naming the closest known one if any.

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace piattaforma {

// The command line was wrong; the message says how, naming the option and
// the value concerned.
class ErroreUso : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What an option takes.
enum class tipo_valore {
  nessuno,   // a switch: given or not
  testo,     // any text but the empty one
  intero,    // a decimal whole number (64-bit)
  decimale,  // a decimal number, such as 12.5
};

// One option as the reader sees it, whatever the program.
struct voce_opzione {
  std::string_view breve;       // "-o", or "" when there is none
  std::string_view lungo;       // "--output", or "" when there is none
  tipo_valore tipo = tipo_valore::nessuno;
  std::string_view segnaposto;  // the value's name in the help: "FOLDER"
  std::string_view aiuto;       // one help line, wrapped when printed
};

// A value read: present (true) for a switch, else the value of its kind.
using valore_letto = std::variant<bool, std::string, int64_t, double>;

// The arguments read against `voci`: a value for each row (absent when the
// option was not given) and the other arguments in their order.
struct riga_letta {
  std::vector<std::optional<valore_letto>> valori;
  std::vector<std::string> posizionali;
};

// Reads argv[1] onwards by the rules above. Throws ErroreUso for an unknown
// option, a missing, empty or malformed value, a value given to a switch,
// or an option given twice.
riga_letta leggi_riga(std::span<const voce_opzione> voci,
                      const std::vector<std::string>& argomenti);

// The options block of --help: a heading that states the rules in short,
// then one entry per row, names and value on the left, the help line
// wrapped to 79 columns beside them, ending in a newline.
std::string elenco_opzioni(std::span<const voce_opzione> voci);

// What a usage error prints: "PROGRAM: MESSAGE", the usage lines (as they
// stand after "Usage: " in the help) and a pointer to --help.
std::string testo_errore_uso(std::string_view programma, std::string_view messaggio,
                             std::string_view uso);

// The line --version prints on every program: "PROGRAM 1.0.0" and a newline,
// with the project's version.
std::string riga_versione(std::string_view programma);

// A program's table: each row names the field of its options struct `O`
// that receives the value. The field's type gives the kind of value.
template <class O>
using campo_opzione = std::variant<bool O::*, std::optional<std::string> O::*,
                                   std::optional<int64_t> O::*, std::optional<double> O::*>;

template <class O>
struct opzione {
  std::string_view breve;       // "-o", or ""
  std::string_view lungo;       // "--output", or ""
  std::string_view segnaposto;  // the value's name in the help; "" for a switch
  std::string_view aiuto;       // one help line
  campo_opzione<O> campo;       // where the value goes
};

// The reader's view of a program's table.
template <class O>
std::vector<voce_opzione> voci_di(std::span<const opzione<O>> tabella) {
  std::vector<voce_opzione> voci;
  for (const opzione<O>& o : tabella)
    voci.push_back({o.breve, o.lungo, static_cast<tipo_valore>(o.campo.index()), o.segnaposto,
                    o.aiuto});
  return voci;
}

namespace dettaglio {
inline void assegna(bool& campo, const valore_letto& v) { campo = std::get<bool>(v); }
template <class T>
void assegna(std::optional<T>& campo, const valore_letto& v) {
  campo = std::get<T>(v);
}
}  // namespace dettaglio

// Reads `argomenti` into the fields of `o` that the table names and returns
// the other arguments. Throws ErroreUso as leggi_riga does.
template <class O>
std::vector<std::string> leggi_opzioni(std::span<const opzione<O>> tabella,
                                       const std::vector<std::string>& argomenti, O& o) {
  riga_letta letta = leggi_riga(voci_di(tabella), argomenti);
  for (size_t i = 0; i < tabella.size(); ++i) {
    if (!letta.valori[i]) continue;
    std::visit([&](auto membro) { dettaglio::assegna(o.*membro, *letta.valori[i]); },
               tabella[i].campo);
  }
  return std::move(letta.posizionali);
}

}  // namespace piattaforma
