#pragma once
// The cab-code pass: walks the track cells once and adds code 180 cells in
// front of the signals that a warning board covers and along slowdowns.

#include <cstdint>
#include <vector>

#include "model/modello.h"
#include "packer/diagnosi.h"

namespace scenario {

// The code that the pass places, or lowers a higher existing code to.
inline constexpr int16_t codice_posato = 180;

// Returns y when x > y, else x: the smaller of the two, x on a tie.
int32_t minimo(int32_t x, int32_t y);

// Walks cells 1 to U - 2 (U the last index of m.celle) in increasing order,
// placing code cells before covered signals, at the three approach groups
// of every slowdown start, every 8 cells along slowdowns below 110 km/h and
// before the first signal after a slowdown's end. Changes only tipo and
// valore1 of the cells it uses; records errors 11, 12 and 13 in
// m.codice_errore / m.posizione_errore and carries on. Never reads or
// writes outside m.celle; does nothing when m.celle holds fewer than 4 cells.
// With `rapporto`, every error recorded is also kept there.
void posa_codici(modello& m, diagnosi* rapporto = nullptr);

// The cells of `celle` (packed cells, as read back) whose code the pass set
// rather than a record of the sources: each cell that holds code 180 where
// the pass, run on the same cells without their 180 codes, places one. A
// code the pass lowered to 180 counts as the pass's; an author's 180 that
// stands where the pass would place one packs alike and counts as the
// pass's too. In increasing order.
std::vector<int32_t> celle_del_passo(const std::vector<cella>& celle);

}  // namespace scenario
