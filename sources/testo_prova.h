#pragma once
// Test support: a small parser of the source texts of its own, independent
// of the loader, for the tests that check the shipped content.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::prova {

// Splits embedded text at LF; the text must end with LF.
inline std::vector<std::string> righe(std::string_view testo) {
  std::vector<std::string> r;
  size_t inizio = 0;
  while (inizio < testo.size()) {
    const size_t fine = testo.find('\n', inizio);
    if (fine == std::string_view::npos) break;
    r.emplace_back(testo.substr(inizio, fine - inizio));
    inizio = fine + 1;
  }
  return r;
}

// Splits a record at commas, keeping the blanks of each field.
inline std::vector<std::string> campi(const std::string& riga) {
  std::vector<std::string> c(1);
  for (char ch : riga) {
    if (ch == ',')
      c.emplace_back();
    else
      c.back() += ch;
  }
  return c;
}

// True when the field is blanks then a whole number, nothing else.
inline bool e_numero(const std::string& campo) {
  const size_t i = campo.find_first_not_of(' ');
  return i != std::string::npos && campo.find_first_not_of("-0123456789", i) == std::string::npos &&
         campo.find('-', i + 1) == std::string::npos &&
         campo.find_first_of("0123456789", i) != std::string::npos;
}

// The whole number of a field; fails the test on anything else and returns 0.
inline int numero(const std::string& campo) {
  EXPECT_TRUE(e_numero(campo)) << "not a number: '" << campo << "'";
  return e_numero(campo) ? std::stoi(campo.substr(campo.find_first_not_of(' '))) : 0;
}

// True for a section header: a word in square brackets alone on its line.
inline bool intestazione(const std::string& riga) {
  return riga.size() > 2 && riga.front() == '[' && riga.back() == ']';
}

// The records between section header `nome` and the next header.
inline std::vector<std::string> sezione(const std::vector<std::string>& tutte,
                                        const std::string& nome) {
  std::vector<std::string> r;
  auto it = std::find(tutte.begin(), tutte.end(), nome);
  if (it == tutte.end()) return r;
  for (++it; it != tutte.end() && !intestazione(*it); ++it) r.push_back(*it);
  return r;
}
inline std::vector<std::string> sezione(std::string_view testo, const std::string& nome) {
  return sezione(righe(testo), nome);
}

// Highest speed limit (km/h) in force anywhere from chainage a to chainage
// b, from the speed rows ("velocita, from, speed") of a train source.
inline int limite_massimo(std::string_view treno, int a, int b) {
  int v = 0;
  for (const auto& riga : sezione(treno, "[vel_limite]")) {
    const auto c = campi(riga);
    if (c.size() != 3) continue;
    const int da = numero(c[1]), limite = numero(c[2]);
    if (da <= a)
      v = limite;
    else if (da < b)
      v = std::max(v, limite);
  }
  return v;
}

}  // namespace scenario::prova
