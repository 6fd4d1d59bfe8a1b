#include "model/letture.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

// The zones as the packer stores them: a falling zone's reference is kept
// 100 higher, and read back without it.
TEST(Letture, ZonesReadBackFromTheirRowsWithTheFallingReferenceRestored) {
  modello m;
  m.voci[riga_progressiva_tre] = {.inizio = 131450, .fine = 227650, .posizione = zona_discendente};
  m.voci[riga_progressiva_due] = {.inizio = 100000, .fine = -100000, .posizione = 0};
  m.voci[riga_progressiva_uno] = {.inizio = 0, .fine = 187550, .posizione = 0};
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
