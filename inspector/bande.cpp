// The bands of the drawing other than the plan view (banda_piano.cpp).

#include "inspector/bande.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <set>
#include <tuple>
#include <utility>

#include "inspector/tavolozza.h"

namespace ispettore {
namespace {

namespace tipo_cella = scenario::tipo_cella;

// A step line through profile points up to chainage xmax, at most a few
// vertices per pixel column: within one column only the first, lowest,
// highest and last values are kept.
std::string gradini(const std::vector<punto>& punti, const asse& a,
                    const std::function<double(int32_t)>& y) {
  if (punti.empty()) return "";
  std::string d = "M" + num(a.x(0)) + " " + num(y(punti.front().valore));
  double colonna = -1;
  std::vector<double> valori;  // y of the points in the current column, in order
  auto chiudi = [&]() {
    if (valori.empty()) return;
    const auto [basso, alto] = std::minmax_element(valori.begin(), valori.end());
    std::vector<double> tenuti = {valori.front(), *basso, *alto, valori.back()};
    tenuti.erase(std::unique(tenuti.begin(), tenuti.end()), tenuti.end());
    d += " H" + num(colonna);
    for (double v : tenuti) d += " V" + num(v);
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
  return d + " H" + num(a.x(a.xmax));
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
  s.rettangolo(margine_sx, b.y0, larghezza_profili, b.altezza, colore::pagina,
               std::string(" stroke=\"") + colore::griglia + "\"");
  const double primo = std::ceil(b.basso / passo) * passo;
  for (double v = primo; v <= b.alto + 1e-9; v += passo) {
    s.riga(margine_sx, b.y(v), margine_sx + larghezza_profili, b.y(v), colore::griglia, 1);
    s.testo(margine_sx - 6, b.y(v) + 4, etichetta(v), 11, "end",
            std::string(" fill=\"") + colore::tenue + "\"");
  }
  s.testo(16, b.y0 + b.altezza / 2 - 2, titolo, 12, "start", " font-weight=\"bold\"");
  s.testo(16, b.y0 + b.altezza / 2 + 14, unita, 11, "start",
          std::string(" fill=\"") + colore::tenue + "\"");
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

// The chainage where zone z reads `lettura`.
double progressiva_zona(const zona_km& z, double lettura) {
  return z.direzione == 1 ? static_cast<double>(z.riferimento) - lettura
                          : lettura - static_cast<double>(z.riferimento);
}

// Small marks as path data centred on x, y, so that many marks of one
// style can share one path.
std::string tacca(double x, double y) { return unisci({"M", num(x), " ", num(y - 7), "v14"}); }
std::string quadrato(double x, double y) {
  return unisci({"M", num(x - 3.5), " ", num(y - 3.5), "h7v7h-7z"});
}
std::string rombo(double x, double y) {
  return unisci({"M", num(x), " ", num(y - 5), "l5 5-5 5-5-5z"});
}
std::string triangolo(double x, double y) {
  return unisci({"M", num(x), " ", num(y - 5), "l5 9h-10z"});
}
std::string tondo(double x, double y) {
  return unisci({"M", num(x - 3.5), " ", num(y), "a3.5 3.5 0 1 0 7 0a3.5 3.5 0 1 0-7 0z"});
}
std::string croce(double x, double y) {
  return unisci({"M", num(x - 3.5), " ", num(y - 3.5), "l7 7m0-7l-7 7"});
}

// Styles of the marks.
std::string pieno(const std::string& tinta) { return " fill=\"" + tinta + "\""; }
std::string tratto(const std::string& tinta) {
  return " fill=\"none\" stroke=\"" + tinta + "\" stroke-width=\"1.5\"";
}

}  // namespace

double passo_tondo(double grezzo) {
  if (!(grezzo > 0) || !std::isfinite(grezzo)) return 1;
  const double potenza = std::pow(10.0, std::floor(std::log10(grezzo)));
  for (double f : {1.0, 2.0, 5.0, 10.0})
    if (f * potenza >= grezzo * (1 - 1e-9)) return f * potenza;
  return 10 * potenza;
}

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
          14, "start", std::string(" fill=\"") + colore::tenue + "\"");
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
                 colore::area_stazione);
    s.cerchio_con_titolo(x, base - 5, 3, colore::stazione, titolo_stazione(st));
    if (std::find(nominate.begin(), nominate.end(), st.v.posizione) != nominate.end()) {
      const bool capo = &st == &r.stazioni.front() || &st == &r.stazioni.back();
      s.testo(x + 2, base - 12, st.nome, 11, "start",
              " transform=\"rotate(-40 " + num(x + 2) + " " + num(base - 12) + ")\"" +
                  (capo ? " font-weight=\"bold\"" : ""));
    }
  }
  return nominate;
}

// A colour for each cab code present, highest code first.
colori_codici colori_dei_codici(const resoconto& r) {
  colori_codici colori;
  for (const elemento& e : r.elementi)
    if (e.tipo == tipo_cella::codice) colori.emplace(e.valori.front().second, "");
  size_t i = 0;
  for (auto& [codice, tinta] : colori)
    tinta = colore::codici[std::min(i++, std::size(colore::codici) - 1)];
  return colori;
}

// The marks band: signals, boards, cab codes and the cab-signalling stretch.
void disegna_segni(Svg& s, const resoconto& r, const asse& a, double y0,
                   const colori_codici& colori) {
  const char* titoli[] = {"signals", "boards", "cab codes", "cab signalling"};
  for (int i = 0; i < 4; ++i) {
    const double y = y0 + altezza_riga_segni * (i + 0.5);
    s.riga(margine_sx, y, margine_sx + larghezza_profili, y, colore::griglia, 1);
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
        tracciati[tratto(colore::segnale)] += tacca(x, centro(0));
        break;
      case tipo_cella::cartello_indicatore:
        tracciati[pieno(colore::cartello)] += quadrato(x, centro(1));
        break;
      case tipo_cella::indicatori_v_max:
        tracciati[pieno(colore::indicatori)] += rombo(x, centro(1));
        break;
      case tipo_cella::avviso_rallentamento:
        tracciati[pieno(colore::rallentamento)] += triangolo(x, centro(1));
        break;
      case tipo_cella::codice:
        tracciati[pieno(colori.at(codice))] += tondo(x, centro(2));
        break;
      case tipo_cella::rimozione_codice:
        tracciati[tratto(colore::rimozione_codice)] += croce(x, centro(2));
        break;
      default:
        break;
    }
  }
  for (const auto& [stile, d] : tracciati) s.percorso(d, stile);
  if (r.sistema_codici != 0 || r.codici_a != 0) {
    const double da = std::clamp<double>(r.codici_da, 0, a.xmax);
    const double fino = std::clamp<double>(r.codici_a, 0, a.xmax);
    s.rettangolo(a.x(da), centro(3) - 5, a.x(fino) - a.x(da), 10, colore::tratta_codici);
    s.testo(a.x(da) + 6, centro(3) + 4,
            std::to_string(r.sistema_codici) + "-code cab signalling, chainage " +
                formato_km(r.codici_da) + " to " + formato_km(r.codici_a) + " km",
            11);
  }
}

// The two axes under the profiles: chainage and kilometre reading.
void disegna_assi(Svg& s, const resoconto& r, const asse& a, double y0, double cima) {
  const double passo = passo_tondo(a.xmax / (larghezza_profili / 70));
  const std::string tenue = std::string(" fill=\"") + colore::tenue + "\"";
  // Chainage.
  const double ya = y0 + 6;
  s.riga(margine_sx, ya, margine_sx + larghezza_profili, ya, colore::testo, 1);
  for (double x = 0; x <= a.xmax + 1e-6; x += passo) {
    s.riga(a.x(x), ya, a.x(x), ya + 5, colore::testo, 1);
    s.testo(a.x(x), ya + 18, etichetta(x / 1000), 11, "middle");
  }
  s.testo(16, ya + 18, "chainage, km", 12, "start", " font-weight=\"bold\"");

  // Kilometre readings, zone by zone, with the zone changes marked through
  // the whole drawing.
  const double yk = y0 + 44;
  s.riga(margine_sx, yk, margine_sx + larghezza_profili, yk, colore::testo, 1);
  s.testo(16, yk + 18, "km reading", 12, "start", " font-weight=\"bold\"");
  const auto tratti = tratti_zone(r, a.xmax);
  std::vector<riquadro> presi;
  for (size_t i = 0; i < tratti.size(); ++i) {
    const tratto_zona& t = tratti[i];
    if (i > 0) {
      const double x = a.x(t.da);
      s.riga(x, cima, x, yk + 6, colore::riferimento, 1, " stroke-dasharray=\"4 4\"");
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
      s.riga(a.x(x), yk, a.x(x), yk + 5, colore::testo, 1);
      if (std::any_of(presi.begin(), presi.end(), [&](const riquadro& o) { return o.tocca(q); }))
        continue;
      presi.push_back(q);
      s.testo(a.x(x), yk + 18, testo, 11, "middle");
    }
  }
  if (tratti.empty()) s.testo(margine_sx + 4, yk + 18, "no kilometre zone", 11, "start", tenue);
}

// The legend under the axes.
void disegna_legenda(Svg& s, double y, const colori_codici& colori) {
  double x = margine_sx;
  auto voce = [&](const std::string& d, const std::string& stile, const std::string& testo) {
    s.percorso(d, stile);
    s.testo(x + 12, y + 4, testo, 12);
    x += 12 + larghezza_testo(testo, 12) + 24;
  };
  voce(tondo(x + 4, y), pieno(colore::stazione), "station");
  voce(tacca(x + 4, y), tratto(colore::segnale), "signal");
  voce(quadrato(x + 4, y), pieno(colore::cartello), "direction board");
  voce(rombo(x + 4, y), pieno(colore::indicatori), "speed indicators");
  voce(triangolo(x + 4, y), pieno(colore::rallentamento), "slowdown warning / slowdown");
  for (const auto& [codice, tinta] : colori)
    voce(tondo(x + 4, y), pieno(tinta), "code " + std::to_string(codice));
  voce(croce(x + 4, y), tratto(colore::rimozione_codice), "code removal");
  voce(unisci({"M", num(x), " ", num(y - 5), "h10v10h-10z"}), pieno(colore::montagna),
       "mountain zone");
}

// Speed limit, with the slowdowns at their speeds.
void disegna_velocita(Svg& sotto, Svg& sopra, const resoconto& r, const asse& a, double y0) {
  const double va = std::max(estremi(r.velocita, a.xmax).second, 0);
  const double passo_v = va <= 200 ? 40 : passo_tondo(va / 4);
  const banda bv{y0, altezza_velocita, 0, std::ceil((va + 5) / passo_v) * passo_v};
  cornice(sotto, bv, "speed limit", "km/h", passo_v);

  sopra.percorso(gradini(r.velocita, a, [&](int32_t v) { return bv.y(v); }),
                 std::string(" fill=\"none\" stroke=\"") + colore::velocita +
                     "\" stroke-width=\"2\"");
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
    sopra.rettangolo(x0, bv.y(v), x1 - x0, bv.y(bv.basso) - bv.y(v), colore::rallentamento,
                     " fill-opacity=\"0.3\"");
    sopra.riga(x0, bv.y(v), x1, bv.y(v), colore::rallentamento, 2.5);
  }
}

// Gradient, with the mountain zones shaded behind it and level track marked.
void disegna_pendenza(Svg& sotto, Svg& sopra, const resoconto& r, const asse& a, double y0) {
  auto [gb, ga] = estremi(r.pendenza, a.xmax);
  const double gm =
      std::max({5.0, std::fabs(static_cast<double>(gb)), std::fabs(static_cast<double>(ga))});
  double passo_g = passo_tondo(gm / 2);
  const banda bg{y0, altezza_pendenza, -std::ceil(gm / passo_g) * passo_g,
                 std::ceil(gm / passo_g) * passo_g};
  cornice(sotto, bg, "gradient", "per mille", passo_g);
  for (const zona_montagna& z : r.montagne) {
    const double da = 50.0 * z.prima, fino = std::min(50.0 * (z.ultima + 1), a.xmax);
    if (da >= a.xmax) continue;
    sotto.rettangolo(a.x(da), bg.y0, a.x(fino) - a.x(da), bg.altezza, colore::montagna);
  }

  sopra.percorso(gradini(r.pendenza, a, [&](int32_t v) { return bg.y(v); }),
                 std::string(" fill=\"none\" stroke=\"") + colore::pendenza +
                     "\" stroke-width=\"2\"");
  sopra.riga(margine_sx, bg.y(0), margine_sx + larghezza_profili, bg.y(0), colore::riferimento, 1);
}

// Adhesion.
void disegna_aderenza(Svg& sotto, Svg& sopra, const resoconto& r, const asse& a, double y0) {
  auto [ab, aa] = estremi(r.aderenza, a.xmax);
  double passo_a = 5;
  const auto [abasso, aalto] = intervallo_tondo(ab - 2, aa + 2, 10, passo_a);
  const banda ba{y0, altezza_aderenza, abasso, aalto};
  cornice(sotto, ba, "adhesion", "", passo_a);

  sopra.percorso(gradini(r.aderenza, a, [&](int32_t v) { return ba.y(v); }),
                 std::string(" fill=\"none\" stroke=\"") + colore::aderenza +
                     "\" stroke-width=\"2\"");
}

void disegna_guide_stazioni(Svg& s, const asse& a, const std::vector<double>& stazioni, double y0,
                            double y1) {
  for (double x : stazioni)
    s.riga(a.x(x), y0, a.x(x), y1, colore::guida_stazione, 0.8, " stroke-dasharray=\"2 3\"");
}

}  // namespace ispettore
