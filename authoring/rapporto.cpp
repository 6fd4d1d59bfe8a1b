#include "authoring/rapporto.h"

#include <nlohmann/json.hpp>

#include <utility>

namespace autore {
namespace {

const char* parola(gravita g) {
  switch (g) {
    case gravita::errore: return "error";
    case gravita::avviso: return "warning";
    case gravita::nota: break;
  }
  return "note";
}

// FILE:LINE:COLUMN, or the program's name where no file is known.
std::string luogo(const std::string& file, std::optional<size_t> riga, std::optional<size_t> colonna,
                  const std::string& programma) {
  std::string r = file.empty() ? programma : file;
  if (riga) (r += ':') += std::to_string(*riga);
  if (colonna) (r += ':') += std::to_string(*colonna);
  return r;
}

// The message as the line carries it, after the severity.
std::string messaggio(const segnalazione& s) {
  std::string r = s.testo;
  if (s.posizione) ((r += " (chainage ") += std::to_string(*s.posizione)) += " m)";
  if (!s.rimedio.empty()) (r += "; ") += s.rimedio;
  if (s.codice) ((r += " [code ") += std::to_string(*s.codice)) += "]";
  if (s.dopo_arresto) r += " (found after the loader stopped: not packed)";
  return r;
}

}  // namespace

std::pair<size_t, size_t> conta(const std::vector<segnalazione>& tutte) {
  size_t errori = 0, avvisi = 0;
  for (const segnalazione& s : tutte) {
    errori += s.livello == gravita::errore ? 1 : 0;
    avvisi += s.livello == gravita::avviso ? 1 : 0;
    (s.livello_omessi == gravita::errore ? errori : avvisi) += s.omessi;
  }
  return {errori, avvisi};
}

std::string con_migliaia(size_t n) {
  std::string cifre = std::to_string(n);
  std::string r;
  for (size_t i = 0; i < cifre.size(); ++i) {
    if (i > 0 && (cifre.size() - i) % 3 == 0) r += ',';
    r += cifre[i];
  }
  return r;
}

std::string in_righe(const segnalazione& s, const std::string& programma) {
  std::string r = luogo(s.file, s.riga, s.colonna, programma) + ": " + parola(s.livello) + ": " +
                  messaggio(s) + "\n";
  for (const nota_rapporto& n : s.note)
    r += luogo(n.file, n.riga, n.colonna, programma) + ": note: " + n.testo + "\n";
  return r;
}

std::string riepilogo(const std::vector<segnalazione>& tutte, const std::string& programma) {
  const auto [errori, avvisi] = conta(tutte);
  bool dopo = false;
  for (const segnalazione& s : tutte) dopo = dopo || s.dopo_arresto;
  if (errori + avvisi == 0) return {};
  std::string r = programma + ": " + con_migliaia(errori) + (errori == 1 ? " error, " : " errors, ") +
                  con_migliaia(avvisi) + (avvisi == 1 ? " warning" : " warnings");
  if (dopo)
    r += "; the loader stopped at the first error, and what was found after it is not in the "
         "packed files: fix that error and pack again";
  return r + "\n";
}

std::string in_json(const resoconto& r) {
  auto o_null = [](const auto& v) { return v ? nlohmann::json(*v) : nlohmann::json(nullptr); };
  nlohmann::json elenco = nlohmann::json::array();
  const auto [errori, avvisi] = conta(r.segnalazioni);
  for (const segnalazione& s : r.segnalazioni) {
    nlohmann::json note = nlohmann::json::array();
    for (const nota_rapporto& n : s.note)
      note.push_back({{"file", n.file}, {"line", n.riga}, {"column", n.colonna}, {"message", n.testo}});
    elenco.push_back({{"file", s.file.empty() ? nlohmann::json(nullptr) : nlohmann::json(s.file)},
                      {"line", o_null(s.riga)},
                      {"column", o_null(s.colonna)},
                      {"severity", parola(s.livello)},
                      {"code", o_null(s.codice)},
                      {"message", s.testo},
                      {"chainage", o_null(s.posizione)},
                      {"fix", s.rimedio.empty() ? nlohmann::json(nullptr) : nlohmann::json(s.rimedio)},
                      {"after_stop", s.dopo_arresto},
                      {"notes", note}});
  }
  const nlohmann::json documento = {{"diagnostics", elenco},
                                    {"errors", errori},
                                    {"warnings", avvisi},
                                    {"messages", r.messaggi},
                                    {"written", r.scritti},
                                    {"status", r.stato}};
  return documento.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace autore
