#pragma once
// The scenario's identity: the route title and the train designation this
// program carries, and the names of the scenario's files, all formed from
// the two. Each name is joined to the program's folder by the caller.
// Every route title and train designation a program takes is checked with
// difetto_nome first, so that no name it forms leaves its folder or is
// one that Windows cannot hold.

#include <string>
#include <string_view>

namespace scenario {

// The route title and train designation of the shipped scenario (UTF-8).
inline constexpr const char* linea_scenario = "Tarvena-Olmara-Caldone";
inline constexpr const char* treno_scenario = "Reg 40318";

// What makes `nome` unfit to be a route title or train designation, which
// go into every file name of the scenario; empty when it is fit. Refused:
// an empty name, a path separator ('/' or '\\'), "..", a control character
// (below 32, 127, and U+0080 to U+009F in UTF-8) and the characters
// Windows forbids in file names (< > : " | ? *). A trailing dot or blank
// is let be: the name is always followed by more of the file name.
inline std::string difetto_nome(std::string_view nome) {
  if (nome.empty()) return "it is empty";
  if (nome.find("..") != std::string_view::npos)
    return "it holds \"..\", which names the folder above";
  for (size_t i = 0; i < nome.size(); ++i) {
    const auto c = static_cast<unsigned char>(nome[i]);
    const auto dopo = i + 1 < nome.size() ? static_cast<unsigned char>(nome[i + 1]) : 0;
    if (c == '/' || c == '\\')
      return std::string("it holds the path separator '") + nome[i] + "'";
    if (c < 32 || c == 127) return "it holds a control character (code " + std::to_string(c) + ")";
    if (c == 0xC2 && dopo >= 0x80 && dopo <= 0x9F)
      return "it holds a control character (code " + std::to_string(dopo) + ")";
    if (std::string_view("<>:\"|?*").find(nome[i]) != std::string_view::npos)
      return std::string("it holds '") + nome[i] + "', which Windows does not allow in a file name";
  }
  return {};
}

// `nome` as a message shows it: each control character (below 32, and
// 127) written as \xNN, so that a refused name cannot break the line.
inline std::string nome_visibile(std::string_view nome) {
  static constexpr char cifre[] = "0123456789abcdef";
  std::string t;
  for (const char c : nome) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 32 || b == 127) t += {'\\', 'x', cifre[b >> 4], cifre[b & 15]};
    else t += c;
  }
  return t;
}

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
