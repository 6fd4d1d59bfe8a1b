#pragma once
// The record builders that turn one source record each into track cells,
// and the sort of the three chainage references. The loader calls them
// while it reads the sources; a record that cannot be placed is reported
// only through m.codice_errore.

#include <cstdint>

#include "model/modello.h"

namespace scenario {

// The low 8 bits of a value, as an 8-bit field keeps them.
inline uint8_t basso8(int64_t v) { return static_cast<uint8_t>(v); }

// The low 16 bits of a value, as a 16-bit field keeps them.
inline int16_t basso16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

// True when `c` is an index of m.celle.
inline bool dentro_celle(const modello& m, int64_t c) {
  return c >= 0 && c < static_cast<int64_t>(m.celle.size());
}

// The cell of a lineside feature (signal, slowdown start and end, warning
// board, boards) at chainage x: x / 50 + 1, rounded.
inline int32_t cella_elemento(int64_t x) { return arrotonda(static_cast<double>(x) / 50.0 + 1); }

// The cells of a slowdown starting at chainage x, l metres long: its
// warning board, 1200 m before it ((x - 1200) / 50 + 1), its start and its
// end (cella_elemento of x and x + l), and the first of the four cells
// before the board ((x - 1200) / 50, no + 1), all rounded.
struct celle_rallentamento {
  int32_t avviso = 0;
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t prima = 0;
};
celle_rallentamento celle_di_rallentamento(int32_t x, int32_t l);

// A slowdown starting at this chainage or before gets no warning board, and
// so none of the four cells before one.
inline constexpr int32_t ultimo_rallentamento_senza_avviso = 1500;

// Puts the chainage references of voci rows 81 to 83 (read from the "tre",
// "due" and "uno" lines) into decreasing order of their start, and adds 100
// to the second value of each whose direction is 1.
void progressive_ordina(modello& m);

// Records a mountain zone from `inizio` to `fine` of type `tipo` and writes
// it into the cells' montagna field; a type above 10 also puts a marker on
// every fourth free cell and is stored less 10. May change the caller's
// `tipo`. Sets codice_errore 15 when the zone tables are full.
void memo_montagna(modello& m, int32_t& inizio, int32_t& fine, int32_t& tipo);

// Places a slowdown starting at chainage `x`, `l` metres long, of speed `v`:
// its start and end cells, and beyond 1500 m its warning board 1200 m
// before the start with, when `f_ta` is not 0, the four cells before it;
// once its start and end cells are placed it is added to m.rallentamenti.
// Sets codice_errore 17 to 20 when a cell is taken, 15 when a cell lies
// outside m.celle.
void memo_rallentamento(modello& m, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt, int32_t f_ta,
                        int32_t& d_v);

// Places a signal at chainage `posizione` and marks the four cells 100 to
// 400 m before it as its approach cells. May raise the caller's `tempo`
// (1 to 100 become 101). Sets codice_errore 16 when the cell is taken, 15
// when it lies outside m.celle.
void memo_segnale(modello& m, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2, int32_t& s3,
                  int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3, int32_t& tempo);

// Places a group of maximum-speed indicator boards at chainage `posizione`.
// Sets codice_errore 21 when the cell is taken, 15 when it lies outside
// m.celle. Throws piattaforma::ErroreLettura when a combined speed does not
// fit 16 bits.
void memo_indicatori_v_max(modello& m, int32_t posizione, int32_t& vas, int32_t& vbs, int32_t& vcs,
                           int32_t& strisces, int32_t& vad, int32_t& vbd, int32_t& vcd,
                           int32_t& strisced);

}  // namespace scenario
