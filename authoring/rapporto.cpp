#include "authoring/rapporto.h"

#include <nlohmann/json.hpp>

namespace autore {

std::string in_riga(const segnalazione& s, const std::string& programma) {
  std::string r = s.file.empty() ? programma : s.file;
  if (s.riga) (r += ':') += std::to_string(*s.riga);
  if (s.colonna) (r += ':') += std::to_string(*s.colonna);
  r += s.errore ? ": error" : ": warning";
  if (s.codice) (r += ' ') += std::to_string(*s.codice);
  (r += ": ") += s.testo;
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
                      {"severity", s.errore ? "error" : "warning"},
                      {"code", o_null(s.codice)},
                      {"message", s.testo},
                      {"chainage", o_null(s.posizione)}});
  return elenco.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace autore
