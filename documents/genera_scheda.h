#pragma once
// The train sheet of an author's scenario, made from its run: the title
// box, the route box, and the timetable of 83-character rows, one for the
// origin, every station and the terminus, one for each kilometre post where
// the speed limit changes between stations, and two where one kilometre
// zone gives way to the next, as many pages as the rows need, closed by the
// memo area. Lines are Windows-1252, without line ends.

#include <string>
#include <vector>

#include "documents/corsa.h"
#include "documents/valori_documenti.h"

namespace documenti {

// Timetable rows on one page of the sheet.
inline constexpr size_t righe_per_pagina = 32;

// What one timetable row shows.
struct riga_orario {
  enum class genere : uint8_t { stazione, cippo, fine_zona, nuova_zona };
  genere tipo = genere::stazione;
  int32_t progressiva = 0;
  int64_t lettura = 0;
  bool cambia = false;           // "/" after the reading: the next row gives the new one
  std::string nome;              // with "*" after a stop without protection signals
  bool asterisco = false;        // the name ends with that "*"
  std::string orario;            // the 19-character times cell
  std::optional<int> velocita;   // the left-hand limit, on the rows where it changes
  std::string destra = "     ";  // the right-hand limit cell
  char traccia = ' ';            // "/" and backslash along a stretch worked both ways, "-" at its end
  std::string codifica = "       ";  // "COD COD", " :   : " or blank
};

// The rows of the timetable, in the order of the line.
std::vector<riga_orario> righe_orario(const corsa& c, const valori_documenti& v);

// The row as printed: 83 characters, bars at 2, 8, 14, 24, 26, 49, 69, 75, 83.
std::string testo_riga(const riga_orario& r);

// The 19-character times cell of a station.
std::string cella_orario(const stazione_corsa& s);

// The whole sheet, one string per line.
std::vector<std::string> genera_scheda(const corsa& c, const valori_documenti& v);

}  // namespace documenti
