// The bands of the drawing other than the plan view (banda_piano.cpp).

#include "inspector/bande.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <tuple>
#include <string_view>
#include <utility>

#include "inspector/didascalie.h"
#include "inspector/tavolozza.h"
#include "packer/campi.h"

namespace ispettore {
namespace {

namespace tipo_cella = scenario::tipo_cella;
namespace campo = scenario::campi::campo;

// A run of one value of a profile: the value and the chainages it holds
// between, cut to the axis.
struct gradino {
  int32_t valore;
  double da, a;
  int32_t cella;  // the run's first cell, before the cut
};

// The runs of a profile within the axis, in the order of the line.
std::vector<gradino> gradini_in(const std::vector<punto>& punti, const asse& a) {
  std::vector<gradino> g;
  for (size_t i = 0; i < punti.size(); ++i) {
    const double inizio = 50.0 * punti[i].cella;
    const double fine = i + 1 < punti.size() ? 50.0 * punti[i + 1].cella
                                             : std::numeric_limits<double>::infinity();
    const double da = std::max(inizio, a.da), fino = std::min(fine, a.a);
    if (da < fino) g.push_back({punti[i].valore, da, fino, punti[i].cella});
  }
  return g;
}

// A step line through the runs, at most a few vertices per pixel column:
// within one column only the first, lowest, highest and last values are kept.
std::string tracciato(const std::vector<gradino>& g, const asse& a,
                      const std::function<double(int32_t)>& y) {
  if (g.empty()) return "";
  std::string d = "M" + num(a.x(g.front().da)) + " " + num(y(g.front().valore));
  double colonna = -1;
  std::vector<double> valori;  // y of the runs starting in the current column, in order
  auto chiudi = [&]() {
    if (valori.empty()) return;
    const auto [basso, alto] = std::minmax_element(valori.begin(), valori.end());
    std::vector<double> tenuti = {valori.front(), *basso, *alto, valori.back()};
    tenuti.erase(std::unique(tenuti.begin(), tenuti.end()), tenuti.end());
    d += " H" + num(colonna);
    for (double v : tenuti) d += " V" + num(v);
    valori.clear();
  };
  for (size_t i = 1; i < g.size(); ++i) {
    const double x = std::round(a.x(g[i].da));
    if (x != colonna) { chiudi(); colonna = x; }
    valori.push_back(y(g[i].valore));
  }
  chiudi();
  return d + " H" + num(a.x(g.back().a));
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
    // The zone lettura_km takes from here.
    tratti.push_back({da, fino, scenario::zona_in_vigore(r.zone, inizi[i])});
  }
  return tratti;
}

// The chainage where zone z reads `lettura`.
double progressiva_zona(const zona_km& z, double lettura) {
  return z.direzione == 1 ? static_cast<double>(z.riferimento) - lettura
                          : lettura - static_cast<double>(z.riferimento);
}

// Small marks as path data centred on x, y.
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
// A signal: a post up to a lamp for the left-hand side, down for the
// right-hand side; a plain tick for neither.
std::string palo(double x, double y, bool sinistro, bool destro) {
  std::string d;
  for (double verso : {-1.0, 1.0}) {
    if (!(verso < 0 ? sinistro : destro)) continue;
    d += unisci({"M", num(x), " ", num(y), "v", num(verso * 7), "M", num(x - 2.5), " ",
                 num(y + verso * 9.5), "a2.5 2.5 0 1 0 5 0a2.5 2.5 0 1 0-5 0z"});
  }
  return d.empty() ? unisci({"M", num(x), " ", num(y - 7), "v14"}) : d;
}

// Styles of the marks.
std::string pieno(const std::string& tinta) { return " fill=\"" + tinta + "\""; }
std::string tratto(const std::string& tinta) {
  return " fill=\"none\" stroke=\"" + tinta + "\" stroke-width=\"1.5\"";
}
std::string pieno_e_tratto(const std::string& tinta) {
  return " fill=\"" + tinta + "\" stroke=\"" + tinta + "\" stroke-width=\"1.5\"";
}

// The value of the field `nome` among a feature's values; 0 when it has none.
int32_t valore_di(const elemento& e, std::string_view nome) {
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
// When the sources are known, the group names the lines of its first few
// features.
std::string titolo_gruppo(const resoconto& r, const std::vector<const elemento*>& g) {
  if (g.size() == 1) return didascalia(r, *g.front());
  std::string t = std::to_string(g.size()) + " x " + g.front()->genere + ", chainage " +
                  std::to_string(g.front()->progressiva) + " to " +
                  std::to_string(g.back()->progressiva) + " m";
  constexpr size_t nominati = 5;
  std::string righe;
  for (size_t i = 0; i < g.size() && i < nominati; ++i)
    if (const auto it = r.sorgenti.celle.find(g[i]->cella); it != r.sorgenti.celle.end())
      righe += (righe.empty() ? "" : ", ") + it->second;
  if (righe.empty()) return t;
  return t + "; from " + righe + (g.size() > nominati ? ", \u2026" : "");
}

// Areas of a profile band that name the run under the pointer: one per run
// at least 5 pixels wide, and one for each cluster of narrower runs. `uno`
// names a run; `molti` a cluster from its first and last run, its lowest
// and highest value and its number of runs.
void titoli_gradini(
    Svg& s, const std::vector<gradino>& g, const asse& a, const banda& b,
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
    s.rettangolo_con_titolo(x0, b.y0, x1 - x0, b.altezza, colore::trasparente,
                            k == i ? uno(g[i]) : molti(g[i], g[k], basso, alto, k - i + 1));
    i = k + 1;
  }
}

// Names a cluster of runs of the profile `cosa`, values in `unita`.
std::function<std::string(const gradino&, const gradino&, int32_t, int32_t, size_t)> molti_gradini(
    const char* cosa, const char* unita) {
  return [cosa, unita](const gradino& g0, const gradino& g1, int32_t basso, int32_t alto, size_t quanti) {
    return std::string(cosa) + " " + std::to_string(basso) + " to " + std::to_string(alto) + unita +
           " in " + std::to_string(quanti) + " steps, chainage " + std::to_string(std::llround(g0.da)) +
           " to " + std::to_string(std::llround(g1.a)) + " m";
  };
}

// "from chainage X m, km a to chainage Y m, km b": where a run holds.
std::string da_a(const resoconto& r, const gradino& k) {
  return "from " + dove_sta(r, static_cast<int64_t>(k.da)) + " to " + dove_sta(r, static_cast<int64_t>(k.a));
}

// The value of each run of the speed limit written over it, where it fits.
void valori_velocita(Svg& s, const std::vector<gradino>& g, const asse& a, const banda& b) {
  for (const gradino& k : g) {
    const std::string t = std::to_string(k.valore);
    const double x0 = a.x(k.da), x1 = a.x(k.a);
    if (x1 - x0 < larghezza_testo(t, 10) + 4) continue;
    const double y = b.y(std::clamp<double>(k.valore, b.basso, b.alto));
    s.testo((x0 + x1) / 2, y - 10 < b.y0 ? y + 12 : y - 4, t, 10, "middle",
            std::string(" fill=\"") + colore::velocita + "\"");
  }
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

std::string titolo_stazione(const resoconto& r, const stazione& st) {
  return st.nome + ", station, " + dove_sta(r, st.v.posizione) + ", area " +
         std::to_string(st.v.inizio) + " to " + std::to_string(st.v.fine) + " m" +
         da_sorgente(r.sorgenti.stazioni, st.riga);
}

void disegna_titolo(Svg& s, const resoconto& r, const asse& a, bool intera) {
  s.testo(40, 36, r.linea, 24, "start", " font-weight=\"bold\"");
  size_t segnali = 0, codici = 0;
  for (const elemento& e : r.elementi) {
    segnali += e.tipo == tipo_cella::segnale;
    codici += e.tipo == tipo_cella::codice;
  }
  std::string sotto = "train " + r.treno + "  \u00b7  route " + formato_km(int64_t{r.lunghezza}) + " km  \u00b7  ";
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
  const std::string tenue = std::string(" fill=\"") + colore::tenue + "\"";
  s.testo(40, 60, sotto, 14, "start", tenue);
  s.testo(larghezza - 40, 36,
          intera ? "Point at a feature to read it; marks too close to tell apart read as a group: "
                   "--from and --to draw one stretch"
                 : "Point at a feature to read it",
          12, "end", tenue);
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
    s.rettangolo(a.x(da), base - 8, a.x(fino) - a.x(da), 6, colore::area_stazione);
    s.cerchio_con_titolo(x, base - 5, 3, colore::stazione, titolo_stazione(r, st));
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

void disegna_segni(Svg& s, const resoconto& r, const asse& a, double y0,
                   const colori_codici& colori) {
  const char* titoli[] = {"signals", "boards", "cab codes", "cab signalling"};
  auto centro = [&](int riga) { return y0 + altezza_riga_segni * (riga + 0.5); };
  for (int i = 0; i < 4; ++i) {
    s.riga(margine_sx, centro(i), margine_sx + larghezza_profili, centro(i), colore::griglia, 1);
    s.testo(16, centro(i) + 4, titoli[i], 12, "start", " font-weight=\"bold\"");
  }
  // The features of each row in groups of one kind (and code) per 3 pixels:
  // on a long, dense line more marks would only draw over each other.
  using chiave = std::tuple<int, uint8_t, int32_t, long>;  // row, kind, code, 3-pixel column
  std::map<chiave, std::vector<const elemento*>> gruppi;
  for (const elemento& e : r.elementi) {
    const int riga = riga_segno(e.tipo);
    if (riga < 0 || !a.dentro(static_cast<double>(e.progressiva))) continue;
    const int32_t codice = e.tipo == tipo_cella::codice ? valore_di(e, campo::codice) : 0;
    gruppi[{riga, e.tipo, codice, std::lround(a.x(static_cast<double>(e.progressiva)) / 3)}].push_back(&e);
  }
  // The groups by row, then along the line; and the x of every mark of
  // each row, to keep labels off the next mark.
  using gruppo = std::pair<const chiave, std::vector<const elemento*>>;
  std::vector<const gruppo*> ordine;
  std::array<std::vector<double>, 3> segni;
  for (const gruppo& g : gruppi) {
    ordine.push_back(&g);
    segni[static_cast<size_t>(std::get<0>(g.first))].push_back(a.x(static_cast<double>(g.second.front()->progressiva)));
  }
  auto posto = [](const gruppo* g) {
    return std::make_pair(std::get<0>(g->first), g->second.front()->progressiva);
  };
  std::sort(ordine.begin(), ordine.end(),
            [&](const gruppo* p, const gruppo* q) { return posto(p) < posto(q); });
  for (auto& v : segni) std::sort(v.begin(), v.end());
  std::array<double, 3> libero{0, 0, 0};  // where each row's next label may begin

  // One shape of each kind, copied to each mark.
  s.t() += "<defs>\n";
  for (const auto& [id, d, stile] :
       {std::tuple<const char*, std::string, std::string>{"segnale-s", palo(0, 0, true, false),
                                                          pieno_e_tratto(colore::segnale)},
        {"segnale-d", palo(0, 0, false, true), pieno_e_tratto(colore::segnale)},
        {"segnale-sd", palo(0, 0, true, true), pieno_e_tratto(colore::segnale)},
        {"segnale", palo(0, 0, false, false), pieno_e_tratto(colore::segnale)},
        {"cartello", quadrato(0, 0), pieno(colore::cartello)},
        {"indicatori", rombo(0, 0), pieno(colore::indicatori)},
        {"avviso", triangolo(0, 0), pieno(colore::rallentamento)},
        {"codice", tondo(0, 0), ""},
        {"rimozione", croce(0, 0), tratto(colore::rimozione_codice)}})
    s.t() += "<path id=\"" + std::string(id) + "\" d=\"" + d + "\"" + stile + "/>\n";
  s.t() += "</defs>\n";

  for (const gruppo* voce : ordine) {
    const auto& [k, g] = *voce;
    const int riga = std::get<0>(k);
    const elemento& e = *g.front();
    const double x = a.x(static_cast<double>(e.progressiva)), y = centro(riga);
    std::string id, stile, scritta, tinta;
    switch (e.tipo) {
      case tipo_cella::segnale: {
        bool sinistro = false, destro = false;
        for (const elemento* f : g) {
          sinistro |= valore_di(*f, campo::codice_sx) != 0 || valore_di(*f, campo::valore_sx_1) != 0;
          destro |= valore_di(*f, campo::codice_dx) != 0 || valore_di(*f, campo::valore_dx_1) != 0;
        }
        id = sinistro && destro ? "segnale-sd" : sinistro ? "segnale-s" : destro ? "segnale-d" : "segnale";
        break;
      }
      case tipo_cella::cartello_indicatore:
        id = "cartello";
        scritta = e.testo;
        tinta = colore::cartello;
        break;
      case tipo_cella::indicatori_v_max:
        id = "indicatori";
        break;
      case tipo_cella::avviso_rallentamento:
        id = "avviso";
        scritta = std::to_string(valore_di(e, campo::velocita));
        tinta = colore::rallentamento;
        break;
      case tipo_cella::codice:
        id = "codice";
        tinta = colori.at(std::get<2>(k));
        stile = pieno(tinta);
        scritta = std::to_string(std::get<2>(k));
        break;
      default:  // code removal
        id = "rimozione";
        break;
    }
    s.copia_con_titolo(id, x, y, stile, titolo_gruppo(r, g));
    if (scritta.empty() || g.size() > 1) continue;
    // The text beside its mark, when it ends before the row's next mark.
    const double x0 = x + 6, l = larghezza_testo(scritta, 10);
    const auto& riga_segni = segni[static_cast<size_t>(riga)];
    const auto dopo = std::upper_bound(riga_segni.begin(), riga_segni.end(), x + 0.5);
    const double prossimo = dopo == riga_segni.end() ? larghezza - 4 : *dopo - 5;
    if (x0 < libero[static_cast<size_t>(riga)] || x0 + l > prossimo) continue;
    libero[static_cast<size_t>(riga)] = x0 + l + 4;
    s.testo(x0, y + 4, scritta, 10, "start", " fill=\"" + tinta + "\"");
  }

  if (r.sistema_codici != 0 || r.codici_a != 0) {
    const double da = std::clamp<double>(r.codici_da, a.da, a.a);
    const double fino = std::clamp<double>(r.codici_a, a.da, a.a);
    const std::string testo = std::to_string(r.sistema_codici) + "-code cab signalling, chainage " +
                              formato_km(int64_t{r.codici_da}) + " to " + formato_km(int64_t{r.codici_a}) + " km";
    s.rettangolo_con_titolo(a.x(da), centro(3) - 5, a.x(fino) - a.x(da), 10, colore::tratta_codici,
                            testo);
    if (fino > da) s.testo(a.x(da) + 6, centro(3) + 4, testo, 11);
  }
}

// The two axes under the profiles: chainage and kilometre reading.
void disegna_assi(Svg& s, const resoconto& r, const asse& a, double y0, double cima) {
  const double passo = passo_tondo((a.a - a.da) / (larghezza_profili / 70));
  const std::string tenue = std::string(" fill=\"") + colore::tenue + "\"";
  // Chainage.
  const double ya = y0 + 6;
  s.riga(margine_sx, ya, margine_sx + larghezza_profili, ya, colore::testo, 1);
  for (double x = std::ceil(a.da / passo - 1e-9) * passo; x <= a.a + 1e-6; x += passo) {
    s.riga(a.x(x), ya, a.x(x), ya + 5, colore::testo, 1);
    s.testo(a.x(x), ya + 18, etichetta(x / 1000, passo / 1000), 11, "middle");
  }
  s.testo(16, ya + 18, "chainage, km", 12, "start", " font-weight=\"bold\"");

  // Kilometre readings, zone by zone, with the zone changes marked through
  // the whole drawing.
  const double yk = y0 + 44;
  s.riga(margine_sx, yk, margine_sx + larghezza_profili, yk, colore::testo, 1);
  s.testo(16, yk + 18, "km reading", 12, "start", " font-weight=\"bold\"");
  const auto tratti = tratti_zone(r, a);
  std::vector<riquadro> presi;
  for (const tratto_zona& t : tratti) {
    if (t.da > a.da) {
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
      if (x < t.da || x > t.a || (x == t.a && t.a < a.a)) continue;
      const std::string testo = etichetta(l / 1000, passo / 1000);
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
  voce(palo(x + 4, y, true, true), pieno_e_tratto(colore::segnale), "signal: left side up, right side down");
  voce(quadrato(x + 4, y), pieno(colore::cartello), "direction board");
  voce(rombo(x + 4, y), pieno(colore::indicatori), "speed indicators");
  voce(triangolo(x + 4, y), pieno(colore::rallentamento), "slowdown warning / slowdown");
  for (const auto& [codice, tinta] : colori)
    voce(tondo(x + 4, y), pieno(tinta), "code " + std::to_string(codice));
  voce(croce(x + 4, y), tratto(colore::rimozione_codice), "code removal");
  voce(unisci({"M", num(x), " ", num(y - 5), "h10v10h-10z"}), pieno(colore::montagna),
       "mountain zone");
}

void disegna_velocita(Svg& sotto, Svg& sopra, const resoconto& r, const asse& a, double y0) {
  const auto g = gradini_in(r.velocita, a);
  const double va = std::max(estremi(g).second, 0);
  const double passo_v = va <= 200 ? 40 : passo_tondo(va / 4);
  const banda bv{y0, altezza_velocita, 0, std::ceil((va + 5) / passo_v) * passo_v};
  cornice(sotto, bv, "speed limit", "km/h", passo_v);
  titoli_gradini(sotto, g, a, bv,
                 [&](const gradino& k) {
                   return didascalia_velocita(r, k.valore, static_cast<int64_t>(k.da),
                                              static_cast<int64_t>(k.a)) +
                          da_sorgente(r.sorgenti.velocita, k.cella);
                 },
                 molti_gradini("Speed limit", " km/h"));

  sopra.percorso(tracciato(g, a, [&](int32_t v) { return bv.y(v); }),
                 std::string(" fill=\"none\" stroke=\"") + colore::velocita +
                     "\" stroke-width=\"2\"");
  valori_velocita(sopra, g, a, bv);
  // Slowdowns: from each start to the next end, at the start's speed. The
  // next end after each feature, found in one pass from the last.
  std::vector<const elemento*> fine_dopo(r.elementi.size(), nullptr);
  for (size_t i = r.elementi.size(); i-- > 1;)
    fine_dopo[i - 1] = r.elementi[i].tipo == tipo_cella::fine_rallentamento ? &r.elementi[i] : fine_dopo[i];
  for (size_t i = 0; i < r.elementi.size(); ++i) {
    const elemento& e = r.elementi[i];
    if (e.tipo != tipo_cella::inizio_rallentamento) continue;
    const elemento* fine = fine_dopo[i];
    const double inizio = std::max(static_cast<double>(e.progressiva), a.da);
    const double termine = std::min(static_cast<double>(fine ? fine->progressiva : e.progressiva + 50), a.a);
    if (inizio > termine || static_cast<double>(e.progressiva) > a.a) continue;
    const int32_t kmh = valore_di(e, campo::velocita);
    const double v = std::clamp<double>(kmh, bv.basso, bv.alto);
    const double x0 = a.x(inizio);
    const double x1 = std::max(x0 + 2, a.x(termine));
    std::string titolo = "Slowdown to " + std::to_string(kmh) + " km/h from " + dove_sta(r, e.progressiva);
    if (fine) titolo += " to " + dove_sta(r, fine->progressiva);
    titolo += da_sorgente(r.sorgenti.celle, e.cella);
    sopra.rettangolo_con_titolo(x0, bv.y(v), x1 - x0, bv.y(bv.basso) - bv.y(v), colore::rallentamento,
                                titolo, " fill-opacity=\"0.3\"");
    sopra.riga(x0, bv.y(v), x1, bv.y(v), colore::rallentamento, 2.5);
    if (x1 - x0 > larghezza_testo(std::to_string(kmh), 10) + 4)
      sopra.testo((x0 + x1) / 2, bv.y(v) + 12, std::to_string(kmh), 10, "middle",
                  std::string(" fill=\"") + colore::rallentamento + "\"");
  }
}

// Gradient, with the mountain zones shaded behind it and level track marked.
void disegna_pendenza(Svg& sotto, Svg& sopra, const resoconto& r, const asse& a, double y0) {
  const auto g = gradini_in(r.pendenza, a);
  auto [gb, ga] = estremi(g);
  const double gm =
      std::max({5.0, std::fabs(static_cast<double>(gb)), std::fabs(static_cast<double>(ga))});
  double passo_g = passo_tondo(gm / 2);
  const banda bg{y0, altezza_pendenza, -std::ceil(gm / passo_g) * passo_g,
                 std::ceil(gm / passo_g) * passo_g};
  cornice(sotto, bg, "gradient", "per mille", passo_g);
  for (const zona_montagna& z : r.montagne) {
    const double inizio = std::max(50.0 * z.prima, a.da), fine = std::min(50.0 * (z.ultima + 1), a.a);
    if (inizio >= fine) continue;
    sotto.rettangolo(a.x(inizio), bg.y0, a.x(fine) - a.x(inizio), bg.altezza, colore::montagna);
  }
  // The runs name themselves, and a mountain zone its type, over the shading.
  titoli_gradini(sotto, g, a, bg,
                 [&](const gradino& k) {
                   return "Gradient " + std::to_string(k.valore) + " per mille " + da_a(r, k) +
                          da_sorgente(r.sorgenti.pendenza, k.cella);
                 },
                 molti_gradini("Gradient", " per mille"));
  for (const zona_montagna& z : r.montagne) {
    const double inizio = std::max(50.0 * z.prima, a.da), fine = std::min(50.0 * (z.ultima + 1), a.a);
    if (inizio >= fine) continue;
    sotto.rettangolo_con_titolo(a.x(inizio), bg.y0 + bg.altezza - 6, a.x(fine) - a.x(inizio), 6,
                                colore::montagna,
                                "Mountain zone of type " + std::to_string(z.tipo) + " from " +
                                    dove_sta(r, 50 * int64_t{z.prima}) + " to " +
                                    dove_sta(r, 50 * (int64_t{z.ultima} + 1)) +
                                    da_sorgente(r.sorgenti.montagne, z.prima));
  }

  sopra.percorso(tracciato(g, a, [&](int32_t v) { return bg.y(v); }),
                 std::string(" fill=\"none\" stroke=\"") + colore::pendenza +
                     "\" stroke-width=\"2\"");
  sopra.riga(margine_sx, bg.y(0), margine_sx + larghezza_profili, bg.y(0), colore::riferimento, 1);
}

// Adhesion.
void disegna_aderenza(Svg& sotto, Svg& sopra, const resoconto& r, const asse& a, double y0) {
  const auto g = gradini_in(r.aderenza, a);
  auto [ab, aa] = estremi(g);
  double passo_a = 5;
  const auto [abasso, aalto] = intervallo_tondo(ab - 2, aa + 2, 10, passo_a);
  const banda ba{y0, altezza_aderenza, abasso, aalto};
  cornice(sotto, ba, "adhesion", "", passo_a);
  titoli_gradini(sotto, g, a, ba,
                 [&](const gradino& k) {
                   return "Adhesion " + std::to_string(k.valore) + " " + da_a(r, k) +
                          da_sorgente(r.sorgenti.aderenza, k.cella);
                 },
                 molti_gradini("Adhesion", ""));

  sopra.percorso(tracciato(g, a, [&](int32_t v) { return ba.y(v); }),
                 std::string(" fill=\"none\" stroke=\"") + colore::aderenza +
                     "\" stroke-width=\"2\"");
}

void disegna_guide_stazioni(Svg& s, const asse& a, const std::vector<double>& stazioni, double y0,
                            double y1) {
  for (double x : stazioni)
    s.riga(a.x(x), y0, a.x(x), y1, colore::guida_stazione, 0.8, " stroke-dasharray=\"2 3\"");
}

}  // namespace ispettore
