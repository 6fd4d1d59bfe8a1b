#pragma once
// The drawing of a packed scenario as an SVG document: the plan view of the
// line with its stations, and under it the profiles along the chainage
// (speed limit, gradient, adhesion) with stations, signals and cab codes
// marked and the kilometre readings on the axis. The page is laid out here;
// the bands are drawn by bande.h, the document written by svg.h.

#include <string>

#include "inspector/elenco.h"
#include "inspector/lettore.h"

namespace ispettore {

// The SVG document, UTF-8. The plan view is drawn from `piano` when it is
// given; without it the drawing says there is no plan. Long lines are
// decimated and crowded labels thinned, so the document stays small and
// legible for any route up to 1000 km.
std::string disegna_svg(const resoconto& r, const piano_letto* piano);

}  // namespace ispettore
