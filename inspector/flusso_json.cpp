#include "inspector/flusso_json.h"

#include <algorithm>
#include <string>

namespace ispettore {
namespace {

using json = nlohmann::ordered_json;

// 2 blanks per nesting depth, as dump(2).
void rientra(std::ostream& u, int livello) {
  for (int i = 0; i < livello; ++i) u << "  ";
}

}  // namespace

ContenitoreJson::ContenitoreJson(std::ostream& uscita, bool oggetto, int livello)
    : uscita_(uscita), oggetto_(oggetto), livello_(livello) {
  uscita_ << (oggetto_ ? '{' : '[');
}

void ContenitoreJson::prossimo() {
  uscita_ << (vuoto_ ? "\n" : ",\n");
  vuoto_ = false;
  rientra(uscita_, livello_ + 1);
}

void ContenitoreJson::valore(const json& v) {
  // The value laid out as dump(2) lays it out at this depth: its own lines
  // indented by the depth's blanks.
  const std::string t = v.dump(2, ' ', false, json::error_handler_t::replace);
  std::string prefisso(2 * static_cast<size_t>(livello_ + 1), ' ');
  size_t inizio = 0;
  for (size_t a = t.find('\n'); a != std::string::npos; a = t.find('\n', inizio)) {
    uscita_.write(t.data() + inizio, static_cast<std::streamsize>(a + 1 - inizio));
    uscita_ << prefisso;
    inizio = a + 1;
  }
  uscita_.write(t.data() + inizio, static_cast<std::streamsize>(t.size() - inizio));
}

void ContenitoreJson::membro_aperto(std::string_view chiave) {
  prossimo();
  // A name of printable ASCII without a quote or a backslash, as every
  // name of the listing, is written as it stands: dump escapes nothing in it.
  const bool semplice = std::all_of(chiave.begin(), chiave.end(), [](char c) {
    return c >= ' ' && c <= '~' && c != '"' && c != '\\';
  });
  if (semplice)
    uscita_ << '"' << chiave << "\": ";
  else
    uscita_ << json(std::string(chiave)).dump(-1, ' ', false, json::error_handler_t::replace) << ": ";
}

void ContenitoreJson::elemento_aperto() { prossimo(); }

void ContenitoreJson::membro(std::string_view chiave, const json& v) {
  membro_aperto(chiave);
  valore(v);
}

void ContenitoreJson::elemento(const json& v) {
  prossimo();
  valore(v);
}

void ContenitoreJson::chiudi() {
  if (chiuso_) return;
  chiuso_ = true;
  if (!vuoto_) {
    uscita_ << '\n';
    rientra(uscita_, livello_);
  }
  uscita_ << (oggetto_ ? '}' : ']');
}

}  // namespace ispettore
