#pragma once
// Kilometre readings: the line's own count of kilometres, shown on the
// documents and in the inspector's listing, mapped from chainage by the
// three kilometre zones that the packer stores in item rows 81 to 83. The
// reading of one zone is lettura_chilometrica (model/modello.h), which the
// loader's checks call too.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/modello.h"

namespace scenario {

// One kilometre-reading zone as the packer stored it in rows 81 to 83.
struct zona_km {
  int riga = 0;
  int32_t inizio = 0;       // chainage from which the zone applies
  int32_t salvato = 0;      // the stored reference
  int32_t direzione = 0;    // zona_discendente: the reading falls with chainage; any other: it grows
  int64_t riferimento = 0;  // reading at chainage 0: lettura_a_zero(salvato, direzione)
};

// The three zones of rows 81 to 83 of m, in row order.
std::vector<zona_km> zone_km(const modello& m);

// Kilometre reading, in metres, of zone z at chainage x (int64_t or double).
template <typename T>
T lettura_zona(const zona_km& z, T x) {
  return lettura_chilometrica<T>(z.riferimento, z.direzione, x);
}

// The zone whose reading applies at chainage x: the one with the greatest
// start not beyond x (the lower row on a tie); null when every zone starts
// beyond x. Points into `zone`.
const zona_km* zona_in_vigore(const std::vector<zona_km>& zone, int64_t x);

// Kilometre reading, in metres, at chainage x: from the zone with the
// greatest start not beyond x (the lower row on a tie); nothing when every
// zone starts beyond x.
std::optional<int64_t> lettura_km(const std::vector<zona_km>& zone, int64_t x);

// A reading in metres as kilometres with three decimals: "187.550", "-0.100";
// any int64_t value, the least included.
std::string formato_km(int64_t metri);

}  // namespace scenario
