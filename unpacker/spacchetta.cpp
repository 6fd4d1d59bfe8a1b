#include "unpacker/spacchetta.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>

#include "inspector/lettore.h"
#include "inspector/scoperta.h"
#include "model/identita.h"
#include "packer/caricatore.h"
#include "packer/costruttori.h"
#include "packer/formato.h"
#include "packer/impacchettatore.h"
#include "packer/passo_codici.h"
#include "platform/cartella_programma.h"
#include "platform/cartella_scrittura.h"
#include "platform/errore_file.h"

namespace spacchettatore {
namespace {

using scenario::cella;
using scenario::modello;
namespace tipo = scenario::tipo_cella;

constexpr const char* programma = "spacchetta_scenario";

// a / b rounded down, and the remainder that goes with it (0 to b - 1).
int64_t quoziente(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t resto(int64_t a, int64_t b) { return a - quoziente(a, b) * b; }

// The chainage whose feature cell (x / 50 + 1, rounded) is cell c.
int64_t chainage_elemento(int64_t c) { return 50 * (c - 1); }

// A source being written: records and comments, CR LF after each line.
class Testo {
 public:
  void riga(const std::string& r) { t_ += r + "\r\n"; }
  // A comment: a name holding a hyphen and no comma, which the loader skips.
  // At most two follow one another, as the loader skips no more.
  void nota(std::string n) {
    std::replace(n.begin(), n.end(), ',', ';');
    riga("-- " + n);
  }
  const std::string& testo() const { return t_; }

 private:
  std::string t_;
};

// Fields joined after a record name, each after ", ".
std::string record(const std::string& nome, std::initializer_list<int64_t> campi) {
  std::string r = nome;
  for (int64_t c : campi) r += ", " + std::to_string(c);
  return r;
}

// True when `t` reads back whole as the last text field of a record.
bool testo_scrivibile(const std::string& t) {
  return !t.empty() && t.front() != ' ' && t.front() != '\t' && t.front() != '"' &&
         t.find_first_of(",\r\n") == std::string::npos;
}

// One row of a profile: from cell `cella` on, the byte `valore`.
struct riga_profilo {
  int64_t cella;
  uint8_t valore;
};

// The rows of a profile that the loader fills from row to row and, at the
// end, up to the third-to-last cell: a row at cell 0, a row at every change
// up to that cell, and a row at the next cell when it holds a value (the
// closing fill writes it). The last two cells are never written.
std::vector<riga_profilo> righe_profilo(const std::vector<cella>& celle, uint8_t cella::*campo,
                                        const char* nome, std::vector<std::string>& lacune) {
  std::vector<riga_profilo> righe;
  const int64_t u = static_cast<int64_t>(celle.size()) - 1;
  if (u < 3) return righe;
  righe.push_back({0, celle[0].*campo});
  for (int64_t c = 1; c <= u - 3; ++c)
    if (celle[c].*campo != celle[c - 1].*campo) righe.push_back({c, celle[c].*campo});
  if (celle[u - 2].*campo != 0) righe.push_back({u - 2, celle[u - 2].*campo});
  for (int64_t c = u - 1; c <= u; ++c)
    if (celle[c].*campo != 0)
      lacune.push_back(std::string(nome) + " of cell " + std::to_string(c) +
                       " is not 0: the loader never writes the last two cells");
  return righe;
}

// ---- line source ----

// The kilometre zones as the line source gives them (rows tre, due, uno),
// found by running the loader's sort on each order of the three packed
// rows until it gives them back.
std::optional<std::array<scenario::voce, 3>> zone_sorgente(const modello& m) {
  std::array<scenario::voce, 3> date;
  for (int r = 0; r < 3; ++r) {
    date[r] = m.voci[scenario::riga_progressiva_tre + r];
    if (date[r].posizione == scenario::zona_discendente)
      date[r].fine = static_cast<int32_t>(int64_t{date[r].fine} - scenario::aggiunta_discendente);
  }
  std::array<int, 3> ordine = {0, 1, 2};
  modello prova;
  do {
    for (int r = 0; r < 3; ++r) prova.voci[scenario::riga_progressiva_tre + r] = date[ordine[r]];
    scenario::progressive_ordina(prova);
    bool uguali = true;
    for (int r = 0; r < 3; ++r) {
      const auto& a = prova.voci[scenario::riga_progressiva_tre + r];
      const auto& b = m.voci[scenario::riga_progressiva_tre + r];
      uguali = uguali && a.inizio == b.inizio && a.fine == b.fine && a.posizione == b.posizione;
    }
    if (uguali) return std::array<scenario::voce, 3>{date[ordine[0]], date[ordine[1]], date[ordine[2]]};
  } while (std::next_permutation(ordine.begin(), ordine.end()));
  return std::nullopt;
}

// One curve record: plan rows inizio + 1 to inizio + lunghezza turned by
// the curvature of `classe` (negative: to the left).
struct curva {
  int64_t inizio;
  int64_t lunghezza;
  int classe;
};

// The curves that give the plan: each row's turn is estimated from the
// geometry and taken as the nearest class, then the whole plan is laid
// down again with the loader's own recurrence and held against the packed
// entries, so that no curve list leaves here that does not give them back.
std::vector<curva> curve_del_piano(const ispettore::piano_letto& p, std::vector<std::string>& lacune) {
  std::vector<curva> curve;
  const auto& x = p[0];
  const auto& y = p[1];
  const int64_t r = static_cast<int64_t>(x.size()) - 1;
  if (r < 3 || y.size() != x.size()) {
    lacune.push_back("the plan is too short to hold a line; no curve written");
    return curve;
  }
  int classe_corrente = 0;
  for (int64_t j = 2; j <= r - 2; ++j) {
    const double dx = x[j - 1].valore - x[j - 2].valore, dy = y[j - 1].valore - y[j - 2].valore;
    const double ex = x[j].valore - x[j - 1].valore - dx, ey = y[j].valore - y[j - 1].valore - dy;
    double k = 0;
    if (std::fabs(dy) > std::fabs(dx)) k = ex / dy;
    else if (dx != 0) k = -ey / dx;
    int classe = 0;
    double scarto = std::fabs(k);
    for (size_t i = 0; i < scenario::curvatura_classe.size(); ++i)
      for (int segno : {1, -1}) {
        const double d = std::fabs(k - segno * scenario::curvatura_classe[i]);
        if (d < scarto) {
          scarto = d;
          classe = segno * static_cast<int>(i + 1);
        }
      }
    if (classe != 0 && classe == classe_corrente)
      ++curve.back().lunghezza;
    else if (classe != 0)
      curve.push_back({j - 1, 1, classe});
    classe_corrente = classe;
  }

  // The plan laid down again, as the loader lays it down.
  scenario::piano nuovo;
  nuovo.crea(static_cast<int32_t>(r));
  nuovo.metti_intero(0, 0);
  nuovo.metti_intero(0, 1);
  int64_t riga = 2;
  for (const curva& c : curve) {
    scenario::righe_piano(nuovo, c.inizio - riga + 1, false, 0);
    const double k = scenario::curvatura_classe[static_cast<size_t>(std::abs(c.classe) - 1)];
    scenario::righe_piano(nuovo, c.lunghezza, true, c.classe > 0 ? k : -k);
    riga = c.inizio + c.lunghezza + 1;
  }
  scenario::righe_piano(nuovo, r - 2 - riga + 1, false, 0);
  nuovo.chiudi();
  for (int col = 0; col < 2; ++col)
    for (int64_t j = 0; j <= r; ++j) {
      const scenario::variante a = nuovo.voce(col, static_cast<int32_t>(j));
      const scenario::variante& b = p[col][static_cast<size_t>(j)];
      if (a.tipo != b.tipo || std::memcmp(&a.valore, &b.valore, sizeof(double)) != 0) {
        lacune.push_back("plan row " + std::to_string(j) + " (column " + (col == 0 ? "x" : "y") +
                         ") is not what any list of curves gives; the curves written give the "
                         "plan up to there");
        return curve;
      }
    }
  return curve;
}

// The mountain zones: runs of cells of one mountain type; a run whose
// every fourth cell (counted from its first) carries a marker is a zone of
// type above 10.
void montagne(const std::vector<cella>& celle, Testo& t) {
  const int64_t n = static_cast<int64_t>(celle.size());
  for (int64_t c = 0; c < n;) {
    const uint8_t v = celle[c].montagna;
    if (v == 0) {
      ++c;
      continue;
    }
    int64_t fine = c;
    while (fine + 1 < n && celle[fine + 1].montagna == v) ++fine;
    bool segnata = false;
    for (int64_t k = c + 3; k <= fine; k += 4) segnata = segnata || celle[k].tipo == tipo::segno_montagna;
    // Markers that stop part-way (a later zone of type 3 carried the run
    // on): the marked zone ends before the first free cell where a marker
    // would stand, and the rest follows as a zone of its own.
    int64_t resto_da = fine + 1;
    if (segnata)
      for (int64_t k = c + 3; k <= fine; k += 4)
        if (celle[k].tipo == tipo::libera) {
          resto_da = k;
          break;
        }
    int64_t tipo_scritto = v;
    if (segnata) {
      tipo_scritto = v + 10;
      if (resto_da <= fine) {
        t.riga(record("montagna", {50 * c, 50 * resto_da, tipo_scritto}));
        t.riga(record("montagna", {50 * resto_da, 50 * (fine + 1), v}));
        c = fine + 1;
        continue;
      }
    } else if (v > 10) {
      tipo_scritto = int64_t{v} - 256;
      t.nota("type " + std::to_string(v) + " without markers: written as " +
             std::to_string(tipo_scritto) + " which the loader keeps as " + std::to_string(v));
    }
    t.riga(record("montagna", {50 * c, 50 * (fine + 1), tipo_scritto}));
    c = fine + 1;
  }
}

std::string testo_linea(const ispettore::scenario_letto& s, bool file_linea, std::vector<std::string>& lacune) {
  const modello& m = s.m;
  Testo t;
  t.nota("line source recovered by spacchetta_scenario from the packed files");
  if (!s.con_piano && file_linea) {
    lacune.push_back("the packed line file could not be decoded: the line source holds no curve");
    t.nota("the packed line file could not be decoded: no curve written here");
  } else if (!s.con_piano) {
    t.nota("packed without the plan: pack it with impacchetta_scenario --no-plan");
  }
  t.riga("[generale]");
  t.riga(record("lunghezza percorso", {m.voci[scenario::riga_treno].fine}));
  const auto zone = zone_sorgente(m);
  if (!zone) {
    lacune.push_back("item records 81 to 83: the kilometre zones are in no order the loader leaves");
    t.nota("the kilometre zones could not be recovered: records 81 to 83 are in no order the loader leaves");
  } else {
    const char* nomi[] = {"tre", "due", "uno"};
    for (int r = 2; r >= 0; --r)
      t.riga(record(std::string("progressiva chilometrica ") + nomi[r],
                    {(*zone)[r].inizio, (*zone)[r].fine, (*zone)[r].posizione}));
  }
  const auto& l = m.voci[scenario::riga_linea];
  t.riga(record("sfondo uno", {l.inizio}));
  t.riga(record("sfondo due", {l.posizione}));
  t.riga(record("sfondo tre", {l.fine}));
  const auto& c = m.voci[scenario::riga_codici];
  if (c.posizione == 4 || c.posizione == 9) {
    t.riga(record("ripetizione segnali " + std::to_string(c.posizione) + " codici", {c.inizio, c.fine}));
  } else if (c.posizione == 0 && c.fine == 0) {
    t.nota("no cab signalling: a stretch ending at 0 packs alike for both systems (9 written)");
    t.riga(record("ripetizione segnali 9 codici", {c.inizio, c.fine}));
  } else {
    lacune.push_back("item record 86: cab signalling of " + std::to_string(c.posizione) +
                     " codes is none the loader writes (4 or 9)");
    t.nota("cab signalling of " + std::to_string(c.posizione) + " codes cannot be written (4 or 9)");
  }

  t.riga("[curve]");
  if (s.con_piano)
    for (const curva& k : curve_del_piano(s.piano, lacune))
      t.riga(record(std::string("curva") + (k.classe > 0 ? "d" : "s") + std::to_string(std::abs(k.classe)),
                    {k.inizio, k.lunghezza}));

  t.riga("[pendenze]");
  for (const riga_profilo& r : righe_profilo(m.celle, &cella::pendenza, "gradient", lacune))
    t.riga(record("pendenza", {50 * r.cella, int64_t{r.valore} - 100}));

  t.riga("[montagne]");
  montagne(m.celle, t);

  t.riga("[cartelli]");
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& z = m.celle[i];
    if (z.tipo != tipo::indicatori_v_max) continue;
    int64_t s3[3], d3[3];
    const int16_t v[3] = {z.valore1, z.valore2, z.valore3};
    for (int k = 0; k < 3; ++k) {
      s3[k] = quoziente(v[k], 20);
      d3[k] = resto(v[k], 20) * 5;
    }
    const int64_t ss = quoziente(z.valore4, 10), sd = resto(z.valore4, 10);
    t.riga(record("indicatori_v_max", {chainage_elemento(static_cast<int64_t>(i)), s3[0], s3[1], s3[2], ss,
                                       d3[0], d3[1], d3[2], sd}));
  }

  t.riga("[indicazioni]");
  std::map<int, size_t, std::greater<int>> cartelli;  // row, from 80 down: the order read
  for (size_t i = 0; i < m.celle.size(); ++i)
    if (m.celle[i].tipo == tipo::cartello_indicatore) cartelli[m.celle[i].valore1] = i;
  int atteso = scenario::riga_primo_cartello;
  for (const auto& [riga, i] : cartelli) {
    const int64_t x = chainage_elemento(static_cast<int64_t>(i));
    if (riga != atteso || riga < 1 || riga >= scenario::righe_voci) {
      lacune.push_back("direction board at cell " + std::to_string(i) + " names item record " +
                       std::to_string(riga) + ", not " + std::to_string(atteso));
      t.nota("the direction board at " + std::to_string(x) + " m names record " + std::to_string(riga) +
             " out of turn: not written");
      continue;
    }
    --atteso;
    const std::string& testo = m.voci[static_cast<size_t>(riga)].nome;
    if (!testo_scrivibile(testo)) {
      lacune.push_back("item record " + std::to_string(riga) + ": the direction board's text cannot be "
                       "written as a field (empty, a comma, a line end or a leading blank or quote)");
      t.nota("the direction board at " + std::to_string(x) + " m has a text no field can hold");
      continue;
    }
    t.riga("cartello_indicatore, " + std::to_string(x) + ", " + testo);
  }
  t.riga("[fine]");
  return t.testo();
}

// ---- train source ----

void stazioni(const modello& m, int ultima, Testo& t) {
  for (int k = scenario::riga_prima_stazione; k <= ultima; ++k) {
    const scenario::voce& r = m.voci[static_cast<size_t>(k)];
    int64_t lunghezza = int64_t{r.posizione} - r.inizio;
    if (!(r.tipo >= 5 && r.tipo <= 8)) lunghezza *= 2;
    const int64_t ore = r.orario / 3600, minuti = (r.orario % 3600) / 60, secondi = r.orario % 60;
    std::string riga = record("stazione", {r.posizione, r.tipo, lunghezza, r.opzione1, r.opzione5, r.opzione4,
                                           r.dato1, r.dato2, r.opzione2, r.dato3, r.dato4, r.dato5, r.opzione3,
                                           ore, minuti, secondi});
    t.riga(riga + ", " + r.nome);
  }
}

void rallentamenti(const std::vector<cella>& celle, Testo& t) {
  // The end of a slowdown is the first end cell after its start, as the
  // cab-code pass finds it, when it carries the same speed and value and no
  // other start took it; else its start and end fell into one cell.
  std::vector<size_t> prossima_fine(celle.size() + 1, celle.size());
  for (size_t i = celle.size(); i-- > 0;)
    prossima_fine[i] = celle[i].tipo == tipo::fine_rallentamento ? i : prossima_fine[i + 1];
  std::set<size_t> fini_usate;
  for (size_t i = 0; i < celle.size(); ++i) {
    const cella& z = celle[i];
    if (z.tipo != tipo::inizio_rallentamento) continue;
    size_t fine = i;
    const size_t k = prossima_fine[i + 1];
    if (k < celle.size() && !fini_usate.count(k) && celle[k].valore1 == z.valore1 &&
        celle[k].valore3 == z.valore3) {
      fine = k;
      fini_usate.insert(k);
    }
    const int64_t x = chainage_elemento(static_cast<int64_t>(i));
    int64_t ta = 0;
    if (x > 1500 && i >= 28) {
      ta = 1;
      for (size_t n = 0; n < 4; ++n)
        ta = ta && celle[i - 25 - n].tipo == tipo::prima_avviso;
    }
    t.riga(record("rallentamento", {x, z.valore1, 50 * static_cast<int64_t>(fine - i), z.valore3, ta, z.valore2}));
  }
}

void segnali(const std::vector<cella>& celle, Testo& t) {
  for (size_t i = 0; i < celle.size(); ++i) {
    const cella& z = celle[i];
    if (z.tipo != tipo::segnale) continue;
    // valore4 is 10 times the repeat flag plus the side, 3 sx + dx; the
    // approach cell 100 m before keeps 10 times the side plus 1, which tells
    // the side when it is not a single digit.
    int64_t lato = resto(z.valore4, 10);
    if (i >= 2)
      for (int64_t prova = lato - 30; prova <= lato + 30; prova += 10)
        if (scenario::basso8(prova * 10 + 1) == celle[i - 2].preavviso) {
          lato = prova;
          break;
        }
    const int64_t rapp = (int64_t{z.valore4} - lato) / 10;
    int64_t sx = lato / 3, dx = lato % 3;
    int64_t tempo = 0;
    if (z.tempo != 0) {
      sx = 2;
      dx = lato - 6;
      tempo = z.tempo;
      if (tempo <= 100) {
        tempo += 256;
        t.nota("timing " + std::to_string(z.tempo) + " written as " + std::to_string(tempo) +
               " (1 to 100 would pack as 101)");
      } else if (tempo == 101) {
        t.nota("timing 101: any of 1 to 101 packs alike; 101 written");
      }
    }
    const int64_t v[3] = {z.valore1, z.valore2, z.valore3};
    t.riga(record("segnale", {chainage_elemento(static_cast<int64_t>(i)), sx, quoziente(v[0], 10),
                              quoziente(v[1], 10), quoziente(v[2], 10), rapp, dx, resto(v[0], 10),
                              resto(v[1], 10), resto(v[2], 10), tempo}));
  }
}

bool codice(const cella& c) { return c.tipo == tipo::codice || c.tipo == tipo::rimozione_codice; }

// The code points an author wrote: the packed code cells that the cab-code
// pass does not make by itself. The pass is run on the cells without any
// code cell; each code cell it does not give back is taken as the
// author's, and the pass run again with those, until it gives every packed
// code cell back.
std::map<size_t, cella> punti_codice(const modello& m, std::vector<std::string>& lacune) {
  modello base;
  base.celle = m.celle;
  if (base.celle.size() > scenario::formato::cella_testata) {
    base.celle[scenario::formato::cella_testata].valore1 = 0;
    base.celle[scenario::formato::cella_testata].valore2 = 0;
  }
  for (cella& c : base.celle)
    if (codice(c)) {
      c.tipo = tipo::libera;
      c.valore1 = 0;
    }
  std::map<size_t, cella> autore;
  constexpr size_t giri_singoli = 64;
  for (size_t giro = 0; giro <= m.celle.size(); ++giro) {
    modello prova;
    prova.celle = base.celle;
    for (const auto& [i, c] : autore) prova.celle[i] = c;
    scenario::posa_codici(prova);
    // A code the pass never places (not 180, or a cancelling point) is
    // surely the author's, and all of them are taken at once; a 180 may be
    // the pass's own, so only the first is taken, and the pass run again
    // (after a few such rounds, all of them, which keeps the rounds few).
    std::vector<size_t> certi, forse;
    std::vector<std::string> mancanti;
    for (size_t i = 0; i < m.celle.size(); ++i) {
      const cella& a = prova.celle[i];
      const cella& b = m.celle[i];
      const bool valore_uguale = i == scenario::formato::cella_testata || a.valore1 == b.valore1;
      if (a.tipo == b.tipo && valore_uguale) continue;
      if (codice(b) && !autore.count(i)) {
        const bool del_passo = b.tipo == tipo::codice && b.valore1 == scenario::codice_posato;
        (del_passo ? forse : certi).push_back(i);
      } else if (codice(a) && !codice(b)) {
        mancanti.push_back("cell " + std::to_string(i) + ": the cab-code pass places a code here, "
                           "but the packed cell holds none");
      }
    }
    if (certi.empty() && forse.empty()) {
      lacune.insert(lacune.end(), mancanti.begin(), mancanti.end());
      break;
    }
    if (!certi.empty())
      for (size_t i : certi) autore[i] = m.celle[i];
    else if (giro < giri_singoli)
      autore[forse.front()] = m.celle[forse.front()];
    else
      for (size_t i : forse) autore[i] = m.celle[i];
  }
  return autore;
}

std::string testo_treno(const ispettore::scenario_letto& s, std::vector<std::string>& lacune) {
  const modello& m = s.m;
  Testo t;
  t.nota("train source recovered by spacchetta_scenario from the packed files");
  t.riga("[generale]");
  const auto& v = m.voci[scenario::riga_treno];
  const auto& c = m.voci[scenario::riga_codici];
  t.riga(record("numero vetture", {v.posizione}));
  t.riga(record("percentuale massa frenata", {v.inizio}));
  t.riga(record("sabbia", {c.dato1}));
  t.riga("orologio, " + std::to_string(c.dato3) + " " + std::to_string(c.dato4) + " " + std::to_string(c.dato5));

  t.riga("[aderenze]");
  for (const riga_profilo& r : righe_profilo(m.celle, &cella::aderenza, "adhesion", lacune))
    t.riga(record("aderenza", {50 * r.cella, r.valore}));
  t.riga("[vel_limite]");
  for (const riga_profilo& r : righe_profilo(m.celle, &cella::velocita, "speed", lacune))
    t.riga(record("velocita", {50 * r.cella, int64_t{r.valore} * 5}));

  t.riga("[stazioni]");
  const ispettore::righe_usate righe = ispettore::righe_della_tabella(m);
  for (int k = scenario::riga_prima_stazione; k <= righe.ultima_stazione; ++k)
    if (!testo_scrivibile(m.voci[static_cast<size_t>(k)].nome))
      lacune.push_back("item record " + std::to_string(k) + ": the station name cannot be written as a field");
  stazioni(m, righe.ultima_stazione, t);

  t.riga("[rallentamenti]");
  rallentamenti(m.celle, t);
  t.riga("[segnali]");
  segnali(m.celle, t);
  t.riga("[codici]");
  for (const auto& [i, z] : punti_codice(m, lacune)) {
    const int64_t x = 50 * static_cast<int64_t>(i);
    if (z.tipo == tipo::rimozione_codice) {
      t.riga(record("abbattimento", {x, 0}));
    } else if (z.valore1 > 0) {
      t.riga(record("abbattimento", {x, z.valore1}));
    } else {
      lacune.push_back("cell " + std::to_string(i) + ": cab code " + std::to_string(z.valore1) +
                       " is none a code point gives (1 or more)");
      t.nota("cab code " + std::to_string(z.valore1) + " at " + std::to_string(x) + " m cannot be written");
    }
  }
  for (size_t i = 0; i < m.celle.size(); ++i)
    if (!ispettore::tipo_cella_noto(m.celle[i].tipo))
      t.nota("cell " + std::to_string(i) + " at " + std::to_string(50 * static_cast<int64_t>(i)) + " m is of type " +
             std::to_string(m.celle[i].tipo) + " which no record gives: left out");
  t.riga("[fine]");
  return t.testo();
}

// The folder the recovered sources are packed in, held in memory: the
// packer reads its sources from it and writes its packed files into it.
class CartellaInMemoria : public piattaforma::Disco {
 public:
  bool esiste(const std::string& percorso) override { return file.count(percorso) != 0; }
  std::string leggi(const std::string& percorso) override {
    const auto f = file.find(percorso);
    if (f == file.end()) throw piattaforma::ErroreFile(percorso, "read", "no such file");
    return f->second;
  }
  void sostituisci(const std::string& percorso, std::string_view contenuto) override {
    file[percorso] = std::string(contenuto);
  }
  void elimina(const std::string& percorso) override { file.erase(percorso); }
  std::map<std::string, std::string> file;
};

// The first byte where two files differ, as a line for the author.
std::optional<std::string> differenza(const std::string& nome, const std::optional<std::string>& attesi,
                                      const std::optional<std::string>& ottenuti) {
  if (attesi.has_value() != ottenuti.has_value())
    return nome + (attesi ? ": the recovered sources pack no such file" : ": the recovered sources pack one more file");
  if (!attesi || *attesi == *ottenuti) return std::nullopt;
  const auto d = std::mismatch(attesi->begin(), attesi->end(), ottenuti->begin(), ottenuti->end());
  return nome + ": byte " + std::to_string(d.first - attesi->begin()) +
         ": the recovered sources pack to other bytes from here on";
}

}  // namespace

std::vector<std::string> verifica_giro(const ispettore::pacchetti& p, const sorgenti_recuperate& r) {
  CartellaInMemoria disco;
  const std::string cartella = "giro";
  modello m;
  m.linea = p.linea;
  m.treno = p.treno;
  disco.file[piattaforma::unisci_percorso(cartella, scenario::nome_sorgente_linea(p.linea))] = r.linea;
  disco.file[piattaforma::unisci_percorso(cartella, scenario::nome_sorgente_treno(p.linea, p.treno))] = r.treno;
  int32_t j = r.con_piano ? 1 : 0;
  try {
    scenario::memorizza_percorso(m, disco, cartella, j);
  } catch (const std::exception& e) {
    return {std::string("the recovered sources do not pack: ") + e.what()};
  }
  std::vector<std::string> diverse;
  if (m.codice_errore != 0)
    diverse.push_back("the recovered sources pack with error " + std::to_string(m.codice_errore));
  auto pacchetto = [&](const std::string& nome) -> std::optional<std::string> {
    const auto f = disco.file.find(piattaforma::unisci_percorso(cartella, nome));
    if (f == disco.file.end()) return std::nullopt;
    return f->second;
  };
  for (const auto& [nome, byte] : {std::pair{&p.nome_linea, &p.byte_linea}, std::pair{&p.nome_voci, &p.byte_voci},
                                   std::pair{&p.nome_celle, &p.byte_celle}})
    if (auto d = differenza(*nome, *byte, pacchetto(*nome))) diverse.push_back(*d);
  return diverse;
}

sorgenti_recuperate spacchetta(const ispettore::scenario_letto& s, bool file_linea) {
  sorgenti_recuperate r;
  r.con_piano = s.con_piano;
  r.linea = testo_linea(s, file_linea, r.lacune);
  r.treno = testo_treno(s, r.lacune);
  return r;
}

namespace {

// The options, as the reader takes them and --help lists them.
const piattaforma::opzione<opzioni> tabella[] = {
    {"-o", "--output", "DIR",
     "write the two sources into DIR (created when missing); required", &opzioni::uscita},
    {"", "--force", "", "replace sources that already stand in DIR", &opzioni::forza},
    {"-h", "--help", "", "print this text", &opzioni::aiuto},
    {"", "--version", "", "print the version", &opzioni::versione},
};

constexpr std::string_view uso = "spacchetta_scenario [--force] FOLDER [ROUTE [TRAIN]] -o DIR\n";

}  // namespace

opzioni leggi_opzioni(const std::vector<std::string>& argomenti) {
  opzioni o;
  const std::vector<std::string> posizionali =
      piattaforma::leggi_opzioni<opzioni>(tabella, argomenti, o);
  if (o.aiuto || o.versione) return o;
  if (posizionali.empty())
    throw ErroreUso("give the folder of the packed files, then optionally a route title and a train designation");
  if (posizionali.size() > 3)
    throw ErroreUso("too many arguments: at most FOLDER, ROUTE and TRAIN");
  if (!o.uscita) throw ErroreUso("give the folder to write the sources into with -o DIR");
  o.cartella = posizionali[0];
  if (posizionali.size() > 1) o.linea = posizionali[1];
  if (posizionali.size() > 2) o.treno = posizionali[2];
  return o;
}

std::string testo_errore_uso(const std::string& messaggio) {
  return piattaforma::testo_errore_uso(programma, messaggio, uso);
}

std::string testo_aiuto() {
  return std::string("Usage: ").append(uso) + R"(
Writes the line source and the train source of a packed scenario into DIR,
named <ROUTE>_linea.txt and <ROUTE>_<TRAIN>-.txt, so that impacchetta_scenario
packs them back to the same bytes. Existing sources are kept unless --force.

  FOLDER  where the packed files are
  ROUTE   the route title, when FOLDER holds more than one scenario
  TRAIN   the train designation, when the route has more than one train

)" + piattaforma::elenco_opzioni(piattaforma::voci_di<opzioni>(tabella)) +
         R"(
Exit status:
  0  both sources written; they pack back to the packed files
  1  a file could not be read or written, or the folder could not be created
  2  the sources were written, but the packed files hold what no source gives
     (each place is named above and marked by a comment in the sources), or
     the sources, packed in memory, give other bytes (the first one is named)
  3  the command line was wrong, no single scenario matched, or a source
     already stands in DIR (nothing written)
  5  an unexpected fault of the program
)";
}

int spacchetta_cartella(piattaforma::Disco& disco, const elenca_cartella& elenca, const opzioni& o,
                        std::ostream& uscita, std::ostream& errori) {
  const std::string& cartella_uscita = o.uscita.value();
  std::vector<ispettore::scenario_trovato> trovati;
  try {
    trovati = ispettore::trova_scenari(elenca(o.cartella));
  } catch (const piattaforma::ErroreFile& e) {
    errori << programma << ": " << e.what() << "\n";
    return spacchetto_errore_file;
  }
  std::vector<ispettore::scenario_trovato> scelti;
  for (const auto& t : trovati)
    if ((o.linea.empty() || t.linea == o.linea) && (o.treno.empty() || t.treno == o.treno))
      scelti.push_back(t);
  if (scelti.size() != 1) {
    errori << programma << ": " << (scelti.empty() ? "no" : "more than one")
           << " packed scenario in " << o.cartella << " matches; name the route and train:\n";
    for (const auto& t : trovati) errori << "  " << t.linea << " / " << t.treno << "\n";
    return spacchetto_uso;
  }
  const auto& t = scelti.front();

  ispettore::pacchetti p = ispettore::pacchetti_di(t.linea, t.treno);
  // The item file first: the route length it declares bounds how much of
  // the other two is read, so nothing is allocated beyond what a sound
  // file of that length holds (inspector/lettore.h).
  auto leggi = [&](const std::string& nome, bool necessario, size_t massimo, std::optional<std::string>& byte,
                   std::optional<uint64_t>& dimensione) {
    const std::string percorso = piattaforma::unisci_percorso(o.cartella, nome);
    if (!disco.esiste(percorso)) {
      if (necessario) throw piattaforma::ErroreFile(percorso, "read", "no such file");
      return;
    }
    piattaforma::Disco::inizio_file letto = disco.leggi_inizio(percorso, massimo);
    if (letto.dimensione > letto.byte.size()) dimensione = letto.dimensione;
    byte = std::move(letto.byte);
  };
  try {
    leggi(p.nome_voci, true, ispettore::da_leggere_voci, p.byte_voci, p.dimensione_voci);
    const std::optional<int32_t> lunghezza = ispettore::lunghezza_dichiarata(*p.byte_voci);
    leggi(p.nome_celle, true, ispettore::da_leggere_celle(lunghezza), p.byte_celle, p.dimensione_celle);
    leggi(p.nome_linea, false, ispettore::da_leggere_linea(lunghezza), p.byte_linea, p.dimensione_linea);
  } catch (const piattaforma::ErroreFile& e) {
    errori << programma << ": " << e.what() << "\n";
    return spacchetto_errore_file;
  }

  const ispettore::scenario_letto s = ispettore::verifica(p);
  for (const auto& d : s.difetti) errori << programma << ": " << ispettore::descrivi(d) << "\n";
  if (!s.con_voci || !s.con_celle) {
    errori << programma << ": the item and track records could not be decoded; nothing written\n";
    return spacchetto_difettoso;
  }
  const sorgenti_recuperate r = spacchetta(s, p.byte_linea.has_value());
  for (const auto& l : r.lacune) errori << programma << ": " << l << "\n";
  // Sound files are held against what the recovered sources pack to.
  std::vector<std::string> diverse;
  if (s.difetti.empty() && r.lacune.empty()) diverse = verifica_giro(p, r);
  for (const auto& d : diverse) errori << programma << ": " << d << "\n";

  const std::string nomi[] = {scenario::nome_sorgente_linea(t.linea),
                              scenario::nome_sorgente_treno(t.linea, t.treno)};
  std::error_code codice;
  std::filesystem::create_directories(
      std::filesystem::path(std::u8string(cartella_uscita.begin(), cartella_uscita.end())), codice);
  if (codice) {
    errori << programma << ": cannot create the folder " << cartella_uscita << ": " << codice.message() << "\n";
    return spacchetto_errore_file;
  }
  try {
    // Under the folder's lock, as every program writes: what stands at the
    // names is checked, and what a killed run left cleared, only then.
    const std::string percorsi[] = {piattaforma::unisci_percorso(cartella_uscita, nomi[0]),
                                    piattaforma::unisci_percorso(cartella_uscita, nomi[1])};
    const auto blocco = piattaforma::prendi_cartella(
        disco, cartella_uscita, {percorsi[0], percorsi[1]},
        [&] { errori << piattaforma::testo_attesa(programma, cartella_uscita) << "\n"; });
    if (!o.forza)
      for (const std::string& percorso : percorsi)
        if (disco.esiste(percorso)) {
          errori << programma << ": " << percorso
                 << " already exists; give --force to replace it (nothing written)\n";
          return spacchetto_uso;
        }
    piattaforma::Serie serie(disco);
    disco.sostituisci(percorsi[0], r.linea);
    disco.sostituisci(percorsi[1], r.treno);
    serie.concludi();
  } catch (const piattaforma::ErroreFile& e) {
    errori << programma << ": " << e.what() << "\n";
    return spacchetto_errore_file;
  }
  uscita << "wrote " << nomi[0] << "\nwrote " << nomi[1] << "\n";
  if (!p.byte_linea) uscita << "packed without the plan: pack with impacchetta_scenario --no-plan\n";
  return s.difetti.empty() && r.lacune.empty() && diverse.empty() ? spacchetto_riuscito
                                                                  : spacchetto_difettoso;
}

}  // namespace spacchettatore
