#include "authoring/rapporto.h"

#include <cctype>
#include <map>

#include <nlohmann/json.hpp>

#include "platform/lettore_campi.h"

namespace autore {
namespace {

// The kind of a warning: its text without what stands between backquotes
// and without digits.
std::string tipo(const std::string& testo) {
  std::string r;
  bool tra_apici = false;
  for (char c : testo) {
    if (c == '`') tra_apici = !tra_apici;
    else if (!tra_apici && !std::isdigit(static_cast<unsigned char>(c))) r += c;
  }
  return r;
}

// What a message says: a note's text, or the diagnostic's own.
std::string messaggio(const segnalazione& s) {
  if (s.altre == 0) return s.testo;
  return "and " + piattaforma::in_migliaia(s.altre) + " more like it, not shown, from this one on: " +
         s.testo;
}

}  // namespace

std::vector<segnalazione> riduci(const std::vector<segnalazione>& tutte, size_t per_tipo,
                                 size_t in_tutto) {
  std::vector<segnalazione> mostrate;
  std::vector<segnalazione> note;
  std::map<std::string, size_t> per_nota;  // kind -> its note in `note`
  std::map<std::string, size_t> contate;   // kind -> warnings shown of it
  size_t avvisi = 0;
  for (const segnalazione& s : tutte) {
    if (s.errore) {
      mostrate.push_back(s);
      continue;
    }
    const std::string t = tipo(s.testo);
    size_t& n = contate[t];
    if (n < per_tipo && avvisi < in_tutto) {
      ++n;
      ++avvisi;
      mostrate.push_back(s);
      continue;
    }
    auto [nota, nuova] = per_nota.try_emplace(t, note.size());
    if (nuova) note.push_back(s);
    ++note[nota->second].altre;
  }
  // Each note stands in for the first left out of its kind and those after it.
  for (segnalazione& n : note) mostrate.push_back(std::move(n));
  return mostrate;
}

std::string in_riga(const segnalazione& s, const std::string& programma) {
  std::string r = s.file.empty() ? programma : s.file;
  if (s.riga) (r += ':') += std::to_string(*s.riga);
  if (s.colonna) (r += ':') += std::to_string(*s.colonna);
  r += s.altre ? ": note" : s.errore ? ": error" : ": warning";
  if (s.codice) (r += ' ') += std::to_string(*s.codice);
  (r += ": ") += messaggio(s);
  if (s.posizione) ((r += " (chainage ") += std::to_string(*s.posizione)) += " m)";
  return r;
}

std::string in_json(const std::vector<segnalazione>& tutte) {
  nlohmann::json elenco = nlohmann::json::array();
  auto o_null = [](const auto& v) { return v ? nlohmann::json(*v) : nlohmann::json(nullptr); };
  for (const segnalazione& s : tutte)
    elenco.push_back({{"file", s.file.empty() ? nlohmann::json(nullptr) : nlohmann::json(s.file)},
                      {"line", o_null(s.riga)},
                      {"column", o_null(s.colonna)},
                      {"severity", s.altre ? "note" : s.errore ? "error" : "warning"},
                      {"code", o_null(s.codice)},
                      {"message", messaggio(s)},
                      {"chainage", o_null(s.posizione)}});
  return elenco.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace autore
