#include "model/modello.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(Arrotonda, HalvesGoToTheEvenNeighbour) {
  struct caso { double x; int32_t atteso; };
  for (auto c : {caso{2.5, 2}, caso{3.5, 4}, caso{140.5, 140}, caso{141.5, 142}, caso{-2.5, -2},
                 caso{-3.5, -4}, caso{2.4999, 2}, caso{2.5001, 3}, caso{1914.0, 1914}, caso{0.0, 0}})
    EXPECT_EQ(arrotonda(c.x), c.atteso) << c.x;
}

TEST(UltimaCella, CellsReach7000MetresBeyondTheRoute) {
  EXPECT_EQ(ultima_cella(0), 140);
  EXPECT_EQ(ultima_cella(25), 140);  // 7025 / 50 = 140.5, rounded to the even neighbour
  EXPECT_EQ(ultima_cella(227550), 4691);
  EXPECT_EQ(ultima_cella(1000000), 20140);
}

TEST(Cella, FreeMeansEmptyOrMountainMarkerOnly) {
  cella c;
  EXPECT_TRUE(libera(c));
  c.tipo = tipo_cella::segno_montagna;
  EXPECT_TRUE(libera(c));
  for (uint8_t t : {tipo_cella::segnale, tipo_cella::fermata, tipo_cella::codice,
                    tipo_cella::cartello_indicatore}) {
    c.tipo = t;
    EXPECT_FALSE(libera(c));
  }
}

}  // namespace
}  // namespace scenario
