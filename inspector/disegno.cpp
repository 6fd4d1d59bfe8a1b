#include "inspector/disegno.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace ispettore {
namespace {

namespace tipo_cella = scenario::tipo_cella;

// The page: width, the margins of the profile area, and the font.
constexpr double larghezza = 1600;
constexpr double margine_sx = 120;
constexpr double margine_dx = 110;
constexpr double larghezza_profili = larghezza - margine_sx - margine_dx;
constexpr const char* carattere = "DejaVu Sans, Verdana, Arial, sans-serif";

// Heights of the parts, top to bottom.
constexpr double altezza_titolo = 70;
constexpr double altezza_piano = 640;
constexpr double altezza_senza_piano = 60;
constexpr double altezza_stazioni = 120;
constexpr double altezza_velocita = 150;
constexpr double altezza_pendenza = 100;
constexpr double altezza_aderenza = 80;
constexpr double altezza_riga_segni = 20;
constexpr double altezza_assi = 80;
constexpr double altezza_legenda = 40;
constexpr double intervallo = 22;

// Points of the plan drawn at most, whatever the route's length.
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

// The chainage drawn at the right end of the profiles.
double fine_disegno(const resoconto& r) {
  if (r.lunghezza > 0) return r.lunghezza;
  return std::max(50.0, 50.0 * r.ultima_cella);
}

// The horizontal axis of the profiles: chainage in metres to pixels.
struct asse {
  double xmax;
  double x(double metri) const { return margine_sx + metri / xmax * larghezza_profili; }
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
std::optional<std::pair<double, double>> punto_piano(const piano_letto& piano, int64_t metro) {
  if (metro < 0) return std::nullopt;
  const auto i = static_cast<size_t>(metro);
  if (i >= piano[0].size() || i >= piano[1].size()) return std::nullopt;
  const scenario::variante& x = piano[0][i];
  const scenario::variante& y = piano[1][i];
  if (x.tipo == scenario::variante::vuota || y.tipo == scenario::variante::vuota) return std::nullopt;
  if (!(std::fabs(x.valore) <= coordinata_massima) || !(std::fabs(y.valore) <= coordinata_massima))
    return std::nullopt;
  return std::make_pair(x.valore, y.valore);
}

// What a station's dot says when pointed at: its name, chainage and reading.
std::string titolo_stazione(const stazione& st) {
  std::string t = st.nome + ", chainage " + std::to_string(st.v.posizione) + " m";
  if (st.lettura) t += ", km " + formato_km(*st.lettura);
  return t;
}

// The title lines.
void disegna_titolo(Svg& s, const resoconto& r) {
  s.testo(40, 36, r.linea, 24, "start", " font-weight=\"bold\"");
  size_t segnali = 0, codici = 0;
  for (const elemento& e : r.elementi) {
    segnali += e.tipo == tipo_cella::segnale;
    codici += e.tipo == tipo_cella::codice;
  }
  s.testo(40, 60,
          "train " + r.treno + "  \u00b7  route " + formato_km(r.lunghezza) + " km  \u00b7  " +
              std::to_string(r.stazioni.size()) + " stations  \u00b7  " + std::to_string(segnali) +
              " signals  \u00b7  " + std::to_string(codici) + " cab-code cells",
          14, "start", std::string(" fill=\"") + colore_tenue + "\"");
}

// The plan view, north up, in the box from y0 of height `altezza`.
void disegna_piano(Svg& s, const resoconto& r, const piano_letto& piano, double y0,
                   double altezza) {
  const int64_t fine_linea = std::max<int64_t>(r.lunghezza, 0);
  const int64_t ultimo = static_cast<int64_t>(piano[0].size()) - 1;
  const int64_t passo =
      std::max<int64_t>(1, static_cast<int64_t>(std::ceil(static_cast<double>(ultimo) / punti_piano)));

  // The metres drawn: every step, and the route's end.
  std::vector<int64_t> metri;
  for (int64_t k = 0; k <= ultimo; k += passo) metri.push_back(k);
  if (fine_linea <= ultimo) metri.push_back(fine_linea);
  std::sort(metri.begin(), metri.end());
  metri.erase(std::unique(metri.begin(), metri.end()), metri.end());

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
  auto sx = [&](double x) { return ox + (x - xmin) * scala; };
  auto sy = [&](double y) { return oy + (ymax - y) * scala; };

  s.rettangolo(20, y0, larghezza - 40, altezza, "#f7f9fb", " stroke=\"#d0d7de\"");
  s.testo(34, y0 + 22, "Plan view (north up)", 13, "start",
          std::string(" font-weight=\"bold\" fill=\"") + colore_tenue + "\"");

  // The route solid, the 7000 m beyond its end dashed.
  std::string tratto, oltre;
  for (int64_t k : metri)
    if (auto p = punto_piano(piano, k)) {
      const std::string punto = unisci({n(sx(p->first)), " ", n(sy(p->second))});
      std::string& d = k <= fine_linea ? tratto : oltre;
      d += d.empty() ? "M" : " L";
      d += punto;
      if (k == fine_linea) oltre = "M" + punto;
    }
  if (oltre.find('L') != std::string::npos)
    s.percorso(oltre, " fill=\"none\" stroke=\"#9aa5b1\" stroke-width=\"2\" stroke-dasharray=\"6 5\"");
  if (!tratto.empty())
    s.percorso(tratto, std::string(" fill=\"none\" stroke=\"") + colore_linea +
                           "\" stroke-width=\"3\" stroke-linejoin=\"round\" stroke-linecap=\"round\"");

  // Scale bar: a round length near a sixth of the drawing's longer side.
  const double barra = passo_tondo(std::max(dx, dy) / 6);
  const double bx = 40, by = y0 + altezza - 20;
  s.riga(bx, by, bx + barra * scala, by, colore_testo, 2);
  s.riga(bx, by - 5, bx, by + 1, colore_testo, 2);
  s.riga(bx + barra * scala, by - 5, bx + barra * scala, by + 1, colore_testo, 2);
  s.testo(bx + barra * scala + 8, by + 4,
          barra >= 1000 ? etichetta(barra / 1000) + " km" : etichetta(barra) + " m", 12);

  // Stations: every dot, and the labels that find room, away from the
  // line where they can be and never over another label.
  std::vector<riquadro> linea;
  for (int64_t k : metri)
    if (auto p = punto_piano(piano, k)) {
      const double x = sx(p->first), y = sy(p->second);
      linea.push_back({x - 2, y - 2, x + 2, y + 2});
    }
  std::vector<riquadro> presi;
  for (const stazione& st : r.stazioni)
    if (auto p = punto_piano(piano, st.v.posizione)) {
      const double x = sx(p->first), y = sy(p->second);
      presi.push_back({x - 5, y - 5, x + 5, y + 5});
    }
  const riquadro pagina{20, y0 + 28, larghezza - 20, y0 + altezza - 34};
  for (size_t i : stazioni_per_importanza(r)) {
    const stazione& st = r.stazioni[i];
    auto p = punto_piano(piano, st.v.posizione);
    if (!p) continue;
    const double x = sx(p->first), y = sy(p->second);
    const bool capo = importanza(r, i) == 0;
    s.cerchio_con_titolo(x, y, capo ? 6 : 4, colore_stazione, titolo_stazione(st),
                         " stroke=\"white\" stroke-width=\"1.5\"");
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
    auto libero = [&](const riquadro& q, bool anche_linea) {
      auto tocca = [&](const riquadro& o) { return o.tocca(q); };
      return q.x0 >= pagina.x0 && q.x1 <= pagina.x1 && q.y0 >= pagina.y0 && q.y1 <= pagina.y1 &&
             std::none_of(presi.begin(), presi.end(), tocca) &&
             (!anche_linea || std::none_of(linea.begin(), linea.end(), tocca));
    };
    const posto* scelto = nullptr;
    for (bool anche_linea : {true, false}) {
      for (const posto& q : posti)
        if (libero(q.r, anche_linea)) {
          scelto = &q;
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

// A step line through profile points up to chainage xmax, at most a few
// vertices per pixel column: within one column only the first, lowest,
// highest and last values are kept.
std::string gradini(const std::vector<punto>& punti, const asse& a,
                    const std::function<double(int32_t)>& y) {
  if (punti.empty()) return "";
  std::string d = "M" + n(a.x(0)) + " " + n(y(punti.front().valore));
  double colonna = -1;
  std::vector<double> valori;  // y of the points in the current column, in order
  auto chiudi = [&]() {
    if (valori.empty()) return;
    const auto [basso, alto] = std::minmax_element(valori.begin(), valori.end());
    std::vector<double> tenuti = {valori.front(), *basso, *alto, valori.back()};
    tenuti.erase(std::unique(tenuti.begin(), tenuti.end()), tenuti.end());
    d += " H" + n(colonna);
    for (double v : tenuti) d += " V" + n(v);
    valori.clear();
  };
  for (size_t i = 1; i < punti.size(); ++i) {
    const double metri = 50.0 * punti[i].cella;
    if (metri >= a.xmax) break;
    const double x = std::round(a.x(metri));
    if (x != colonna) { chiudi(); colonna = x; }
    valori.push_back(y(punti[i].valore));
  }
  chiudi();
  return d + " H" + n(a.x(a.xmax));
}

// Lowest and highest value of a profile over the drawn chainage.
std::pair<int32_t, int32_t> estremi(const std::vector<punto>& punti, double xmax) {
  int32_t basso = 0, alto = 0;
  bool primo = true;
  for (const punto& p : punti) {
    if (50.0 * p.cella >= xmax && !primo) break;
    if (primo) { basso = alto = p.valore; primo = false; }
    basso = std::min(basso, p.valore);
    alto = std::max(alto, p.valore);
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
// chainage range it covers within [0, xmax), as lettura_km applies them.
std::vector<tratto_zona> tratti_zone(const resoconto& r, double xmax) {
  std::vector<int32_t> inizi;
  for (const zona_km& z : r.zone) inizi.push_back(z.inizio);
  std::sort(inizi.begin(), inizi.end());
  inizi.erase(std::unique(inizi.begin(), inizi.end()), inizi.end());
  std::vector<tratto_zona> tratti;
  for (size_t i = 0; i < inizi.size(); ++i) {
    const double da = std::max<double>(inizi[i], 0);
    const double a = std::min<double>(i + 1 < inizi.size() ? inizi[i + 1] : xmax, xmax);
    if (da >= a) continue;
    // The zone lettura_km takes from here: the lowest row with this start.
    const zona_km* scelta = nullptr;
    for (const zona_km& z : r.zone)
      if (z.inizio == inizi[i]) {
        scelta = &z;
        break;
      }
    tratti.push_back({da, a, scelta});
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
  const double passo = passo_tondo(a.xmax / (larghezza_profili / 70));
  const std::string tenue = std::string(" fill=\"") + colore_tenue + "\"";
  // Chainage.
  const double ya = y0 + 6;
  s.riga(margine_sx, ya, margine_sx + larghezza_profili, ya, colore_testo, 1);
  for (double x = 0; x <= a.xmax + 1e-6; x += passo) {
    s.riga(a.x(x), ya, a.x(x), ya + 5, colore_testo, 1);
    s.testo(a.x(x), ya + 18, etichetta(x / 1000), 11, "middle");
  }
  s.testo(16, ya + 18, "chainage, km", 12, "start", " font-weight=\"bold\"");

  // Kilometre readings, zone by zone, with the zone changes marked through
  // the whole drawing.
  const double yk = y0 + 44;
  s.riga(margine_sx, yk, margine_sx + larghezza_profili, yk, colore_testo, 1);
  s.testo(16, yk + 18, "km reading", 12, "start", " font-weight=\"bold\"");
  const auto tratti = tratti_zone(r, a.xmax);
  std::vector<riquadro> presi;
  for (size_t i = 0; i < tratti.size(); ++i) {
    const tratto_zona& t = tratti[i];
    if (i > 0) {
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
      if (x < t.da || x > t.a || (x == t.a && t.a < a.xmax)) continue;
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
    if (st.v.posizione < 0 || st.v.posizione > a.xmax) continue;
    const double x = a.x(st.v.posizione);
    if (std::any_of(occupate.begin(), occupate.end(),
                    [&](double o) { return std::fabs(o - x) < 15; }))
      continue;
    occupate.push_back(x);
    nominate.push_back(st.v.posizione);
  }
  for (const stazione& st : r.stazioni) {
    if (st.v.posizione < 0 || st.v.posizione > a.xmax) continue;
    const double x = a.x(st.v.posizione);
    // The station area as a light bar, the station as a dot.
    s.rettangolo(a.x(std::max<double>(st.v.inizio, 0)), base - 8,
                 a.x(std::min<double>(st.v.fine, a.xmax)) - a.x(std::max<double>(st.v.inizio, 0)), 6,
                 "#f5c6c0");
    s.cerchio_con_titolo(x, base - 5, 3, colore_stazione, titolo_stazione(st));
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

// Small marks as path data centred on x, y, so that many marks of one
// style can share one path.
std::string tacca(double x, double y) { return unisci({"M", n(x), " ", n(y - 7), "v14"}); }
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

// Styles of the marks.
std::string pieno(const std::string& colore) { return " fill=\"" + colore + "\""; }
std::string tratto(const std::string& colore) {
  return " fill=\"none\" stroke=\"" + colore + "\" stroke-width=\"1.5\"";
}

// The marks band: signals, boards, cab codes and the cab-signalling stretch.
void disegna_segni(Svg& s, const resoconto& r, const asse& a, double y0,
                   const std::map<int32_t, std::string, std::greater<>>& colori) {
  const char* titoli[] = {"signals", "boards", "cab codes", "cab signalling"};
  for (int i = 0; i < 4; ++i) {
    const double y = y0 + altezza_riga_segni * (i + 0.5);
    s.riga(margine_sx, y, margine_sx + larghezza_profili, y, colore_griglia, 1);
    s.testo(16, y + 4, titoli[i], 12, "start", " font-weight=\"bold\"");
  }
  auto centro = [&](int riga) { return y0 + altezza_riga_segni * (riga + 0.5); };
  // One mark of a kind (and code) per 3 pixels: on a long, dense line more
  // would only draw over each other. Marks of one style share a path.
  std::set<std::tuple<int, int32_t, long>> fatti;
  std::map<std::string, std::string> tracciati;  // style -> path data
  for (const elemento& e : r.elementi) {
    if (e.progressiva < 0 || e.progressiva > a.xmax) continue;
    const double x = a.x(e.progressiva);
    const int32_t codice = e.tipo == tipo_cella::codice ? e.valori.front().second : 0;
    if (!fatti.insert({e.tipo, codice, std::lround(x / 3)}).second) continue;
    switch (e.tipo) {
      case tipo_cella::segnale:
        tracciati[tratto(colore_segnale)] += tacca(x, centro(0));
        break;
      case tipo_cella::cartello_indicatore:
        tracciati[pieno(colore_cartello)] += quadrato(x, centro(1));
        break;
      case tipo_cella::indicatori_v_max:
        tracciati[pieno(colore_indicatori)] += rombo(x, centro(1));
        break;
      case tipo_cella::avviso_rallentamento:
        tracciati[pieno(colore_rallentamento)] += triangolo(x, centro(1));
        break;
      case tipo_cella::codice:
        tracciati[pieno(colori.at(codice))] += tondo(x, centro(2));
        break;
      case tipo_cella::rimozione_codice:
        tracciati[tratto("#555555")] += croce(x, centro(2));
        break;
      default:
        break;
    }
  }
  for (const auto& [stile, d] : tracciati) s.percorso(d, stile);
  if (r.sistema_codici != 0 || r.codici_a != 0) {
    const double da = std::clamp<double>(r.codici_da, 0, a.xmax);
    const double fino = std::clamp<double>(r.codici_a, 0, a.xmax);
    s.rettangolo(a.x(da), centro(3) - 5, a.x(fino) - a.x(da), 10, "#a5d6a7");
    s.testo(a.x(da) + 6, centro(3) + 4,
            std::to_string(r.sistema_codici) + "-code cab signalling, chainage " +
                formato_km(r.codici_da) + " to " + formato_km(r.codici_a) + " km",
            11);
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
  voce(tacca(x + 4, y), tratto(colore_segnale), "signal");
  voce(quadrato(x + 4, y), pieno(colore_cartello), "direction board");
  voce(rombo(x + 4, y), pieno(colore_indicatori), "speed indicators");
  voce(triangolo(x + 4, y), pieno(colore_rallentamento), "slowdown warning / slowdown");
  for (const auto& [codice, colore] : colori) voce(tondo(x + 4, y), pieno(colore), "code " + std::to_string(codice));
  voce(croce(x + 4, y), tratto("#555555"), "code removal");
  voce(unisci({"M", n(x), " ", n(y - 5), "h10v10h-10z"}), pieno(colore_montagna), "mountain zone");
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

std::string disegna_svg(const resoconto& r, const piano_letto* piano) {
  const asse a{fine_disegno(r)};
  const double h_piano = piano != nullptr ? altezza_piano : altezza_senza_piano;
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
  s.t() += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + n(larghezza) + "\" height=\"" +
           n(altezza) + "\" viewBox=\"0 0 " + n(larghezza) + " " + n(altezza) +
           "\" font-family=\"" + carattere + "\" fill=\"" + colore_testo + "\">\n";
  s.t() += "<title>" + testo_xml(r.linea + " \u2014 " + r.treno) + "</title>\n";
  s.rettangolo(0, 0, larghezza, altezza, "white");
  disegna_titolo(s, r);

  if (piano != nullptr) {
    disegna_piano(s, r, *piano, y_piano, h_piano);
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
  const double va = std::max(estremi(r.velocita, a.xmax).second, 0);
  const double passo_v = va <= 200 ? 40 : passo_tondo(va / 4);
  const banda bv{y_velocita, altezza_velocita, 0, std::ceil((va + 5) / passo_v) * passo_v};
  cornice(s, bv, "speed limit", "km/h", passo_v);

  // Gradient, with the mountain zones shaded behind it.
  auto [gb, ga] = estremi(r.pendenza, a.xmax);
  const double gm = std::max({5.0, std::fabs(static_cast<double>(gb)), std::fabs(static_cast<double>(ga))});
  double passo_g = passo_tondo(gm / 2);
  const banda bg{y_pendenza, altezza_pendenza, -std::ceil(gm / passo_g) * passo_g,
                 std::ceil(gm / passo_g) * passo_g};
  cornice(s, bg, "gradient", "per mille", passo_g);
  for (const zona_montagna& z : r.montagne) {
    const double da = 50.0 * z.prima, fino = std::min(50.0 * (z.ultima + 1), a.xmax);
    if (da >= a.xmax) continue;
    s.rettangolo(a.x(da), bg.y0, a.x(fino) - a.x(da), bg.altezza, colore_montagna);
  }

  // Adhesion.
  auto [ab, aa] = estremi(r.aderenza, a.xmax);
  double passo_a = 5;
  const auto [abasso, aalto] = intervallo_tondo(ab - 2, aa + 2, 10, passo_a);
  const banda ba{y_aderenza, altezza_aderenza, abasso, aalto};
  cornice(s, ba, "adhesion", "", passo_a);

  for (double x : nominate)
    s.riga(a.x(x), y_velocita, a.x(x), fondo_profili, "#d5d5d5", 0.8, " stroke-dasharray=\"2 3\"");

  s.percorso(gradini(r.velocita, a, [&](int32_t v) { return bv.y(v); }),
             std::string(" fill=\"none\" stroke=\"") + colore_velocita + "\" stroke-width=\"2\"");
  // Slowdowns: from each start to the next end, at the start's speed.
  for (size_t i = 0; i < r.elementi.size(); ++i) {
    const elemento& e = r.elementi[i];
    if (e.tipo != tipo_cella::inizio_rallentamento) continue;
    double fino = e.progressiva + 50;
    for (size_t k = i + 1; k < r.elementi.size(); ++k)
      if (r.elementi[k].tipo == tipo_cella::fine_rallentamento) {
        fino = r.elementi[k].progressiva;
        break;
      }
    const double v = std::clamp<double>(e.valori.front().second, bv.basso, bv.alto);
    if (e.progressiva > a.xmax) continue;
    const double x0 = a.x(e.progressiva);
    const double x1 = std::max(x0 + 2, a.x(std::min(fino, a.xmax)));
    s.rettangolo(x0, bv.y(v), x1 - x0, bv.y(bv.basso) - bv.y(v), colore_rallentamento,
                 " fill-opacity=\"0.3\"");
    s.riga(x0, bv.y(v), x1, bv.y(v), colore_rallentamento, 2.5);
  }
  s.percorso(gradini(r.pendenza, a, [&](int32_t v) { return bg.y(v); }),
             std::string(" fill=\"none\" stroke=\"") + colore_pendenza + "\" stroke-width=\"2\"");
  s.riga(margine_sx, bg.y(0), margine_sx + larghezza_profili, bg.y(0), "#9e9e9e", 1);
  s.percorso(gradini(r.aderenza, a, [&](int32_t v) { return ba.y(v); }),
             std::string(" fill=\"none\" stroke=\"") + colore_aderenza + "\" stroke-width=\"2\"");

  const auto colori = colori_dei_codici(r);
  disegna_segni(s, r, a, y_segni, colori);
  disegna_assi(s, r, a, y_assi, y_stazioni + altezza_stazioni);
  disegna_legenda(s, y_legenda, colori);
  s.t() += "</svg>\n";
  return std::move(s.t());
}

}  // namespace ispettore
