// The plan view band of the drawing: which metres are drawn, how they are
// turned and fitted into the panel, the route, the north arrow, the scale
// bar, and the stations with their labels.

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "inspector/bande.h"
#include "inspector/tavolozza.h"

namespace ispettore {
namespace {

// Points of the plan drawn at most, whatever the stretch's length.
constexpr double punti_piano = 4000;

// Plan coordinates beyond this many metres from the origin are not drawn:
// no line comes near, and they would crush the rest of the drawing.
constexpr double coordinata_massima = 1e8;

// The point of the plan at metre `metro`, when both columns hold one.
std::optional<std::pair<double, double>> punto_piano(const piano_letto& letto, int64_t metro) {
  if (metro < 0) return std::nullopt;
  const auto i = static_cast<size_t>(metro);
  if (i >= letto[0].size() || i >= letto[1].size()) return std::nullopt;
  const scenario::variante& x = letto[0][i];
  const scenario::variante& y = letto[1][i];
  if (x.tipo == scenario::variante::vuota || y.tipo == scenario::variante::vuota) return std::nullopt;
  if (!(std::fabs(x.valore) <= coordinata_massima) || !(std::fabs(y.valore) <= coordinata_massima))
    return std::nullopt;
  return std::make_pair(x.valore, y.valore);
}

// The metres of the plan that are drawn for the stretch of axis `a`: one
// every step, the step chosen so that at most punti_piano are drawn, the
// stretch's end and the route's end `fine_linea` when it lies inside.
std::vector<int64_t> metri_disegnati(const piano_letto& letto, const asse& a, int64_t fine_linea) {
  const int64_t ultimo = std::max<int64_t>(static_cast<int64_t>(letto[0].size()) - 1, 0);
  const auto da = std::clamp<int64_t>(static_cast<int64_t>(std::floor(a.da)), 0, ultimo);
  const auto fino = std::clamp<int64_t>(static_cast<int64_t>(std::ceil(a.a)), da, ultimo);
  const int64_t passo = std::max<int64_t>(
      1, static_cast<int64_t>(std::ceil(static_cast<double>(fino - da) / punti_piano)));
  std::vector<int64_t> metri;
  for (int64_t k = da; k <= fino; k += passo) metri.push_back(k);
  for (int64_t k : {fino, fine_linea})
    if (k >= da && k <= fino) metri.push_back(k);
  std::sort(metri.begin(), metri.end());
  metri.erase(std::unique(metri.begin(), metri.end()), metri.end());
  return metri;
}

// The route solid up to its end, the 7000 m beyond it dashed.
void traccia_linea(Svg& s, const piano_letto& letto, const piano& p, const asse& a, double y0) {
  std::string tratto, oltre;
  for (int64_t k : p.metri)
    if (auto q = punto_piano(letto, k)) {
      const auto [x, y] = p.pagina(q->first, q->second, y0);
      const std::string punto = unisci({num(x), " ", num(y)});
      std::string& d = k <= p.fine_linea ? tratto : oltre;
      d += d.empty() ? "M" : " L";
      d += punto;
      if (k == p.fine_linea) oltre = "M" + punto;
    }
  if (oltre.find('L') != std::string::npos)
    s.percorso_con_titolo(oltre,
                          std::string(" fill=\"none\" stroke=\"") + colore::oltre_fine +
                              "\" stroke-width=\"2\" stroke-dasharray=\"6 5\"",
                          "Beyond the route's end: the cells reach 7000 m further");
  if (!tratto.empty())
    s.percorso_con_titolo(
        tratto,
        std::string(" fill=\"none\" stroke=\"") + colore::linea +
            "\" stroke-width=\"3\" stroke-linejoin=\"round\" stroke-linecap=\"round\"",
        "The line, chainage " + formato_km(static_cast<int64_t>(a.da)) + " to " +
            formato_km(static_cast<int64_t>(std::min(a.a, static_cast<double>(p.fine_linea)))) + " km");
}

// The scale bar at the panel's foot: a round length near a sixth of the
// line's width.
void barra_scala(Svg& s, const piano& p, double y0) {
  const double barra = passo_tondo(p.du / 6);
  const double bx = 40, by = y0 + p.altezza - 22;
  s.riga(bx, by, bx + barra * p.scala, by, colore::testo, 2);
  s.riga(bx, by - 5, bx, by + 1, colore::testo, 2);
  s.riga(bx + barra * p.scala, by - 5, bx + barra * p.scala, by + 1, colore::testo, 2);
  s.testo(bx + barra * p.scala + 8, by + 4,
          barra >= 1000 ? etichetta(barra / 1000) + " km" : etichetta(barra) + " m", 12);
}

// The north arrow, centred on cx, cy: it points where north is on the page.
void freccia_nord(Svg& s, const piano& p, double cx, double cy) {
  const auto [nu, nv] = p.o.nord();
  const double ux = nu, uy = -nv;  // on the page, y grows downward
  const double l = 16;
  s.cerchio(cx, cy, l + 3, colore::pagina, std::string(" stroke=\"") + colore::griglia + "\"");
  const double px = cx + ux * l, py = cy + uy * l;  // the tip
  const double bx = cx - ux * l, by = cy - uy * l;
  s.percorso_con_titolo(
      unisci({"M", num(bx), " ", num(by), "L", num(px), " ", num(py), "M", num(px), " ", num(py), "L",
              num(px - ux * 7 - uy * 4), " ", num(py - uy * 7 + ux * 4), "L", num(px - ux * 7 + uy * 4),
              " ", num(py - uy * 7 - ux * 4), "Z"}),
      std::string(" fill=\"") + colore::testo + "\" stroke=\"" + colore::testo + "\" stroke-width=\"2\"",
      p.girato ? "North: the plan is turned so that the line runs across the page" : "North is up");
  s.testo(cx + ux * (l + 12), cy + uy * (l + 12) + 4, "N", 12, "middle", " font-weight=\"bold\"");
}

// Stations of the stretch: every dot, and the labels that find room, away
// from the line where they can be and never over another label or off the
// panel.
void stazioni_piano(Svg& s, const resoconto& r, const piano_letto& letto, const piano& p,
                    const asse& a, double y0) {
  auto pagina = [&](const std::pair<double, double>& q) { return p.pagina(q.first, q.second, y0); };
  std::vector<riquadro> linea;
  for (int64_t k : p.metri)
    if (auto q = punto_piano(letto, k)) {
      const auto [x, y] = pagina(*q);
      linea.push_back({x - 2, y - 2, x + 2, y + 2});
    }
  std::vector<riquadro> presi;
  for (const stazione& st : r.stazioni)
    if (a.dentro(st.v.posizione))
      if (auto q = punto_piano(letto, st.v.posizione)) {
        const auto [x, y] = pagina(*q);
        presi.push_back({x - 5, y - 5, x + 5, y + 5});
      }
  const riquadro bordi{20, y0 + 28, larghezza - 20, y0 + p.altezza - 40};
  for (size_t i : stazioni_per_importanza(r)) {
    const stazione& st = r.stazioni[i];
    if (!a.dentro(st.v.posizione)) continue;
    auto q = punto_piano(letto, st.v.posizione);
    if (!q) continue;
    const auto [x, y] = pagina(*q);
    const bool capo = importanza(r, i) == 0;
    s.cerchio_con_titolo(x, y, capo ? 6 : 4, colore::stazione, titolo_stazione(r, st),
                         std::string(" stroke=\"") + colore::contorno + "\" stroke-width=\"1.5\"");
    const double corpo = capo ? 14 : 12;
    const double l = larghezza_testo(st.nome, corpo);
    // Places around the dot: the line runs across, so above and below
    // first, then the corners, further out, and the sides.
    const double alto = corpo * 0.8, d = 7;
    struct posto { double x, y; const char* ancora; riquadro r; };
    const posto posti[] = {
        {x, y - 10, "middle", {x - l / 2, y - 10 - alto, x + l / 2, y - 8}},
        {x, y + 10 + alto, "middle", {x - l / 2, y + 9, x + l / 2, y + 12 + alto}},
        {x + d, y - d, "start", {x + d, y - d - alto, x + d + l, y - d + 2}},
        {x + d, y + d + alto, "start", {x + d, y + d, x + d + l, y + d + alto + 2}},
        {x - d, y - d, "end", {x - d - l, y - d - alto, x - d, y - d + 2}},
        {x - d, y + d + alto, "end", {x - d - l, y + d, x - d, y + d + alto + 2}},
        {x, y - 26, "middle", {x - l / 2, y - 26 - alto, x + l / 2, y - 24}},
        {x, y + 26 + alto, "middle", {x - l / 2, y + 25, x + l / 2, y + 28 + alto}},
        {x + 9, y + 4, "start", {x + 8, y - alto + 4, x + 9 + l, y + 6}},
        {x - 9, y + 4, "end", {x - 9 - l, y - alto + 4, x - 8, y + 6}}};
    auto libero = [&](const riquadro& w, bool anche_linea) {
      auto tocca = [&](const riquadro& o) { return o.tocca(w); };
      return w.x0 >= bordi.x0 && w.x1 <= bordi.x1 && w.y0 >= bordi.y0 && w.y1 <= bordi.y1 &&
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

std::pair<double, double> piano::pagina(double x, double y, double y0) const {
  const auto [u, v] = o.gira(x, y);
  const double lp = larghezza - 2 * bordo_x;
  const double ap = altezza - bordo_alto - bordo_basso - 2 * spazio_nomi;
  return {bordo_x + (lp - du * scala) / 2 + (u - umin) * scala,
          y0 + bordo_alto + spazio_nomi + (ap - dv * scala) / 2 + (vmax - v) * scala};
}

piano prepara_piano(const resoconto& r, const piano_letto& letto, const asse& a) {
  piano p;
  p.fine_linea = std::max<int64_t>(r.lunghezza, 0);
  p.metri = metri_disegnati(letto, a, p.fine_linea);
  std::vector<std::pair<double, double>> punti;
  for (int64_t k : p.metri)
    if (auto q = punto_piano(letto, k)) punti.push_back(*q);
  p.o = orienta(punti);
  p.girato = std::fabs(p.o.seno) > 1e-3 || p.o.coseno < 0;
  double umin = 0, umax = 0, vmin = 0, vmax = 0;
  for (size_t i = 0; i < punti.size(); ++i) {
    const auto [u, v] = p.o.gira(punti[i].first, punti[i].second);
    if (i == 0) { umin = umax = u; vmin = vmax = v; }
    umin = std::min(umin, u); umax = std::max(umax, u);
    vmin = std::min(vmin, v); vmax = std::max(vmax, v);
  }
  p.umin = umin;
  p.vmax = vmax;
  p.du = std::max(umax - umin, 1e-9);
  p.dv = std::max(vmax - vmin, 1e-9);
  const double fissi = piano::bordo_alto + piano::bordo_basso + 2 * piano::spazio_nomi;
  p.scala = std::min((larghezza - 2 * piano::bordo_x) / p.du, (altezza_piano - fissi) / p.dv);
  p.altezza = std::clamp(p.dv * p.scala + fissi, altezza_minima_piano, altezza_piano);
  return p;
}

void disegna_piano(Svg& s, const resoconto& r, const piano_letto& letto, const piano& p,
                   const asse& a, double y0) {
  s.rettangolo(20, y0, larghezza - 40, p.altezza, colore::riquadro,
               std::string(" stroke=\"") + colore::bordo_riquadro + "\"");
  s.testo(34, y0 + 22,
          p.girato ? "Plan view, turned so that the line runs across: north is where the arrow points"
                   : "Plan view (north up)",
          13, "start", std::string(" font-weight=\"bold\" fill=\"") + colore::tenue + "\"");
  traccia_linea(s, letto, p, a, y0);
  barra_scala(s, p, y0);
  freccia_nord(s, p, larghezza - 64, y0 + p.altezza - 30);
  stazioni_piano(s, r, letto, p, a, y0);
}

void disegna_senza_piano(Svg& s, double y0, double altezza) {
  s.rettangolo(20, y0, larghezza - 40, altezza, colore::riquadro,
               std::string(" stroke=\"") + colore::bordo_riquadro + "\"");
  s.testo(larghezza / 2, y0 + altezza / 2 + 5,
          "No plan view: there is no packed line file, or it could not be read", 14, "middle",
          std::string(" fill=\"") + colore::tenue + "\"");
}

}  // namespace ispettore
