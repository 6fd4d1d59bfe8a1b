#include "inspector/disegno.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <array>
#include <functional>
#include <initializer_list>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "inspector/didascalie.h"
#include "inspector/orientamento.h"

namespace ispettore {
namespace {

namespace tipo_cella = scenario::tipo_cella;

// The page: width, the margins of the profile area, and the font.
constexpr double larghezza = 1600;
constexpr double margine_sx = 120;
constexpr double margine_dx = 110;
constexpr double larghezza_profili = larghezza - margine_sx - margine_dx;
constexpr const char* carattere = "DejaVu Sans, Verdana, Arial, sans-serif";

// Heights of the parts, top to bottom. The plan view takes what its line
// needs, between the lowest and the highest height.
constexpr double altezza_titolo = 70;
constexpr double altezza_piano = 640;
constexpr double altezza_minima_piano = 280;
constexpr double altezza_senza_piano = 60;
constexpr double altezza_stazioni = 120;
constexpr double altezza_velocita = 150;
constexpr double altezza_pendenza = 100;
constexpr double altezza_aderenza = 80;
constexpr double altezza_riga_segni = 26;
constexpr double altezza_assi = 80;
constexpr double altezza_legenda = 40;
constexpr double intervallo = 22;

// Points of the plan drawn at most, whatever the stretch's length.
constexpr double punti_piano = 4000;

// Colours.
constexpr const char* colore_linea = "#1f4e79";
constexpr const char* colore_stazione = "#c0392b";
constexpr const char* colore_velocita = "#1f77b4";
constexpr const char* colore_rallentamento = "#e67e22";
constexpr const char* colore_pendenza = "#6d4c41";
constexpr const char* colore_montagna = "#efe6dc";
constexpr const char* colore_aderenza = "#2e7d32";
constexpr const char* colore_segnale = "#b71c1c";
constexpr const char* colore_cartello = "#1565c0";
constexpr const char* colore_indicatori = "#6a1b9a";
constexpr const char* colore_griglia = "#e3e3e3";
constexpr const char* colore_testo = "#222222";
constexpr const char* colore_tenue = "#777777";
// Cab codes, highest code first.
constexpr const char* colori_codici[] = {"#2e7d32", "#f39c12", "#8e44ad", "#0097a7",
                                         "#c0392b", "#5d4037", "#7cb342", "#3949ab"};

// A number for a coordinate, one decimal.
std::string n(double v) {
  char t[32];
  std::snprintf(t, sizeof t, "%.1f", v);
  std::string s = t;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  if (s == "-0") s = "0";
  return s;
}

// The pieces one after the other.
std::string unisci(std::initializer_list<std::string_view> pezzi) {
  std::string t;
  for (std::string_view p : pezzi) t += p;
  return t;
}

// A value for a label: whole when it is, else up to three decimals.
std::string etichetta(double v) {
  char t[32];
  if (std::fabs(v - std::round(v)) < 1e-9)
    std::snprintf(t, sizeof t, "%.0f", v);
  else
    std::snprintf(t, sizeof t, "%.3g", v);
  return t;
}

// Width of a text in pixels, estimated from its characters (UTF-8
// continuation bytes do not count).
double larghezza_testo(std::string_view testo, double corpo) {
  size_t caratteri = 0;
  for (char c : testo)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++caratteri;
  return 0.6 * corpo * static_cast<double>(caratteri);
}

// A rectangle for label collisions.
struct riquadro {
  double x0, y0, x1, y1;
  bool tocca(const riquadro& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// The document being written.
class Svg {
 public:
  // The document so far.
  std::string& t() { return t_; }

  // A straight line; `altro` adds attributes.
  void riga(double x0, double y0, double x1, double y1, const std::string& colore, double spessore,
            const std::string& altro = "") {
    t_ += "<line x1=\"" + n(x0) + "\" y1=\"" + n(y0) + "\" x2=\"" + n(x1) + "\" y2=\"" + n(y1) +
          "\" stroke=\"" + colore + "\" stroke-width=\"" + n(spessore) + "\"" + altro + "/>\n";
  }
  // A filled rectangle; a negative size draws nothing.
  void rettangolo(double x, double y, double l, double a, const std::string& riempimento,
                  const std::string& altro = "") {
    t_ += "<rect x=\"" + n(x) + "\" y=\"" + n(y) + "\" width=\"" + n(std::max(l, 0.0)) +
          "\" height=\"" + n(std::max(a, 0.0)) + "\" fill=\"" + riempimento + "\"" + altro + "/>\n";
  }
  // A filled circle.
  void cerchio(double x, double y, double r, const std::string& riempimento,
               const std::string& altro = "") {
    t_ += "<circle cx=\"" + n(x) + "\" cy=\"" + n(y) + "\" r=\"" + n(r) + "\" fill=\"" +
          riempimento + "\"" + altro + "/>\n";
  }
  // A circle that names itself: a viewer shows `titolo` when pointed at.
  void cerchio_con_titolo(double x, double y, double r, const std::string& riempimento,
                          std::string_view titolo, const std::string& altro = "") {
    t_ += "<circle cx=\"" + n(x) + "\" cy=\"" + n(y) + "\" r=\"" + n(r) + "\" fill=\"" +
          riempimento + "\"" + altro + "><title>" + testo_xml(titolo) + "</title></circle>\n";
  }
  // A path from its data; `altro` gives its fill and stroke.
  void percorso(const std::string& d, const std::string& altro) {
    t_ += "<path d=\"" + d + "\"" + altro + "/>\n";
  }
  // A path that names itself when pointed at.
  void percorso_con_titolo(const std::string& d, const std::string& altro, std::string_view titolo) {
    t_ += "<path d=\"" + d + "\"" + altro + "><title>" + testo_xml(titolo) + "</title></path>\n";
  }
  // A copy of the element with id `id`, placed at x, y, that names itself
  // when pointed at.
  void copia_con_titolo(const std::string& id, double x, double y, const std::string& altro,
                        std::string_view titolo) {
    t_ += "<use xlink:href=\"#" + id + "\" x=\"" + n(x) + "\" y=\"" + n(y) + "\"" + altro + "><title>" +
          testo_xml(titolo) + "</title></use>\n";
  }
  // A rectangle that names itself when pointed at; a negative size draws nothing.
  void rettangolo_con_titolo(double x, double y, double l, double a, const std::string& riempimento,
                             std::string_view titolo, const std::string& altro = "") {
    t_ += "<rect x=\"" + n(x) + "\" y=\"" + n(y) + "\" width=\"" + n(std::max(l, 0.0)) +
          "\" height=\"" + n(std::max(a, 0.0)) + "\" fill=\"" + riempimento + "\"" + altro +
          "><title>" + testo_xml(titolo) + "</title></rect>\n";
  }
  // Text at x, y; `ancora` is start, middle or end.
  void testo(double x, double y, std::string_view contenuto, double corpo,
             const std::string& ancora = "start", const std::string& altro = "") {
    t_ += "<text x=\"" + n(x) + "\" y=\"" + n(y) + "\" font-size=\"" + n(corpo) + "\"";
    if (ancora != "start") t_ += " text-anchor=\"" + ancora + "\"";
    t_ += altro + ">" + testo_xml(contenuto) + "</text>\n";
  }

 private:
  std::string t_;
};

// The horizontal axis of the profiles: chainage in metres, from `da` at
// the left end to `a` at the right end, to pixels.
struct asse {
  double da, a;
  double x(double metri) const { return margine_sx + (metri - da) / (a - da) * larghezza_profili; }
  bool dentro(double metri) const { return metri >= da && metri <= a; }
};

// How important a station's label is: origin and terminus first, then the
// stations where the train stops, then the rest; lower comes first.
int importanza(const resoconto& r, size_t i) {
  const stazione& s = r.stazioni[i];
  if (i == 0 || i + 1 == r.stazioni.size()) return 0;
  if (s.v.opzione3 != 0 || s.v.orario != 0) return 1;
  return 2;
}

// Station indexes, most important first, in line order within a rank.
std::vector<size_t> stazioni_per_importanza(const resoconto& r) {
  std::vector<size_t> ordine(r.stazioni.size());
  for (size_t i = 0; i < ordine.size(); ++i) ordine[i] = i;
  std::stable_sort(ordine.begin(), ordine.end(),
                   [&](size_t a, size_t b) { return importanza(r, a) < importanza(r, b); });
  return ordine;
}

// Plan coordinates beyond this many metres from the origin are not drawn:
// no line comes near, and they would crush the rest of the drawing.
constexpr double coordinata_massima = 1e8;

// The point of the plan at metre `metro`, when both columns hold one.
std::optional<std::pair<double, double>> punto_piano(const scenario::modello& m, int64_t metro) {
  if (metro < 0) return std::nullopt;
  const auto i = static_cast<size_t>(metro);
  if (i >= m.planimetria[0].size() || i >= m.planimetria[1].size()) return std::nullopt;
  const scenario::variante& x = m.planimetria[0][i];
  const scenario::variante& y = m.planimetria[1][i];
  if (x.tipo == scenario::variante::vuota || y.tipo == scenario::variante::vuota) return std::nullopt;
  if (!(std::fabs(x.valore) <= coordinata_massima) || !(std::fabs(y.valore) <= coordinata_massima))
    return std::nullopt;
  return std::make_pair(x.valore, y.valore);
}

// What a station's dot says when pointed at: its name, chainage and reading.
std::string titolo_stazione(const resoconto& r, const stazione& st) {
  return st.nome + ", station, " + dove_sta(r, st.v.posizione) + ", area " +
         std::to_string(st.v.inizio) + " to " + std::to_string(st.v.fine) + " m";
}

// The title lines; a stretch says which.
void disegna_titolo(Svg& s, const resoconto& r, const asse& a, bool intera) {
  s.testo(40, 36, r.linea, 24, "start", " font-weight=\"bold\"");
  size_t segnali = 0, codici = 0;
  for (const elemento& e : r.elementi) {
    segnali += e.tipo == tipo_cella::segnale;
    codici += e.tipo == tipo_cella::codice;
  }
  std::string sotto = "train " + r.treno + "  \u00b7  route " + formato_km(r.lunghezza) + " km  \u00b7  ";
  if (intera) {
    sotto += std::to_string(r.stazioni.size()) + " stations  \u00b7  " + std::to_string(segnali) +
             " signals  \u00b7  " + std::to_string(codici) + " cab-code cells";
  } else {
    const auto l1 = lettura_km(r.zone, static_cast<int64_t>(a.da));
    const auto l2 = lettura_km(r.zone, static_cast<int64_t>(a.a));
    sotto += "stretch from chainage " + formato_km(static_cast<int64_t>(a.da)) + " to " +
             formato_km(static_cast<int64_t>(a.a)) + " km";
    if (l1 && l2) sotto += " (km reading " + formato_km(*l1) + " to " + formato_km(*l2) + ")";
  }
  s.testo(40, 60, sotto, 14, "start", std::string(" fill=\"") + colore_tenue + "\"");
  s.testo(larghezza - 40, 36,
          intera ? "Point at a feature to read it; marks too close to tell apart read as a group: "
                   "--from and --to draw one stretch"
                 : "Point at a feature to read it",
          12, "end", std::string(" fill=\"") + colore_tenue + "\"");
}

// The plan view laid out: the metres drawn, the turn that lays the line
// across the panel, the scale, and the panel's height.
struct piano {
  std::vector<int64_t> metri;
  int64_t fine_linea = 0;  // the route's end: solid line up to it, dashed beyond
  orientamento o;
  double umin = 0, vmax = 0, du = 0, dv = 0;  // the turned plan's extent, metres
  double scala = 1;                           // pixels per metre
  double altezza = altezza_piano;             // of the panel
  bool girato = false;                        // north is not up

  // Bounds of the panel's parts: the line's box within it.
  static constexpr double bordo_x = 60, bordo_alto = 40, bordo_basso = 56, spazio_nomi = 34;

  // The page point of plan point x, y for a panel whose top is at y0.
  std::pair<double, double> pagina(double x, double y, double y0) const {
    const auto [u, v] = o.gira(x, y);
    const double lp = larghezza - 2 * bordo_x;
    const double ap = altezza - bordo_alto - bordo_basso - 2 * spazio_nomi;
    return {bordo_x + (lp - du * scala) / 2 + (u - umin) * scala,
            y0 + bordo_alto + spazio_nomi + (ap - dv * scala) / 2 + (vmax - v) * scala};
  }
};

// Lays out the plan of the stretch of axis `a`: turned so that the stretch
// runs across, left to right, scaled to the panel's width (or to its
// highest height), and the panel only as high as the line and its station
// names need.
piano prepara_piano(const resoconto& r, const scenario::modello& m, const asse& a) {
  piano p;
  p.fine_linea = std::max<int64_t>(r.lunghezza, 0);
  const int64_t ultimo = static_cast<int64_t>(m.planimetria[0].size()) - 1;
  const auto da = std::clamp<int64_t>(static_cast<int64_t>(std::floor(a.da)), 0, std::max<int64_t>(ultimo, 0));
  const auto fino = std::clamp<int64_t>(static_cast<int64_t>(std::ceil(a.a)), da, std::max<int64_t>(ultimo, 0));
  const int64_t passo = std::max<int64_t>(
      1, static_cast<int64_t>(std::ceil(static_cast<double>(fino - da) / punti_piano)));
  for (int64_t k = da; k <= fino; k += passo) p.metri.push_back(k);
  for (int64_t k : {fino, p.fine_linea})
    if (k >= da && k <= fino) p.metri.push_back(k);
  std::sort(p.metri.begin(), p.metri.end());
  p.metri.erase(std::unique(p.metri.begin(), p.metri.end()), p.metri.end());

  std::vector<std::pair<double, double>> punti;
  for (int64_t k : p.metri)
    if (auto q = punto_piano(m, k)) punti.push_back(*q);
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

// The north arrow, centred on cx, cy: it points where north is on the page.
void freccia_nord(Svg& s, const piano& p, double cx, double cy) {
  const auto [nu, nv] = p.o.nord();
  const double ux = nu, uy = -nv;  // on the page, y grows downward
  const double l = 16;
  s.cerchio(cx, cy, l + 3, "white", std::string(" stroke=\"") + colore_griglia + "\"");
  const double px = cx + ux * l, py = cy + uy * l;  // the tip
  const double bx = cx - ux * l, by = cy - uy * l;
  s.percorso_con_titolo(
      unisci({"M", n(bx), " ", n(by), "L", n(px), " ", n(py), "M", n(px), " ", n(py), "L",
              n(px - ux * 7 - uy * 4), " ", n(py - uy * 7 + ux * 4), "L", n(px - ux * 7 + uy * 4), " ",
              n(py - uy * 7 - ux * 4), "Z"}),
      std::string(" fill=\"") + colore_testo + "\" stroke=\"" + colore_testo + "\" stroke-width=\"2\"",
      p.girato ? "North: the plan is turned so that the line runs across the page" : "North is up");
  s.testo(cx + ux * (l + 12), cy + uy * (l + 12) + 4, "N", 12, "middle", " font-weight=\"bold\"");
}

// The plan view in its panel from y0: the route solid, the 7000 m beyond it
// dashed, a north arrow, a scale bar, and every station's dot with the
// labels that find room.
void disegna_piano(Svg& s, const resoconto& r, const scenario::modello& m, const piano& p,
                   const asse& a, double y0) {
  const double altezza = p.altezza;
  auto pagina = [&](const std::pair<double, double>& q) { return p.pagina(q.first, q.second, y0); };
  s.rettangolo(20, y0, larghezza - 40, altezza, "#f7f9fb", " stroke=\"#d0d7de\"");
  s.testo(34, y0 + 22,
          p.girato ? "Plan view, turned so that the line runs across: north is where the arrow points"
                   : "Plan view (north up)",
          13, "start", std::string(" font-weight=\"bold\" fill=\"") + colore_tenue + "\"");

  std::string tratto, oltre;
  for (int64_t k : p.metri)
    if (auto q = punto_piano(m, k)) {
      const auto [x, y] = pagina(*q);
      const std::string punto = unisci({n(x), " ", n(y)});
      std::string& d = k <= p.fine_linea ? tratto : oltre;
      d += d.empty() ? "M" : " L";
      d += punto;
      if (k == p.fine_linea) oltre = "M" + punto;
    }
  if (oltre.find('L') != std::string::npos)
    s.percorso_con_titolo(oltre, " fill=\"none\" stroke=\"#9aa5b1\" stroke-width=\"2\" stroke-dasharray=\"6 5\"",
                          "Beyond the route's end: the cells reach 7000 m further");
  if (!tratto.empty())
    s.percorso_con_titolo(tratto, std::string(" fill=\"none\" stroke=\"") + colore_linea +
                                      "\" stroke-width=\"3\" stroke-linejoin=\"round\" stroke-linecap=\"round\"",
                          "The line, chainage " + formato_km(static_cast<int64_t>(a.da)) + " to " +
                              formato_km(static_cast<int64_t>(std::min(a.a, static_cast<double>(p.fine_linea)))) + " km");

  // Scale bar: a round length near a sixth of the drawing's width.
  const double barra = passo_tondo(p.du / 6);
  const double bx = 40, by = y0 + altezza - 22;
  s.riga(bx, by, bx + barra * p.scala, by, colore_testo, 2);
  s.riga(bx, by - 5, bx, by + 1, colore_testo, 2);
  s.riga(bx + barra * p.scala, by - 5, bx + barra * p.scala, by + 1, colore_testo, 2);
  s.testo(bx + barra * p.scala + 8, by + 4,
          barra >= 1000 ? etichetta(barra / 1000) + " km" : etichetta(barra) + " m", 12);
  freccia_nord(s, p, larghezza - 64, y0 + altezza - 30);

  // Stations: every dot, and the labels that find room, away from the
  // line where they can be and never over another label.
  std::vector<riquadro> linea;
  for (int64_t k : p.metri)
    if (auto q = punto_piano(m, k)) {
      const auto [x, y] = pagina(*q);
      linea.push_back({x - 2, y - 2, x + 2, y + 2});
    }
  std::vector<riquadro> presi;
  for (const stazione& st : r.stazioni)
    if (a.dentro(st.v.posizione))
      if (auto q = punto_piano(m, st.v.posizione)) {
        const auto [x, y] = pagina(*q);
        presi.push_back({x - 5, y - 5, x + 5, y + 5});
      }
  const riquadro pagina_nomi{20, y0 + 28, larghezza - 20, y0 + altezza - 40};
  for (size_t i : stazioni_per_importanza(r)) {
    const stazione& st = r.stazioni[i];
    if (!a.dentro(st.v.posizione)) continue;
    auto q = punto_piano(m, st.v.posizione);
    if (!q) continue;
    const auto [x, y] = pagina(*q);
    const bool capo = importanza(r, i) == 0;
    s.cerchio_con_titolo(x, y, capo ? 6 : 4, colore_stazione, titolo_stazione(r, st),
                         " stroke=\"white\" stroke-width=\"1.5\"");
    const double corpo = capo ? 14 : 12;
    const double l = larghezza_testo(st.nome, corpo);
    // Places around the dot: above, below, right, left, then the corners
    // and further out: the line runs across, so above and below come first.
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
      return w.x0 >= pagina_nomi.x0 && w.x1 <= pagina_nomi.x1 && w.y0 >= pagina_nomi.y0 &&
             w.y1 <= pagina_nomi.y1 && std::none_of(presi.begin(), presi.end(), tocca) &&
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
            std::string(" fill=\"") + colore_testo + "\"" + (capo ? " font-weight=\"bold\"" : "") +
                " stroke=\"white\" stroke-width=\"3\" paint-order=\"stroke\"");
  }
}

// A run of one value of a profile: the value and the chainages it holds
// between, cut to the axis.
struct gradino {
  int32_t valore;
  double da, a;
};

// The runs of a profile within the axis, in the order of the line.
std::vector<gradino> gradini_in(const std::vector<punto>& punti, const asse& a) {
  std::vector<gradino> g;
  for (size_t i = 0; i < punti.size(); ++i) {
    const double inizio = 50.0 * punti[i].cella;
    const double fine = i + 1 < punti.size() ? 50.0 * punti[i + 1].cella
                                             : std::numeric_limits<double>::infinity();
    const double da = std::max(inizio, a.da), fino = std::min(fine, a.a);
    if (da < fino) g.push_back({punti[i].valore, da, fino});
  }
  return g;
}

// A step line through the runs, at most a few vertices per pixel column:
// within one column only the first, lowest, highest and last values are kept.
std::string tracciato(const std::vector<gradino>& g, const asse& a,
                      const std::function<double(int32_t)>& y) {
  if (g.empty()) return "";
  std::string d = "M" + n(a.x(g.front().da)) + " " + n(y(g.front().valore));
  double colonna = -1;
  std::vector<double> valori;  // y of the runs starting in the current column, in order
  auto chiudi = [&]() {
    if (valori.empty()) return;
    const auto [basso, alto] = std::minmax_element(valori.begin(), valori.end());
    std::vector<double> tenuti = {valori.front(), *basso, *alto, valori.back()};
    tenuti.erase(std::unique(tenuti.begin(), tenuti.end()), tenuti.end());
    d += " H" + n(colonna);
    for (double v : tenuti) d += " V" + n(v);
    valori.clear();
  };
  for (size_t i = 1; i < g.size(); ++i) {
    const double x = std::round(a.x(g[i].da));
    if (x != colonna) { chiudi(); colonna = x; }
    valori.push_back(y(g[i].valore));
  }
  chiudi();
  return d + " H" + n(a.x(g.back().a));
}

// Lowest and highest value of the runs.
std::pair<int32_t, int32_t> estremi(const std::vector<gradino>& g) {
  if (g.empty()) return {0, 0};
  int32_t basso = g.front().valore, alto = g.front().valore;
  for (const gradino& k : g) {
    basso = std::min(basso, k.valore);
    alto = std::max(alto, k.valore);
  }
  return {basso, alto};
}

// A band of the profiles: where it stands and the values it spans.
struct banda {
  double y0, altezza, basso, alto;
  double y(double v) const { return y0 + altezza - (v - basso) / (alto - basso) * altezza; }
};

// Draws a band's frame, its gridlines every `passo` with their values, and
// its title and unit in the left margin.
void cornice(Svg& s, const banda& b, const std::string& titolo, const std::string& unita,
             double passo) {
  s.rettangolo(margine_sx, b.y0, larghezza_profili, b.altezza, "white",
               std::string(" stroke=\"") + colore_griglia + "\"");
  const double primo = std::ceil(b.basso / passo) * passo;
  for (double v = primo; v <= b.alto + 1e-9; v += passo) {
    s.riga(margine_sx, b.y(v), margine_sx + larghezza_profili, b.y(v), colore_griglia, 1);
    s.testo(margine_sx - 6, b.y(v) + 4, etichetta(v), 11, "end",
            std::string(" fill=\"") + colore_tenue + "\"");
  }
  s.testo(16, b.y0 + b.altezza / 2 - 2, titolo, 12, "start", " font-weight=\"bold\"");
  s.testo(16, b.y0 + b.altezza / 2 + 14, unita, 11, "start",
          std::string(" fill=\"") + colore_tenue + "\"");
}

// A value range with a round step, covering [basso, alto] and at least `minimo` wide.
std::pair<double, double> intervallo_tondo(double basso, double alto, double minimo, double& passo) {
  if (alto - basso < minimo) {
    const double centro = (alto + basso) / 2;
    basso = centro - minimo / 2;
    alto = centro + minimo / 2;
  }
  passo = passo_tondo((alto - basso) / 4);
  return {std::floor(basso / passo) * passo, std::ceil(alto / passo) * passo};
}

// A stretch of the line read by one kilometre zone.
struct tratto_zona { double da, a; const zona_km* z; };

// The kilometre-reading zones in the order of the line, each with the
// chainage range it covers within the axis, as lettura_km applies them.
std::vector<tratto_zona> tratti_zone(const resoconto& r, const asse& as) {
  std::vector<int32_t> inizi;
  for (const zona_km& z : r.zone) inizi.push_back(z.inizio);
  std::sort(inizi.begin(), inizi.end());
  inizi.erase(std::unique(inizi.begin(), inizi.end()), inizi.end());
  std::vector<tratto_zona> tratti;
  for (size_t i = 0; i < inizi.size(); ++i) {
    const double da = std::max<double>(inizi[i], as.da);
    const double fino = std::min<double>(i + 1 < inizi.size() ? inizi[i + 1] : as.a, as.a);
    if (da >= fino) continue;
    // The zone lettura_km takes from here: the lowest row with this start.
    const zona_km* scelta = nullptr;
    for (const zona_km& z : r.zone)
      if (z.inizio == inizi[i]) {
        scelta = &z;
        break;
      }
    tratti.push_back({da, fino, scelta});
  }
  return tratti;
}

// The reading of zone z at chainage x.
double lettura_zona(const zona_km& z, double x) {
  return z.direzione == 1 ? static_cast<double>(z.riferimento) - x
                          : static_cast<double>(z.riferimento) + x;
}

// The chainage where zone z reads `lettura`.
double progressiva_zona(const zona_km& z, double lettura) {
  return z.direzione == 1 ? static_cast<double>(z.riferimento) - lettura
                          : lettura - static_cast<double>(z.riferimento);
}

// The two axes under the profiles: chainage and kilometre reading.
void disegna_assi(Svg& s, const resoconto& r, const asse& a, double y0, double cima) {
  const double passo = passo_tondo((a.a - a.da) / (larghezza_profili / 70));
  const std::string tenue = std::string(" fill=\"") + colore_tenue + "\"";
  // Chainage.
  const double ya = y0 + 6;
  s.riga(margine_sx, ya, margine_sx + larghezza_profili, ya, colore_testo, 1);
  for (double x = std::ceil(a.da / passo - 1e-9) * passo; x <= a.a + 1e-6; x += passo) {
    s.riga(a.x(x), ya, a.x(x), ya + 5, colore_testo, 1);
    s.testo(a.x(x), ya + 18, etichetta(x / 1000), 11, "middle");
  }
  s.testo(16, ya + 18, "chainage, km", 12, "start", " font-weight=\"bold\"");

  // Kilometre readings, zone by zone, with the zone changes marked through
  // the whole drawing.
  const double yk = y0 + 44;
  s.riga(margine_sx, yk, margine_sx + larghezza_profili, yk, colore_testo, 1);
  s.testo(16, yk + 18, "km reading", 12, "start", " font-weight=\"bold\"");
  const auto tratti = tratti_zone(r, a);
  std::vector<riquadro> presi;
  for (const tratto_zona& t : tratti) {
    if (t.da > a.da) {
      const double x = a.x(t.da);
      s.riga(x, cima, x, yk + 6, "#9e9e9e", 1, " stroke-dasharray=\"4 4\"");
      const std::string testo = formato_km(static_cast<int64_t>(lettura_zona(*t.z, t.da)));
      s.testo(x + 3, yk - 4, testo, 10, "start", " font-style=\"italic\"" + tenue);
      presi.push_back({x - 2, yk + 4, x + 2, yk + 22});
    }
  }
  for (const tratto_zona& t : tratti) {
    const double l1 = lettura_zona(*t.z, t.da), l2 = lettura_zona(*t.z, t.a);
    const double primo = std::ceil(std::min(l1, l2) / passo) * passo;
    for (double l = primo; l <= std::max(l1, l2) + 1e-6; l += passo) {
      const double x = progressiva_zona(*t.z, l);
      // A zone holds up to the next one's start; the last one to the end.
      if (x < t.da || x > t.a || (x == t.a && t.a < a.a)) continue;
      const std::string testo = etichetta(l / 1000);
      const double lt = larghezza_testo(testo, 11);
      const riquadro q{a.x(x) - lt / 2 - 3, yk + 4, a.x(x) + lt / 2 + 3, yk + 22};
      s.riga(a.x(x), yk, a.x(x), yk + 5, colore_testo, 1);
      if (std::any_of(presi.begin(), presi.end(), [&](const riquadro& o) { return o.tocca(q); }))
        continue;
      presi.push_back(q);
      s.testo(a.x(x), yk + 18, testo, 11, "middle");
    }
  }
  if (tratti.empty()) s.testo(margine_sx + 4, yk + 18, "no kilometre zone", 11, "start", tenue);
}

// The station band: a tick and a slanted name per station, names thinned
// where they would overlap. Returns the chainages of the named stations.
std::vector<double> disegna_stazioni(Svg& s, const resoconto& r, const asse& a, double y0,
                                     double altezza) {
  const double base = y0 + altezza;
  s.testo(16, base - 2, "stations", 12, "start", " font-weight=\"bold\"");
  std::vector<double> nominate;
  std::vector<double> occupate;  // x of the names already placed
  for (size_t i : stazioni_per_importanza(r)) {
    const stazione& st = r.stazioni[i];
    if (!a.dentro(st.v.posizione)) continue;
    const double x = a.x(st.v.posizione);
    if (std::any_of(occupate.begin(), occupate.end(),
                    [&](double o) { return std::fabs(o - x) < 15; }))
      continue;
    occupate.push_back(x);
    nominate.push_back(st.v.posizione);
  }
  for (const stazione& st : r.stazioni) {
    if (!a.dentro(st.v.posizione)) continue;
    const double x = a.x(st.v.posizione);
    // The station area as a light bar, the station as a dot.
    const double da = std::max<double>(st.v.inizio, a.da), fino = std::min<double>(st.v.fine, a.a);
    s.rettangolo(a.x(da), base - 8, a.x(fino) - a.x(da), 6, "#f5c6c0");
    s.cerchio_con_titolo(x, base - 5, 3, colore_stazione, titolo_stazione(r, st));
    if (std::find(nominate.begin(), nominate.end(), st.v.posizione) != nominate.end()) {
      const bool capo = &st == &r.stazioni.front() || &st == &r.stazioni.back();
      s.testo(x + 2, base - 12, st.nome, 11, "start",
              " transform=\"rotate(-40 " + n(x + 2) + " " + n(base - 12) + ")\"" +
                  (capo ? " font-weight=\"bold\"" : ""));
    }
  }
  return nominate;
}

// A colour for each cab code present, highest code first.
std::map<int32_t, std::string, std::greater<>> colori_dei_codici(const resoconto& r) {
  std::map<int32_t, std::string, std::greater<>> colori;
  for (const elemento& e : r.elementi)
    if (e.tipo == tipo_cella::codice) colori.emplace(e.valori.front().second, "");
  size_t i = 0;
  for (auto& [codice, colore] : colori)
    colore = colori_codici[std::min(i++, std::size(colori_codici) - 1)];
  return colori;
}

// Small marks as path data centred on x, y.
std::string quadrato(double x, double y) {
  return unisci({"M", n(x - 3.5), " ", n(y - 3.5), "h7v7h-7z"});
}
std::string rombo(double x, double y) { return unisci({"M", n(x), " ", n(y - 5), "l5 5-5 5-5-5z"}); }
std::string triangolo(double x, double y) { return unisci({"M", n(x), " ", n(y - 5), "l5 9h-10z"}); }
std::string tondo(double x, double y) {
  return unisci({"M", n(x - 3.5), " ", n(y), "a3.5 3.5 0 1 0 7 0a3.5 3.5 0 1 0-7 0z"});
}
std::string croce(double x, double y) {
  return unisci({"M", n(x - 3.5), " ", n(y - 3.5), "l7 7m0-7l-7 7"});
}
// A signal: a post up to a lamp for the left-hand side, down for the
// right-hand side.
std::string palo(double x, double y, bool sinistro, bool destro) {
  std::string d;
  for (double verso : {-1.0, 1.0}) {
    if (!(verso < 0 ? sinistro : destro)) continue;
    d += unisci({"M", n(x), " ", n(y), "v", n(verso * 7), "M", n(x - 2.5), " ", n(y + verso * 9.5),
                 "a2.5 2.5 0 1 0 5 0a2.5 2.5 0 1 0-5 0z"});
  }
  return d.empty() ? unisci({"M", n(x), " ", n(y - 7), "v14"}) : d;
}

// Styles of the marks.
std::string pieno(const std::string& colore) { return " fill=\"" + colore + "\""; }
std::string tratto(const std::string& colore) {
  return " fill=\"none\" stroke=\"" + colore + "\" stroke-width=\"1.5\"";
}
std::string pieno_e_tratto(const std::string& colore) {
  return " fill=\"" + colore + "\" stroke=\"" + colore + "\" stroke-width=\"1.5\"";
}

// The value called `nome` among a feature's values; 0 when it has none.
int32_t valore_di(const elemento& e, const char* nome) {
  for (const auto& [chiave, v] : e.valori)
    if (chiave == nome) return v;
  return 0;
}

// The row of the marks band a feature kind goes in: 0 signals, 1 boards,
// 2 cab codes; -1 for the kinds drawn elsewhere.
int riga_segno(uint8_t tipo) {
  switch (tipo) {
    case tipo_cella::segnale: return 0;
    case tipo_cella::cartello_indicatore:
    case tipo_cella::indicatori_v_max:
    case tipo_cella::avviso_rallentamento: return 1;
    case tipo_cella::codice:
    case tipo_cella::rimozione_codice: return 2;
    default: return -1;
  }
}

// What a group of features too close to tell apart says when pointed at.
std::string titolo_gruppo(const resoconto& r, const std::vector<const elemento*>& g) {
  if (g.size() == 1) return didascalia(r, *g.front());
  return std::to_string(g.size()) + " x " + g.front()->genere + ", chainage " +
         std::to_string(g.front()->progressiva) + " to " + std::to_string(g.back()->progressiva) + " m";
}

// The marks band: signals (left-hand side up, right-hand side down),
// boards, cab codes and the cab-signalling stretch. Each mark names what
// it stands for; marks of one kind (and code) closer than 3 pixels are one
// mark that names them all. Codes, board texts and warning speeds are
// written beside their marks where they find room.
void disegna_segni(Svg& s, const resoconto& r, const asse& a, double y0,
                   const std::map<int32_t, std::string, std::greater<>>& colori) {
  const char* titoli[] = {"signals", "boards", "cab codes", "cab signalling"};
  auto centro = [&](int riga) { return y0 + altezza_riga_segni * (riga + 0.5); };
  for (int i = 0; i < 4; ++i) {
    s.riga(margine_sx, centro(i), margine_sx + larghezza_profili, centro(i), colore_griglia, 1);
    s.testo(16, centro(i) + 4, titoli[i], 12, "start", " font-weight=\"bold\"");
  }
  // Groups in the order of the line, by row.
  using chiave = std::tuple<int, uint8_t, int32_t, long>;  // row, kind, code, 3-pixel column
  std::map<chiave, std::vector<const elemento*>> gruppi;
  for (const elemento& e : r.elementi) {
    const int riga = riga_segno(e.tipo);
    if (riga < 0 || !a.dentro(e.progressiva)) continue;
    const int32_t codice = e.tipo == tipo_cella::codice ? valore_di(e, "code") : 0;
    gruppi[{riga, e.tipo, codice, std::lround(a.x(e.progressiva) / 3)}].push_back(&e);
  }
  // The groups by row, then along the line; and the x of every mark of
  // each row, to keep labels off the next mark.
  using gruppo = std::pair<const chiave, std::vector<const elemento*>>;
  std::vector<const gruppo*> ordine;
  std::array<std::vector<double>, 3> segni;
  for (const gruppo& g : gruppi) {
    ordine.push_back(&g);
    segni[static_cast<size_t>(std::get<0>(g.first))].push_back(a.x(g.second.front()->progressiva));
  }
  auto posto = [&](const gruppo* g) {
    return std::make_pair(std::get<0>(g->first), g->second.front()->progressiva);
  };
  std::sort(ordine.begin(), ordine.end(), [&](const gruppo* p, const gruppo* q) { return posto(p) < posto(q); });
  for (auto& v : segni) std::sort(v.begin(), v.end());
  std::array<double, 3> libero{0, 0, 0};  // where each row's next label may begin

  // One shape of each kind, copied to each mark.
  s.t() += "<defs>\n";
  for (const auto& [id, d, stile] :
       {std::tuple<const char*, std::string, std::string>{"segnale-s", palo(0, 0, true, false), pieno_e_tratto(colore_segnale)},
        {"segnale-d", palo(0, 0, false, true), pieno_e_tratto(colore_segnale)},
        {"segnale-sd", palo(0, 0, true, true), pieno_e_tratto(colore_segnale)},
        {"segnale", palo(0, 0, false, false), pieno_e_tratto(colore_segnale)},
        {"cartello", quadrato(0, 0), pieno(colore_cartello)},
        {"indicatori", rombo(0, 0), pieno(colore_indicatori)},
        {"avviso", triangolo(0, 0), pieno(colore_rallentamento)},
        {"codice", tondo(0, 0), ""},
        {"rimozione", croce(0, 0), tratto("#555555")}})
    s.t() += "<path id=\"" + std::string(id) + "\" d=\"" + d + "\"" + stile + "/>\n";
  s.t() += "</defs>\n";

  for (const gruppo* voce : ordine) {
    const auto& [k, g] = *voce;
    const int riga = std::get<0>(k);
    const elemento& e = *g.front();
    const double x = a.x(e.progressiva), y = centro(riga);
    std::string id, stile, etichetta_segno, colore;
    switch (e.tipo) {
      case tipo_cella::segnale: {
        bool sinistro = false, destro = false;
        for (const elemento* f : g) {
          sinistro |= valore_di(*f, "sx") != 0 || valore_di(*f, "s1") != 0;
          destro |= valore_di(*f, "dx") != 0 || valore_di(*f, "d1") != 0;
        }
        id = sinistro && destro ? "segnale-sd" : sinistro ? "segnale-s" : destro ? "segnale-d" : "segnale";
        break;
      }
      case tipo_cella::cartello_indicatore:
        id = "cartello";
        etichetta_segno = e.testo;
        colore = colore_cartello;
        break;
      case tipo_cella::indicatori_v_max:
        id = "indicatori";
        break;
      case tipo_cella::avviso_rallentamento:
        id = "avviso";
        etichetta_segno = std::to_string(valore_di(e, "speed"));
        colore = colore_rallentamento;
        break;
      case tipo_cella::codice:
        id = "codice";
        colore = colori.at(std::get<2>(k));
        stile = pieno(colore);
        etichetta_segno = std::to_string(std::get<2>(k));
        break;
      default:  // code removal
        id = "rimozione";
        break;
    }
    s.copia_con_titolo(id, x, y, stile, titolo_gruppo(r, g));
    if (etichetta_segno.empty() || g.size() > 1) continue;
    const double x0 = x + 6, l = larghezza_testo(etichetta_segno, 10);
    const auto& riga_segni = segni[static_cast<size_t>(riga)];
    const auto dopo = std::upper_bound(riga_segni.begin(), riga_segni.end(), x + 0.5);
    const double prossimo = dopo == riga_segni.end() ? larghezza - 4 : *dopo - 5;
    if (x0 < libero[static_cast<size_t>(riga)] || x0 + l > prossimo) continue;
    libero[static_cast<size_t>(riga)] = x0 + l + 4;
    s.testo(x0, y + 4, etichetta_segno, 10, "start", " fill=\"" + colore + "\"");
  }

  if (r.sistema_codici != 0 || r.codici_a != 0) {
    const double da = std::clamp<double>(r.codici_da, a.da, a.a);
    const double fino = std::clamp<double>(r.codici_a, a.da, a.a);
    const std::string testo = std::to_string(r.sistema_codici) + "-code cab signalling, chainage " +
                              formato_km(r.codici_da) + " to " + formato_km(r.codici_a) + " km";
    s.rettangolo_con_titolo(a.x(da), centro(3) - 5, a.x(fino) - a.x(da), 10, "#a5d6a7", testo);
    if (fino > da) s.testo(a.x(da) + 6, centro(3) + 4, testo, 11);
  }
}

// The legend under the axes.
void disegna_legenda(Svg& s, double y, const std::map<int32_t, std::string, std::greater<>>& colori) {
  double x = margine_sx;
  auto voce = [&](const std::string& d, const std::string& stile, const std::string& testo) {
    s.percorso(d, stile);
    s.testo(x + 12, y + 4, testo, 12);
    x += 12 + larghezza_testo(testo, 12) + 24;
  };
  voce(tondo(x + 4, y), pieno(colore_stazione), "station");
  voce(palo(x + 4, y, true, true), pieno_e_tratto(colore_segnale), "signal: left side up, right side down");
  voce(quadrato(x + 4, y), pieno(colore_cartello), "direction board");
  voce(rombo(x + 4, y), pieno(colore_indicatori), "speed indicators");
  voce(triangolo(x + 4, y), pieno(colore_rallentamento), "slowdown warning / slowdown");
  for (const auto& [codice, colore] : colori) voce(tondo(x + 4, y), pieno(colore), "code " + std::to_string(codice));
  voce(croce(x + 4, y), tratto("#555555"), "code removal");
  voce(unisci({"M", n(x), " ", n(y - 5), "h10v10h-10z"}), pieno(colore_montagna), "mountain zone");
}

// Areas of a profile band that name the run under the pointer: one per run
// at least 5 pixels wide, and one for each cluster of narrower runs.
void titoli_gradini(Svg& s, const std::vector<gradino>& g, const asse& a, const banda& b,
                    const std::function<std::string(const gradino&)>& uno,
                    const std::function<std::string(const gradino&, const gradino&, int32_t, int32_t, size_t)>& molti) {
  size_t i = 0;
  while (i < g.size()) {
    size_t k = i;
    int32_t basso = g[i].valore, alto = g[i].valore;
    while (a.x(g[k].a) - a.x(g[i].da) < 5 && k + 1 < g.size()) {
      ++k;
      basso = std::min(basso, g[k].valore);
      alto = std::max(alto, g[k].valore);
    }
    const double x0 = a.x(g[i].da), x1 = a.x(g[k].a);
    s.rettangolo_con_titolo(x0, b.y0, x1 - x0, b.altezza, "transparent",
                            k == i ? uno(g[i]) : molti(g[i], g[k], basso, alto, k - i + 1));
    i = k + 1;
  }
}

// The value of each run of the speed limit written over it, where it fits.
void valori_velocita(Svg& s, const std::vector<gradino>& g, const asse& a, const banda& b) {
  for (const gradino& k : g) {
    const std::string t = std::to_string(k.valore);
    const double x0 = a.x(k.da), x1 = a.x(k.a);
    if (x1 - x0 < larghezza_testo(t, 10) + 4) continue;
    const double y = b.y(std::clamp<double>(k.valore, b.basso, b.alto));
    s.testo((x0 + x1) / 2, y - 10 < b.y0 ? y + 12 : y - 4, t, 10, "middle",
            std::string(" fill=\"") + colore_velocita + "\"");
  }
}

}  // namespace


std::string testo_xml(std::string_view utf8) {
  std::string t;
  t.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&': t += "&amp;"; break;
      case '<': t += "&lt;"; break;
      case '>': t += "&gt;"; break;
      case '"': t += "&quot;"; break;
      case '\'': t += "&apos;"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
          t += '?';
        else
          t += c;
    }
  }
  return t;
}

double passo_tondo(double grezzo) {
  if (!(grezzo > 0) || !std::isfinite(grezzo)) return 1;
  const double potenza = std::pow(10.0, std::floor(std::log10(grezzo)));
  for (double f : {1.0, 2.0, 5.0, 10.0})
    if (f * potenza >= grezzo * (1 - 1e-9)) return f * potenza;
  return 10 * potenza;
}

std::pair<double, double> estensione_disegno(const resoconto& r, const tratto_richiesto& t) {
  const double fine_linea = r.lunghezza > 0 ? r.lunghezza : std::max(50.0, 50.0 * r.ultima_cella);
  const double fine_celle = std::max(fine_linea, 50.0 * (r.ultima_cella + 1));
  const double da = t.da ? std::max(*t.da, 0.0) : 0;
  const double fino = t.a ? std::min(*t.a, fine_celle) : std::max(fine_linea, std::min(da + 50, fine_celle));
  return {da, fino};
}

std::string disegna_svg(const resoconto& r, const scenario::modello& m, bool con_piano,
                        const tratto_richiesto& t) {
  const auto [da, fino] = estensione_disegno(r, t);
  const asse a{da, std::max(fino, da + 1)};
  const bool intera = !t.da && !t.a;
  std::optional<piano> p;
  if (con_piano) p = prepara_piano(r, m, a);
  const double h_piano = p ? p->altezza : altezza_senza_piano;
  double y = altezza_titolo;
  const double y_piano = y;
  y += h_piano + 24;
  const double y_stazioni = y;
  y += altezza_stazioni;
  const double y_velocita = y;
  y += altezza_velocita + intervallo;
  const double y_pendenza = y;
  y += altezza_pendenza + intervallo;
  const double y_aderenza = y;
  y += altezza_aderenza + intervallo;
  const double y_segni = y;
  y += 4 * altezza_riga_segni + 6;
  const double y_assi = y;
  y += altezza_assi;
  const double y_legenda = y + 10;
  const double altezza = y + altezza_legenda;

  Svg s;
  s.t() += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s.t() += "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"" + n(larghezza) + "\" height=\"" +
           n(std::ceil(altezza)) + "\" viewBox=\"0 0 " + n(larghezza) + " " + n(std::ceil(altezza)) +
           "\" font-family=\"" + carattere + "\" fill=\"" + colore_testo + "\">\n";
  s.t() += "<title>" + testo_xml(r.linea + " \u2014 " + r.treno) + "</title>\n";
  s.rettangolo(0, 0, larghezza, std::ceil(altezza), "white");
  disegna_titolo(s, r, a, intera);

  if (p) {
    disegna_piano(s, r, m, *p, a, y_piano);
  } else {
    s.rettangolo(20, y_piano, larghezza - 40, h_piano, "#f7f9fb", " stroke=\"#d0d7de\"");
    s.testo(larghezza / 2, y_piano + h_piano / 2 + 5,
            "No plan view: there is no packed line file, or it could not be read", 14, "middle",
            std::string(" fill=\"") + colore_tenue + "\"");
  }

  // Stations, with their gridlines through the profiles.
  const double fondo_profili = y_aderenza + altezza_aderenza;
  const auto nominate = disegna_stazioni(s, r, a, y_stazioni, altezza_stazioni);

  // Speed limit, with the slowdowns at their speeds.
  const auto gv = gradini_in(r.velocita, a);
  const double va = std::max(estremi(gv).second, 0);
  const double passo_v = va <= 200 ? 40 : passo_tondo(va / 4);
  const banda bv{y_velocita, altezza_velocita, 0, std::ceil((va + 5) / passo_v) * passo_v};
  cornice(s, bv, "speed limit", "km/h", passo_v);

  // Gradient, with the mountain zones shaded behind it.
  const auto gg = gradini_in(r.pendenza, a);
  auto [gb, ga] = estremi(gg);
  const double gm = std::max({5.0, std::fabs(static_cast<double>(gb)), std::fabs(static_cast<double>(ga))});
  double passo_g = passo_tondo(gm / 2);
  const banda bg{y_pendenza, altezza_pendenza, -std::ceil(gm / passo_g) * passo_g,
                 std::ceil(gm / passo_g) * passo_g};
  cornice(s, bg, "gradient", "per mille", passo_g);
  for (const zona_montagna& z : r.montagne) {
    const double inizio = std::max(50.0 * z.prima, a.da), fine = std::min(50.0 * (z.ultima + 1), a.a);
    if (inizio >= fine) continue;
    s.rettangolo_con_titolo(a.x(inizio), bg.y0, a.x(fine) - a.x(inizio), bg.altezza, colore_montagna,
                            "Mountain zone of type " + std::to_string(z.tipo) + " from " +
                                dove_sta(r, 50 * int64_t{z.prima}) + " to " +
                                dove_sta(r, 50 * (int64_t{z.ultima} + 1)));
  }

  // Adhesion.
  const auto ga_ = gradini_in(r.aderenza, a);
  auto [ab, aa] = estremi(ga_);
  double passo_a = 5;
  const auto [abasso, aalto] = intervallo_tondo(ab - 2, aa + 2, 10, passo_a);
  const banda ba{y_aderenza, altezza_aderenza, abasso, aalto};
  cornice(s, ba, "adhesion", "", passo_a);

  for (double x : nominate)
    s.riga(a.x(x), y_velocita, a.x(x), fondo_profili, "#d5d5d5", 0.8, " stroke-dasharray=\"2 3\"");

  // Each band names the run under the pointer.
  auto da_a = [&](const gradino& k) {
    return dove_sta(r, static_cast<int64_t>(k.da)) + " to " + dove_sta(r, static_cast<int64_t>(k.a));
  };
  auto molti = [&](const char* cosa, const char* unita) {
    return [cosa, unita](const gradino& g0, const gradino& g1, int32_t basso, int32_t alto, size_t quanti) {
      return std::string(cosa) + " " + std::to_string(basso) + " to " + std::to_string(alto) + unita +
             " in " + std::to_string(quanti) + " steps, chainage " + std::to_string(std::llround(g0.da)) +
             " to " + std::to_string(std::llround(g1.a)) + " m";
    };
  };
  titoli_gradini(s, gv, a, bv,
                 [&](const gradino& k) {
                   return didascalia_velocita(r, k.valore, static_cast<int64_t>(k.da), static_cast<int64_t>(k.a));
                 },
                 molti("Speed limit", " km/h"));
  titoli_gradini(s, gg, a, bg,
                 [&](const gradino& k) { return "Gradient " + std::to_string(k.valore) + " per mille from " + da_a(k); },
                 molti("Gradient", " per mille"));
  titoli_gradini(s, ga_, a, ba,
                 [&](const gradino& k) { return "Adhesion " + std::to_string(k.valore) + " from " + da_a(k); },
                 molti("Adhesion", ""));

  s.percorso(tracciato(gv, a, [&](int32_t v) { return bv.y(v); }),
             std::string(" fill=\"none\" stroke=\"") + colore_velocita + "\" stroke-width=\"2\"");
  valori_velocita(s, gv, a, bv);
  // Slowdowns: from each start to the next end, at the start's speed.
  for (size_t i = 0; i < r.elementi.size(); ++i) {
    const elemento& e = r.elementi[i];
    if (e.tipo != tipo_cella::inizio_rallentamento) continue;
    const elemento* fine = nullptr;
    for (size_t k = i + 1; k < r.elementi.size() && fine == nullptr; ++k)
      if (r.elementi[k].tipo == tipo_cella::fine_rallentamento) fine = &r.elementi[k];
    const double inizio = std::max<double>(e.progressiva, a.da);
    const double termine = std::min<double>(fine ? fine->progressiva : e.progressiva + 50, a.a);
    if (inizio > termine || e.progressiva > a.a) continue;
    const int32_t kmh = valore_di(e, "speed");
    const double v = std::clamp<double>(kmh, bv.basso, bv.alto);
    const double x0 = a.x(inizio);
    const double x1 = std::max(x0 + 2, a.x(termine));
    std::string titolo = "Slowdown to " + std::to_string(kmh) + " km/h from " + dove_sta(r, e.progressiva);
    if (fine) titolo += " to " + dove_sta(r, fine->progressiva);
    s.rettangolo_con_titolo(x0, bv.y(v), x1 - x0, bv.y(bv.basso) - bv.y(v), colore_rallentamento, titolo,
                            " fill-opacity=\"0.3\"");
    s.riga(x0, bv.y(v), x1, bv.y(v), colore_rallentamento, 2.5);
    if (x1 - x0 > larghezza_testo(std::to_string(kmh), 10) + 4)
      s.testo((x0 + x1) / 2, bv.y(v) + 12, std::to_string(kmh), 10, "middle",
              std::string(" fill=\"") + colore_rallentamento + "\"");
  }
  s.percorso(tracciato(gg, a, [&](int32_t v) { return bg.y(v); }),
             std::string(" fill=\"none\" stroke=\"") + colore_pendenza + "\" stroke-width=\"2\"");
  s.riga(margine_sx, bg.y(0), margine_sx + larghezza_profili, bg.y(0), "#9e9e9e", 1);
  s.percorso(tracciato(ga_, a, [&](int32_t v) { return ba.y(v); }),
             std::string(" fill=\"none\" stroke=\"") + colore_aderenza + "\" stroke-width=\"2\"");

  const auto colori = colori_dei_codici(r);
  disegna_segni(s, r, a, y_segni, colori);
  disegna_assi(s, r, a, y_assi, y_stazioni + altezza_stazioni);
  disegna_legenda(s, y_legenda, colori);
  s.t() += "</svg>\n";
  return std::move(s.t());
}

}  // namespace ispettore
