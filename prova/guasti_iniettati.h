// Test support (Linux): starting a program with the fault library
// (app/prova_guasti/iniettore_guasti.cpp) preloaded, and reading the counts
// of file calls it leaves.

#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace prova {

// The environment entries ("NAME=value") that preload the fault library
// `libreria` into a program and make it count the file calls on the folder
// `cartella`, with `altre` (GUASTI_OPERAZIONE, GUASTI_CONTEGGIO …) before
// them. The sanitizer's runtime then no longer comes first, which it is
// told; its leak check at exit is left to the other tests. LD_PRELOAD splits
// its list at blanks and colons, so the library is preloaded from a copy
// beside `cartella` (whose parent must hold no blank or colon), never from
// the build folder, whose path may hold a blank. Throws std::runtime_error
// when that parent's path holds one.
inline std::vector<std::string> con_iniettore(const std::filesystem::path& libreria,
                                              const std::filesystem::path& cartella,
                                              std::vector<std::string> altre) {
  namespace fs = std::filesystem;
  std::string asan = "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0";
  if (const char* v = std::getenv("ASAN_OPTIONS")) asan += std::string(":") + v;
  const fs::path copia = cartella.parent_path() / "iniettore_guasti.so";
  if (copia.string().find_first_of(" :") != std::string::npos)
    throw std::runtime_error("the fault library cannot be preloaded from a path with a blank or a colon: " +
                             copia.string());
  if (!fs::exists(copia)) fs::copy_file(libreria, copia);
  altre.push_back("LD_PRELOAD=" + copia.string());
  altre.push_back(asan);
  altre.push_back("GUASTI_CARTELLA=" + cartella.string());
  return altre;
}

// The counts the fault library wrote to `p` at the program's exit: kind
// of call (or "colpito", "aperti", "cartelle_scaricate") -> number.
inline std::map<std::string, long> leggi_conteggi(const std::filesystem::path& p) {
  std::map<std::string, long> conteggi;
  std::ifstream f(p);
  std::string tipo;
  long n = 0;
  while (f >> tipo >> n) conteggi[tipo] = n;
  return conteggi;
}

}  // namespace prova
