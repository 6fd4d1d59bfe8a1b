#pragma once
// The drawing of a packed scenario as an SVG document: the plan view of the
// line with its stations, and under it the profiles along the chainage
// (speed limit, gradient, adhesion) with stations, signals and cab codes
// marked and the kilometre readings on the axis.

#include <string>
#include <string_view>

#include "inspector/elenco.h"
#include "inspector/lettore.h"
#include "packer/modello.h"

namespace ispettore {

// The SVG document, UTF-8. The plan view is drawn from `piano` when it is
// given; without it the drawing says there is no plan. Long lines are
// decimated and crowded labels thinned, so the document stays small and
// legible for any route up to 1000 km.
std::string disegna_svg(const resoconto& r, const piano_letto* piano);

// Text made safe for XML character data and attribute values: the five
// special characters escaped, control characters replaced by "?".
std::string testo_xml(std::string_view utf8);

// A round step (1, 2 or 5 times a power of ten) near `grezzo`, not below it.
double passo_tondo(double grezzo);

}  // namespace ispettore
