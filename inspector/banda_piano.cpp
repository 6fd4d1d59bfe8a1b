// The plan view band of the drawing: which metres are drawn, how they fit
// the box, the route, the scale bar, and the stations with their labels.

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "inspector/bande.h"
#include "inspector/tavolozza.h"

namespace ispettore {
namespace {

// Points of the plan drawn at most, whatever the route's length.
constexpr double punti_piano = 4000;

// Plan coordinates beyond this many metres from the origin are not drawn:
// no line comes near, and they would crush the rest of the drawing.
constexpr double coordinata_massima = 1e8;

// The point of the plan at metre `metro`, when both columns hold one.
std::optional<std::pair<double, double>> punto_piano(const piano_letto& piano, int64_t metro) {
  if (metro < 0) return std::nullopt;
  const auto i = static_cast<size_t>(metro);
  if (i >= piano[0].size() || i >= piano[1].size()) return std::nullopt;
  const scenario::variante& x = piano[0][i];
  const scenario::variante& y = piano[1][i];
  if (x.tipo == scenario::variante::vuota || y.tipo == scenario::variante::vuota)
    return std::nullopt;
  if (!(std::fabs(x.valore) <= coordinata_massima) || !(std::fabs(y.valore) <= coordinata_massima))
    return std::nullopt;
  return std::make_pair(x.valore, y.valore);
}

// The metres of the plan that are drawn: one every step, the step chosen
// so that at most punti_piano are drawn, and the route's end `fine_linea`.
std::vector<int64_t> metri_disegnati(const piano_letto& piano, int64_t fine_linea) {
  const int64_t ultimo = static_cast<int64_t>(piano[0].size()) - 1;
  const int64_t passo = std::max<int64_t>(
      1, static_cast<int64_t>(std::ceil(static_cast<double>(ultimo) / punti_piano)));
  std::vector<int64_t> metri;
  for (int64_t k = 0; k <= ultimo; k += passo) metri.push_back(k);
  if (fine_linea <= ultimo) metri.push_back(fine_linea);
  std::sort(metri.begin(), metri.end());
  metri.erase(std::unique(metri.begin(), metri.end()), metri.end());
  return metri;
}

// Plan coordinates in metres to the page: the drawn points fitted into the
// box, centred, north up, one scale both ways.
struct inquadratura {
  double xmin, ymax;  // the plan's west and north edges
  double dx, dy;      // the plan's extent, at least 1e-9
  double scala;       // pixels per metre
  double ox, oy;      // where the west and north edges fall on the page
  double x(double metri) const { return ox + (metri - xmin) * scala; }
  double y(double metri) const { return oy + (ymax - metri) * scala; }
};

// Fits the drawn metres into the box from y0 of height `altezza`, leaving
// room for the title above and the scale bar below.
inquadratura inquadra(const piano_letto& piano, const std::vector<int64_t>& metri, double y0,
                      double altezza) {
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  bool primo = true;
  for (int64_t k : metri)
    if (auto p = punto_piano(piano, k)) {
      if (primo) { xmin = xmax = p->first; ymin = ymax = p->second; primo = false; }
      xmin = std::min(xmin, p->first); xmax = std::max(xmax, p->first);
      ymin = std::min(ymin, p->second); ymax = std::max(ymax, p->second);
    }
  const double bordo_x = 60, bordo_alto = 30, bordo_basso = 50;
  const double lp = larghezza - 2 * bordo_x, ap = altezza - bordo_alto - bordo_basso;
  const double dx = std::max(xmax - xmin, 1e-9), dy = std::max(ymax - ymin, 1e-9);
  const double scala = std::min(lp / dx, ap / dy);
  const double ox = bordo_x + (lp - dx * scala) / 2, oy = y0 + bordo_alto + (ap - dy * scala) / 2;
  return {xmin, ymax, dx, dy, scala, ox, oy};
}

// The route solid up to `fine_linea`, the 7000 m beyond it dashed.
void traccia_linea(Svg& s, const piano_letto& piano, const std::vector<int64_t>& metri,
                   int64_t fine_linea, const inquadratura& q) {
  std::string tratto, oltre;
  for (int64_t k : metri)
    if (auto p = punto_piano(piano, k)) {
      const std::string punto = unisci({num(q.x(p->first)), " ", num(q.y(p->second))});
      std::string& d = k <= fine_linea ? tratto : oltre;
      d += d.empty() ? "M" : " L";
      d += punto;
      if (k == fine_linea) oltre = "M" + punto;
    }
  if (oltre.find('L') != std::string::npos)
    s.percorso(oltre, std::string(" fill=\"none\" stroke=\"") + colore::oltre_fine +
                          "\" stroke-width=\"2\" stroke-dasharray=\"6 5\"");
  if (!tratto.empty())
    s.percorso(tratto, std::string(" fill=\"none\" stroke=\"") + colore::linea +
                           "\" stroke-width=\"3\" stroke-linejoin=\"round\"" +
                           " stroke-linecap=\"round\"");
}

// The scale bar at the box's foot: a round length near a sixth of the
// drawing's longer side.
void barra_scala(Svg& s, const inquadratura& q, double y0, double altezza) {
  const double barra = passo_tondo(std::max(q.dx, q.dy) / 6);
  const double bx = 40, by = y0 + altezza - 20;
  s.riga(bx, by, bx + barra * q.scala, by, colore::testo, 2);
  s.riga(bx, by - 5, bx, by + 1, colore::testo, 2);
  s.riga(bx + barra * q.scala, by - 5, bx + barra * q.scala, by + 1, colore::testo, 2);
  s.testo(bx + barra * q.scala + 8, by + 4,
          barra >= 1000 ? etichetta(barra / 1000) + " km" : etichetta(barra) + " m", 12);
}

// Stations: every dot, and the labels that find room, away from the line
// where they can be and never over another label or off the box.
void stazioni_piano(Svg& s, const resoconto& r, const piano_letto& piano,
                    const std::vector<int64_t>& metri, const inquadratura& q, double y0,
                    double altezza) {
  std::vector<riquadro> linea;
  for (int64_t k : metri)
    if (auto p = punto_piano(piano, k)) {
      const double x = q.x(p->first), y = q.y(p->second);
      linea.push_back({x - 2, y - 2, x + 2, y + 2});
    }
  std::vector<riquadro> presi;
  for (const stazione& st : r.stazioni)
    if (auto p = punto_piano(piano, st.v.posizione)) {
      const double x = q.x(p->first), y = q.y(p->second);
      presi.push_back({x - 5, y - 5, x + 5, y + 5});
    }
  const riquadro pagina{20, y0 + 28, larghezza - 20, y0 + altezza - 34};
  for (size_t i : stazioni_per_importanza(r)) {
    const stazione& st = r.stazioni[i];
    auto p = punto_piano(piano, st.v.posizione);
    if (!p) continue;
    const double x = q.x(p->first), y = q.y(p->second);
    const bool capo = importanza(r, i) == 0;
    s.cerchio_con_titolo(x, y, capo ? 6 : 4, colore::stazione, titolo_stazione(st),
                         std::string(" stroke=\"") + colore::contorno + "\" stroke-width=\"1.5\"");
    const double corpo = capo ? 14 : 12;
    const double l = larghezza_testo(st.nome, corpo);
    // Places around the dot: right, left, above, below, then the corners.
    const double alto = corpo * 0.8, d = 7;
    struct posto { double x, y; const char* ancora; riquadro r; };
    const posto posti[] = {
        {x + 9, y + 4, "start", {x + 8, y - alto + 4, x + 9 + l, y + 6}},
        {x - 9, y + 4, "end", {x - 9 - l, y - alto + 4, x - 8, y + 6}},
        {x, y - 10, "middle", {x - l / 2, y - 10 - alto, x + l / 2, y - 8}},
        {x, y + 10 + alto, "middle", {x - l / 2, y + 9, x + l / 2, y + 12 + alto}},
        {x + d, y - d, "start", {x + d, y - d - alto, x + d + l, y - d + 2}},
        {x + d, y + d + alto, "start", {x + d, y + d, x + d + l, y + d + alto + 2}},
        {x - d, y - d, "end", {x - d - l, y - d - alto, x - d, y - d + 2}},
        {x - d, y + d + alto, "end", {x - d - l, y + d, x - d, y + d + alto + 2}}};
    auto libero = [&](const riquadro& w, bool anche_linea) {
      auto tocca = [&](const riquadro& o) { return o.tocca(w); };
      return w.x0 >= pagina.x0 && w.x1 <= pagina.x1 && w.y0 >= pagina.y0 && w.y1 <= pagina.y1 &&
             std::none_of(presi.begin(), presi.end(), tocca) &&
             (!anche_linea || std::none_of(linea.begin(), linea.end(), tocca));
    };
    const posto* scelto = nullptr;
    for (bool anche_linea : {true, false}) {
      for (const posto& w : posti)
        if (libero(w.r, anche_linea)) {
          scelto = &w;
          break;
        }
      if (scelto != nullptr) break;
    }
    if (scelto == nullptr) continue;
    presi.push_back(scelto->r);
    s.testo(scelto->x, scelto->y, st.nome, corpo, scelto->ancora,
            std::string(" fill=\"") + colore::testo + "\"" + (capo ? " font-weight=\"bold\"" : "") +
                " stroke=\"" + colore::contorno + "\" stroke-width=\"3\" paint-order=\"stroke\"");
  }
}

}  // namespace

void disegna_piano(Svg& s, const resoconto& r, const piano_letto& piano, double y0,
                   double altezza) {
  const int64_t fine_linea = std::max<int64_t>(r.lunghezza, 0);
  const std::vector<int64_t> metri = metri_disegnati(piano, fine_linea);
  const inquadratura q = inquadra(piano, metri, y0, altezza);
  s.rettangolo(20, y0, larghezza - 40, altezza, colore::riquadro,
               std::string(" stroke=\"") + colore::bordo_riquadro + "\"");
  s.testo(34, y0 + 22, "Plan view (north up)", 13, "start",
          std::string(" font-weight=\"bold\" fill=\"") + colore::tenue + "\"");
  traccia_linea(s, piano, metri, fine_linea, q);
  barra_scala(s, q, y0, altezza);
  stazioni_piano(s, r, piano, metri, q, y0, altezza);
}

void disegna_senza_piano(Svg& s, double y0, double altezza) {
  s.rettangolo(20, y0, larghezza - 40, altezza, colore::riquadro,
               std::string(" stroke=\"") + colore::bordo_riquadro + "\"");
  s.testo(larghezza / 2, y0 + altezza / 2 + 5,
          "No plan view: there is no packed line file, or it could not be read", 14, "middle",
          std::string(" fill=\"") + colore::tenue + "\"");
}

}  // namespace ispettore
