#pragma once
// The drawing of a packed scenario as an SVG document: the plan view of the
// line with its stations, and under it the profiles along the chainage
// (speed limit, gradient, adhesion) with stations, signals, boards and cab
// codes marked and the kilometre readings on the axis. Every feature names
// itself when pointed at; the whole line or one stretch of it is drawn. The
// page is laid out here; the bands are drawn by bande.h, the document
// written by svg.h.

#include <optional>
#include <string>
#include <utility>

#include "inspector/elenco.h"
#include "inspector/lettore.h"

namespace ispettore {

// The stretch to draw, chainages in metres; an end left out is the line's.
struct tratto_richiesto {
  std::optional<double> da;
  std::optional<double> a;
};

// The chainages drawn for `t`, in metres: from t.da (default 0) to t.a
// (default the route's end), never beyond the last cell's end. The stretch
// holds nothing when the second is not above the first.
std::pair<double, double> estensione_disegno(const resoconto& r, const tratto_richiesto& t);

// The SVG document, UTF-8, of the stretch `t` (default the whole line).
// The plan view is drawn from `letto`, the plan decoded from the packed
// line file, when it is given, turned so that the stretch runs across its
// panel; without it the drawing says there is no plan. Long lines are
// decimated and crowded labels thinned (what is too close to tell apart
// names itself as a group), so the document stays small and legible for any
// route up to 1000 km. Requires a stretch that holds something.
std::string disegna_svg(const resoconto& r, const piano_letto* letto,
                        const tratto_richiesto& t = {});

}  // namespace ispettore
