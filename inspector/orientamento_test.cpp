#include "inspector/orientamento.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ispettore {
namespace {

// Points from (x0, y0) to (x1, y1), with a small bend half way.
std::vector<std::pair<double, double>> linea(double x0, double y0, double x1, double y1) {
  std::vector<std::pair<double, double>> p;
  for (int i = 0; i <= 100; ++i) {
    const double f = i / 100.0;
    const double piega = 0.05 * std::sin(f * 3.14159) * std::hypot(x1 - x0, y1 - y0);
    p.push_back({x0 + f * (x1 - x0) - piega * (y1 - y0) / 100, y0 + f * (y1 - y0)});
  }
  return p;
}

TEST(Orienta, TheLineRunsAcrossFromLeftToRightAndNorthIsShown) {
  struct caso { const char* nome; double x1, y1; double nord_u, nord_v; };
  // North on the page for a line from the origin to (x1, y1).
  for (const caso& c : {caso{"northward", 0, 1000, 1, 0}, caso{"southward", 0, -1000, -1, 0},
                        caso{"eastward", 1000, 0, 0, 1}, caso{"westward", -1000, 0, 0, -1}}) {
    SCOPED_TRACE(c.nome);
    const orientamento o = orienta(linea(0, 0, c.x1, c.y1));
    const auto inizio = o.gira(0, 0), fine = o.gira(c.x1, c.y1);
    EXPECT_LT(inizio.first, fine.first);
    EXPECT_NEAR(fine.second - inizio.second, 0, 1) << "across the page";
    EXPECT_NEAR(o.nord().first, c.nord_u, 0.05);
    EXPECT_NEAR(o.nord().second, c.nord_v, 0.05);
    EXPECT_NEAR(std::hypot(o.nord().first, o.nord().second), 1, 1e-12) << "a turn keeps lengths";
  }
  const orientamento fermo = orienta({{5, 5}, {5, 5}});
  EXPECT_EQ(fermo.nord(), std::make_pair(0.0, 1.0));
}

}  // namespace
}  // namespace ispettore
