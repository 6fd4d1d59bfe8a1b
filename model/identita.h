#pragma once
// The scenario's identity: the route title and the train designation this
// program carries, and the names of the scenario's files, all formed from
// the two. Each name is joined to the program's folder by the caller.

#include <string>

namespace scenario {

// The route title and train designation of the shipped scenario (UTF-8).
inline constexpr const char* linea_scenario = "Tarvena-Olmara-Caldone";
inline constexpr const char* treno_scenario = "Reg 40318";

inline std::string nome_sorgente_linea(const std::string& linea) { return linea + "_linea.txt"; }
inline std::string nome_sorgente_treno(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "-.txt";
}
inline std::string nome_scheda(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "_scheda_treno.txt";
}
inline std::string nome_rallentamenti(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "_rallentamenti.txt";
}
inline std::string nome_note(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "_note.txt";
}
inline std::string nome_pacchetto_linea(const std::string& linea) { return linea + "_linea.dat"; }
inline std::string nome_pacchetto_voci(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + ".sim";
}
inline std::string nome_pacchetto_celle(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + ".dat";
}

}  // namespace scenario
