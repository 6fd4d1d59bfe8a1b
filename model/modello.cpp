#include "model/modello.h"

#include <cmath>

namespace scenario {

int32_t arrotonda(double x) {
  // nearbyint follows the default rounding mode, round-half-to-even.
  return static_cast<int32_t>(std::nearbyint(x));
}

}  // namespace scenario
