#pragma once
// For tests: the checks that hold a train sheet, a slowdown order form and
// scenario notes against the two sources of their scenario, and the checks
// of their layout. The sources are read here on their own, record by
// record, not through the loader, so that a document made from the model
// is held against the text the author wrote. Records are recognised by
// their names as the source writers spell them ("stazione",
// "velocita", "progressiva chilometrica" ...). Each check returns what
// disagrees, one message a fault, empty when everything agrees. Text is
// Windows-1252 (the shipped documents' UTF-8 text converted first).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/modello.h"

namespace prova {

// The two source texts of one scenario.
struct sorgenti_testo {
  std::string linea;
  std::string treno;
};

// The shipped scenario's sources, the bytes crea_scenario writes.
sorgenti_testo sorgenti_spedite();

// The model that the loader fills from the two texts, as the authors'
// packer loads them (no plan, nothing removed), for the shipped identity.
scenario::modello carica(const sorgenti_testo& s);

// The lines of a file's bytes, each of which must end with CR LF; a line
// without it is reported in `difetti`.
std::vector<std::string> righe_crlf(std::string_view byte, std::vector<std::string>& difetti);

// The lines of an embedded UTF-8 text (LF-ended) in Windows-1252.
std::vector<std::string> righe_incorporate(std::string_view utf8);

// ---- Layout ----

// Every line ended by CR LF, no byte that Windows-1252 leaves undefined or
// that is a control, no line longer than `massima`.
std::vector<std::string> impaginazione_testo(std::string_view byte, size_t massima);

// The sheet: timetable rows 83 characters with their bars at 2, 8, 14, 24,
// 26, 49, 69, 75 and 83, the title and route boxes' bars in place, every
// page's table of at most 32 rows closed by a rule or an underscored row.
std::vector<std::string> impaginazione_scheda(const std::vector<std::string>& righe);

// The form: pages of 46 lines, each with its table of 26 rows 82 characters
// wide with bars at 2, 6, 35, 48, 59, 69 and 82, between two rules.
std::vector<std::string> impaginazione_rallentamenti(const std::vector<std::string>& righe);

// ---- Agreement with the sources ----

// The sheet against the sources: every station in order with its reading
// (within `scarto` metres), its name and asterisk, its times and its cab
// signalling; the left-hand limits exactly where the sources change them;
// the chainage-change rows where the kilometre zones meet; times that
// never run backwards; and every cell holding only its own kinds of mark.
std::vector<std::string> accordo_scheda(const std::vector<std::string>& righe,
                                        const sorgenti_testo& s, int64_t scarto = 0);

// The form against the slowdowns of the train source: one numbered row
// each, in order, with the place between its stations (or in its
// station), the reading where it begins, its speed and its length.
std::vector<std::string> accordo_rallentamenti(const std::vector<std::string>& righe,
                                               const sorgenti_testo& s);

// The notes against the sources (and the sheet, for the places it names
// that the sources do not): the readings beside place names, the number of
// stops and the long ones, the speed reductions, the codes other than the
// usual one, the braked mass, the departure, the route length, the changes
// of kilometre zone, the cab signalling and the slowdowns.
std::vector<std::string> accordo_note(const std::vector<std::string>& righe,
                                      const sorgenti_testo& s,
                                      const std::vector<std::string>& scheda);

}  // namespace prova
