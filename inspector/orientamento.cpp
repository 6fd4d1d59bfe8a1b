#include "inspector/orientamento.h"

#include <cmath>

namespace ispettore {

orientamento orienta(const std::vector<std::pair<double, double>>& punti) {
  if (punti.size() < 2) return {};
  double mx = 0, my = 0;
  for (const auto& [x, y] : punti) {
    mx += x;
    my += y;
  }
  mx /= static_cast<double>(punti.size());
  my /= static_cast<double>(punti.size());
  double sxx = 0, syy = 0, sxy = 0;
  for (const auto& [x, y] : punti) {
    sxx += (x - mx) * (x - mx);
    syy += (y - my) * (y - my);
    sxy += (x - mx) * (y - my);
  }
  if (sxx + syy == 0) return {};
  // The main axis makes angle t with east; turning by -t lays it across.
  const double t = 0.5 * std::atan2(2 * sxy, sxx - syy);
  orientamento o{std::cos(t), -std::sin(t)};
  if (o.gira(punti.front().first, punti.front().second).first >
      o.gira(punti.back().first, punti.back().second).first)
    o = {-o.coseno, -o.seno};
  return o;
}

}  // namespace ispettore
