#include "model/letture.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

// The zones as the packer stores them: a falling zone's reference is kept
// 100 higher, and read back without it.
TEST(Letture, ZonesReadBackFromTheirRowsWithTheFallingReferenceRestored) {
  modello m;
  const auto zona = [&](int riga, int32_t inizio, int32_t salvato, int32_t direzione) {
    voce& v = m.voci[static_cast<size_t>(riga)];
    v.inizio = inizio;
    v.fine = salvato;
    v.posizione = direzione;
  };
  zona(riga_progressiva_tre, 131450, 227650, zona_discendente);
  zona(riga_progressiva_due, 100000, -100000, 0);
  zona(riga_progressiva_uno, 0, 187550, 0);
  const auto zone = zone_km(m);
  ASSERT_EQ(zone.size(), 3u);
  EXPECT_EQ(zone[0].riga, riga_progressiva_tre);
  EXPECT_EQ(zone[0].riferimento, 227550);
  EXPECT_EQ(lettura_km(zone, 0), 187550);
  EXPECT_EQ(lettura_km(zone, 99999), 287549);
  EXPECT_EQ(lettura_km(zone, 100000), 0);
  EXPECT_EQ(lettura_km(zone, 227550), 0);
  EXPECT_EQ(zona_in_vigore(zone, 131449), &zone[1]);
  EXPECT_EQ(zona_in_vigore(zone, -1), nullptr);
}

}  // namespace
}  // namespace scenario
