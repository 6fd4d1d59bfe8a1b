#pragma once
// How the plan view is laid in its panel: turned so that the line's main
// direction runs across the page, its start on the left, whatever way the
// line runs on the ground.

#include <utility>
#include <vector>

namespace ispettore {

// A turn of the plan: plan coordinates (x east, y north, metres) to
// coordinates across the page (u, to the right) and up it (v).
struct orientamento {
  double coseno = 1;
  double seno = 0;

  // The point x, y turned.
  std::pair<double, double> gira(double x, double y) const {
    return {x * coseno - y * seno, x * seno + y * coseno};
  }
  // Where north points on the page: across and up, a unit vector.
  std::pair<double, double> nord() const { return gira(0, 1); }
};

// The turn that lays the main direction of `punti` (their least-squares
// axis) across the page with the first point left of the last. North up
// when the points hold fewer than two distinct places.
orientamento orienta(const std::vector<std::pair<double, double>>& punti);

}  // namespace ispettore
