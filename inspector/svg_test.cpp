#include "inspector/svg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace ispettore {
namespace {

TEST(TestoXml, EscapesTheSpecialCharactersAndReplacesControlCharacters) {
  EXPECT_EQ(testo_xml("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e&apos;f");
  EXPECT_EQ(testo_xml(std::string("x\x01y\x7Fz\tw", 8)), "x?y?z?w?");
  EXPECT_EQ(testo_xml("Citt\u00e0"), "Citt\u00e0");
}

// Axis ticks: as many decimals as their step needs, so that neighbours
// never read alike at any zoom, and no "-0".
TEST(Etichetta, TicksCarryTheDecimalsOfTheirStep) {
  struct caso { double v, passo; const char* testo; };
  for (const caso& c : {caso{190, 10, "190"}, caso{-1e-13, 20, "0"}, caso{-0.0004, 0.001, "0.000"},
                        caso{10.5, 0.05, "10.50"}, caso{10.55, 0.05, "10.55"}, caso{10.549999999, 0.05, "10.55"},
                        caso{0.2, 0.2, "0.2"}, caso{-1.5, 0.5, "-1.5"}, caso{1234.5678, 0.0001, "1234.5678"}})
    EXPECT_EQ(etichetta(c.v, c.passo), c.testo) << c.v << " " << c.passo;
  for (double passo : {0.0005, 0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1.0, 2.0, 5.0})
    for (double k = std::round(10.5 / passo) - 3; k < std::round(10.5 / passo) + 40; ++k)
      EXPECT_NE(etichetta(k * passo, passo), etichetta((k + 1) * passo, passo)) << passo;
}

}  // namespace
}  // namespace ispettore
