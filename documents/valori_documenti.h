#pragma once
// What the driver's documents show that the sources do not hold: the
// train's classification, the mass its timing is reckoned on, the
// locomotive and its cab-signalling equipment, the speed category, and the
// stretches where the right-hand track is worked in both directions. An
// author gives them in a small text file of records, one a line, in the
// sources' own form (a name, then its fields, each after a comma):
//
//   classificazione, REG
//   massa, 300T
//   locomotiva, E 646
//   apparato, RSC4
//   categoria, V140B
//   banalizzato, 0, 31200
//
// A value missing from the file stays blank on the documents.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "documents/corsa.h"

namespace documenti {

struct valori_documenti {
  std::string classificazione;  // Windows-1252, printable
  std::string massa;
  std::string locomotiva;
  std::string apparato;   // the locomotive's cab-signalling equipment
  std::string categoria;  // the speed category, over the braked-mass percentage
  std::vector<tratto> banalizzati;  // chainages, in the order given
};

// A record of the values file that cannot be taken; riga and colonna count
// from 1 (the column in characters of the Windows-1252 text).
class ErroreValori : public std::runtime_error {
 public:
  ErroreValori(size_t r, size_t c, const std::string& testo)
      : std::runtime_error(testo), riga(r), colonna(c) {}
  size_t riga;
  size_t colonna;
};

// Reads the values file's text (Windows-1252, lines ended by CR LF or LF).
// Empty lines and lines that start with ";" are skipped. Throws
// ErroreValori for a record name it does not know, a name given twice
// (banalizzato may be given many times), a text value that is empty or
// longer than its cell, and a stretch that is not two whole numbers, the
// first not beyond the second.
valori_documenti leggi_valori(std::string_view testo);

}  // namespace documenti
