#include "model/letture.h"

#include <cstdio>

namespace scenario {

std::vector<zona_km> zone_km(const modello& m) {
  std::vector<zona_km> zone;
  for (int riga = riga_progressiva_tre; riga <= riga_progressiva_uno; ++riga) {
    const voce& v = m.voci[static_cast<size_t>(riga)];
    zone.push_back({riga, v.inizio, v.fine, v.posizione, lettura_a_zero(v.fine, v.posizione)});
  }
  return zone;
}

const zona_km* zona_in_vigore(const std::vector<zona_km>& zone, int64_t x) {
  const zona_km* scelta = nullptr;
  for (const zona_km& z : zone)
    if (z.inizio <= x && (scelta == nullptr || z.inizio > scelta->inizio)) scelta = &z;
  return scelta;
}

std::optional<int64_t> lettura_km(const std::vector<zona_km>& zone, int64_t x) {
  const zona_km* scelta = zona_in_vigore(zone, x);
  if (scelta == nullptr) return std::nullopt;
  return lettura_zona(*scelta, x);
}

std::string formato_km(int64_t metri) {
  // In unsigned arithmetic, where the least int64_t has its magnitude.
  const uint64_t assoluto = metri < 0 ? 0 - static_cast<uint64_t>(metri) : static_cast<uint64_t>(metri);
  char t[32];
  std::snprintf(t, sizeof t, "%s%llu.%03llu", metri < 0 ? "-" : "",
                static_cast<unsigned long long>(assoluto / 1000),
                static_cast<unsigned long long>(assoluto % 1000));
  return t;
}

}  // namespace scenario
