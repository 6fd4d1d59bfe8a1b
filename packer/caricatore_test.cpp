#include "packer/caricatore.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "platform/errore_file.h"
#include "prova/disco_memoria.h"
#include "prova/sorgenti_prova.h"

namespace scenario {
namespace {

using DiscoFinto = piattaforma::DiscoMemoria;

using prova::crlf;
using prova::sorgente::linea;
using prova::sorgente::stazione;
using prova::sorgente::treno;

class Caricamento : public ::testing::Test {
 protected:
  void SetUp() override {
    m.linea = "Linea";
    m.treno = "Treno 1";
    m.con_planimetria = 1;
    m.posizione_errore = -1;  // tells "not set" apart from chainage 0
  }
  void sorgenti(const std::string& l, const std::string& t) {
    disco.file[pl()] = l;
    disco.file[pt()] = t;
  }
  void carica(const std::string& l, const std::string& t) {
    sorgenti(l, t);
    memorizza_dati(m, disco, "cartella");
  }
  bool resta_linea() { return disco.esiste(pl()); }
  bool resta_treno() { return disco.esiste(pt()); }

  std::string pl() const {
    return piattaforma::unisci_percorso("cartella", nome_sorgente_linea(m.linea));
  }
  std::string pt() const {
    return piattaforma::unisci_percorso("cartella", nome_sorgente_treno(m.linea, m.treno));
  }
  DiscoFinto disco;
  // A new model with the fixture's identity, nothing else set.
  modello nuovo() const { return prova::modello_di(m.linea, m.treno); }

  modello m;
};

const std::string treno_minimo = treno("numero vetture, 8\n");

TEST_F(Caricamento, HeaderBlockAndTrainHeader) {
  m.linea = "Città";  // stored in voci as Windows-1252
  carica(crlf("[generale]\n"
              "lunghezza percorso,    227550\n"
              "progressiva chilometrica uno,    0,    187550,    0\n"
              "progressiva chilometrica due,    100000,    -100000,    0\n"
              "progressiva chilometrica tre,    131450,    227550,    1\n"
              "sfondo uno,    1\n"
              "sfondo due,    2\n"
              "sfondo tre,    3\n"
              "ripetizione segnali 9 codici,    0,    222150\n"
              "[curve]\n[fine]\n"),
         treno("numero vetture,    8\n"
               "percentuale massa frenata,    120\n"
               "sabbia,    200\n"
               "orologio,    13              55            20 \n"));
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.voci[85].nome, "Citt\xE0");
  EXPECT_EQ(m.voci[86].nome, "Treno 1");
  EXPECT_EQ(m.voci[84].fine, 227550);
  EXPECT_EQ(m.voci[84].inizio, 120);
  EXPECT_EQ(m.voci[84].posizione, 8);
  EXPECT_EQ(m.voci[85].inizio, 1);
  EXPECT_EQ(m.voci[85].posizione, 2);
  EXPECT_EQ(m.voci[85].fine, 3);
  EXPECT_EQ(m.voci[86].inizio, 0);
  EXPECT_EQ(m.voci[86].fine, 222150);
  EXPECT_EQ(m.voci[86].posizione, 9);
  EXPECT_EQ(m.voci[86].dato1, 200);
  EXPECT_EQ(m.voci[86].dato3, 13);
  EXPECT_EQ(m.voci[86].dato4, 55);
  EXPECT_EQ(m.voci[86].dato5, 20);
  EXPECT_EQ(m.voci[81].inizio, 131450);
  EXPECT_EQ(m.voci[81].fine, 227650);
  EXPECT_EQ(m.voci[82].inizio, 100000);
  EXPECT_EQ(m.voci[83].fine, 187550);
  EXPECT_EQ(m.celle.size(), 4692u);
  EXPECT_EQ(m.lunghezza_estesa, 234550);
  EXPECT_EQ(m.planimetria.ultima_riga(), 234550);
  EXPECT_FALSE(resta_linea());
  EXPECT_FALSE(resta_treno());
}

TEST_F(Caricamento, CabSignallingSystemAndHeaderMatches) {
  struct {
    const char* riga;
    int32_t sistema;
  } casi[] = {{"ripetizione segnali 9 codici, 0, 1000", 9},
              {"ripetizione segnali 4 codici, 0, 1000", 4},
              {"ripetizione segnali 49 codici, 0, 1000", 4},
              {"ripetizione segnali 9 codici, 500, 0", 0}};
  for (const auto& c : casi) {
    SCOPED_TRACE(c.riga);
    modello n = nuovo();
    sorgenti(linea("", 10000, std::string(c.riga) + "\n"), treno_minimo);
    memorizza_dati(n, disco, "cartella");
    EXPECT_EQ(n.codice_errore, 0);
    EXPECT_EQ(n.voci[86].posizione, c.sistema);
  }

  // One keyword may match several tests; each reads its own number. A
  // comment field before a record on the same line is passed over.
  carica(linea("", 10000, "sfondo uno due, 7, 8\n- nota -, sfondo tre, 9\n"), treno_minimo);
  EXPECT_EQ(m.voci[85].inizio, 7);
  EXPECT_EQ(m.voci[85].posizione, 8);
  EXPECT_EQ(m.voci[85].fine, 9);
}

TEST_F(Caricamento, LetterCaseRules) {
  // Capitalised "progressiva", "sfondo", "ripetizione"/"segnali" are not
  // recognised; "LUNGHEZZA PERCORSO", "PENDENZA", "SABBIA" are.
  carica(crlf("[generale]\n"
              "LUNGHEZZA PERCORSO, 10000\n"
              "Progressiva chilometrica tre, 100, 200, 1\n"
              "Sfondo uno, 5\n"
              "ripetizione Segnali 9 codici, 0, 1000\n"
              "[curve]\nPENDENZA, 0, 5\n[fine]\n"),
         treno("SABBIA, 150\nStazione, 1000, 28, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X\n"));
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.celle.size(), 341u);
  EXPECT_EQ(m.voci[81].inizio, 0);
  EXPECT_EQ(m.voci[85].inizio, 0);
  EXPECT_EQ(m.voci[86].fine, 0);
  EXPECT_EQ(m.celle[10].pendenza, 105);
  EXPECT_EQ(m.voci[86].dato1, 150);
  EXPECT_EQ(m.voci[1].posizione, 1000);

  // "tre" is matched exactly too: "TRE" does not fill row 81.
  modello n = nuovo();
  sorgenti(linea("", 10000, "progressiva chilometrica TRE, 100, 200, 1\n"), treno_minimo);
  memorizza_dati(n, disco, "cartella");
  EXPECT_EQ(n.voci[81].inizio, 0);
  EXPECT_EQ(n.voci[81].fine, 0);
}

TEST_F(Caricamento, HyphenatedKeywordsAreComments) {
  // "pendenza-vecchia" is passed over with the field after it; the value 9
  // that follows is then an unrecognised field.
  carica(linea("pendenza-vecchia, 0, 9\npendenza, 1000, 5\n"), treno_minimo);
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.celle[0].pendenza, 100);
  EXPECT_EQ(m.celle[20].pendenza, 105);

  // At most two fields are skipped in the body and ten in the header: a
  // hyphenated keyword reached by the last allowed skip is interpreted, one
  // reached earlier is skipped in turn.
  std::string dieci;
  for (int i = 0; i < 10; ++i) {
    dieci += '-';
    dieci += std::to_string(i);
    dieci += '\n';
  }
  struct {
    std::string testata, corpo;
    int sfondo, pendenza;
  } casi[] = {
      {dieci + "sfondo-uno, 7\n", "-a\n-b\npendenza-x, 1000, 5\n", 7, 105},
      {"-0\n" + dieci + "sfondo-uno, 7\n", "-a\npendenza-x, 1000, 5\n", 0, 100},
      {"", "-a\n-b\n-c\npendenza-x, 1000, 5\n", 0, 100},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.testata + c.corpo);
    modello n = nuovo();
    sorgenti(linea(c.corpo, 10000, c.testata), treno_minimo);
    memorizza_dati(n, disco, "cartella");
    EXPECT_EQ(n.codice_errore, 0);
    EXPECT_EQ(n.voci[85].inizio, c.sfondo);
    EXPECT_EQ(n.celle[30].pendenza, c.pendenza);
  }
}

TEST_F(Caricamento, RouteLengthLimits) {
  carica(linea("", 1000000), treno_minimo);
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.celle.size(), 20141u);
  EXPECT_EQ(m.planimetria.ultima_riga(), 1007000);
  EXPECT_EQ(m.planimetria.voce(0, 1006998).tipo, variante::doppio);
  EXPECT_EQ(m.planimetria.voce(1, 1006999).tipo, variante::vuota);  // last two rows stay empty
  EXPECT_EQ(m.planimetria.byte().size(), 20u * 1007000 - 36);

  modello zero = nuovo();
  sorgenti(linea("", 0), treno_minimo);
  memorizza_dati(zero, disco, "cartella");
  EXPECT_EQ(zero.celle.size(), 141u);
  EXPECT_FALSE(zero.planimetria.presente());  // no plan without con_planimetria

  modello mezzo = nuovo();
  sorgenti(linea("", 25), treno_minimo);
  memorizza_dati(mezzo, disco, "cartella");
  EXPECT_EQ(mezzo.celle.size(), 141u);  // 140.5 rounds to 140

  // Only a length above the limit is an error in itself; a negative one is
  // refused only when it would leave no cells, or no plan rows 0 and 1.
  struct {
    int32_t lunghezza, con_planimetria, codice;
    size_t celle, righe_piano;
  } negative[] = {{-50, 1, 0, 140, 6951}, {-6999, 1, 0, 1, 2}, {-7000, 1, 1, 0, 0},
                  {-7000, 0, 0, 1, 0},    {-7025, 0, 0, 1, 0}, {-7026, 0, 1, 0, 0}};
  for (const auto& c : negative) {
    SCOPED_TRACE(c.lunghezza);
    modello n = nuovo();
    n.con_planimetria = c.con_planimetria;
    sorgenti(linea("", c.lunghezza), treno_minimo);
    memorizza_dati(n, disco, "cartella");
    EXPECT_EQ(n.codice_errore, c.codice);
    EXPECT_EQ(n.voci[84].fine, c.lunghezza);
    EXPECT_EQ(n.celle.size(), c.celle);
    EXPECT_EQ(n.planimetria.ultima_riga() + 1, static_cast<int32_t>(c.righe_piano));
  }
}

TEST_F(Caricamento, MissingLineSource) {
  disco.file[pt()] = treno_minimo;
  memorizza_dati(m, disco, "cartella");
  EXPECT_EQ(m.codice_errore, errore::manca_linea);
  EXPECT_TRUE(m.celle.empty());
  EXPECT_TRUE(resta_treno());
  EXPECT_EQ(m.voci[85].nome, "Linea");
  EXPECT_EQ(m.voci[86].nome, "Treno 1");
}

// Rejections and failures: the code, its position (-1 = not set) and which
// source files are left.
TEST_F(Caricamento, RejectionsAndFailures) {
  struct Caso {
    std::string nome, linea, treno;
    int32_t codice, posizione;
    bool resta_linea, resta_treno;
  };
  std::string mille_montagne, ottantuno_cartelli;
  for (int i = 0; i <= capacita_montagne; ++i) mille_montagne += "montagna, 100, 200, 1\n";
  for (int i = 0; i < 81; ++i)
    ottantuno_cartelli += "cartello_indicatore, " + std::to_string(100 * i) + ", (x)\n";
  const std::string segnale_2500 = "segnale, 2500, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0\n";
  const std::vector<Caso> casi = {
      // Line source: the line source is deleted, the train source stays.
      {"length above the limit", linea("", 1000001), treno_minimo, 1, -1, false, true},
      {"length leaving no plan rows 0 and 1", linea("", -7000), treno_minimo, 1, -1, false, true},
      {"no [generale]", crlf("[curve]\npendenza, 0, 0\n[fine]\n"), treno_minimo, 102, -1, false, true},
      {"[generale] as the last field", crlf("[curve]\n[generale]\n"), treno_minimo, 102, -1, false,
       true},
      {"no route length", crlf("[generale]\nsfondo uno, 1\n[curve]\npendenza, 0, 0\n[fine]\n"),
       treno_minimo, 25, -1, false, true},
      {"first cab chainage", linea("", 10000, "ripetizione segnali 9 codici, 25, 100\n"),
       treno_minimo, 3, -1, false, true},
      {"last cab chainage", linea("", 10000, "ripetizione segnali 9 codici, 0, 110\n"), treno_minimo,
       4, -1, false, true},
      {"cab system digit", linea("", 10000, "ripetizione segnali codici, 0, 100\n"), treno_minimo, 5,
       -1, false, true},
      {"curve class", linea("curvad, 100, 100\n"), treno_minimo, 103, -1, false, true},
      {"curve past metre 1000000", linea("curvad1, 999000, 2000\n", 1000000), treno_minimo, 103, -1,
       false, true},
      {"curve past the plan table", linea("curvad1, 6000, 2000\n", 0), treno_minimo, 15, 6000, false,
       true},
      {"board on a taken cell",
       linea("cartello_indicatore, 1000, (a)\ncartello_indicatore, 1010, (b)\n"), treno_minimo, 6,
       1010, false, true},
      {"board before cell 0", linea("cartello_indicatore, -100, (a)\n"), treno_minimo, 15, -100,
       false, true},
      {"81st board", linea(ottantuno_cartelli), treno_minimo, 15, 8000, false, true},
      {"indicators on a taken cell",
       linea("cartello_indicatore, 1000, (a)\nindicatori_v, 1000, 1,1,1,0, 1,1,1,0\n"), treno_minimo,
       21, 1000, false, true},
      {"mountain tables full", linea(mille_montagne), treno_minimo, 15, 100, false, true},
      // Train source: both are deleted.
      {"signal on a taken cell", linea(""),
       treno(segnale_2500 + "segnale, 2510, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0\n"), 16, 2510, false, false},
      {"signal cell before cell 0", linea(""), treno("segnale, -200, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0\n"),
       15, -200, false, false},
      {"slowdown start taken", linea(""),
       treno("segnale, 10000, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0\n"
             "rallentamento, 10000, 60, 1000, 1, 1, 0\n"),
       18, 10000, false, false},
      {"slowdown end past the last cell", linea(""),
       treno("rallentamento, 9000, 60, 10000, 1, 1, 0\n"), 15, 9000, false, false},
      {"code point on a taken cell", linea(""),
       treno("abbattimento, 2500, 270\nabbattimento, 2510, 180\n"), 7, 2510, false, false},
      {"station chainage", linea(""), treno(stazione(1020, 28, 200)), 8, 1020, false, false},
      {"station length", linea(""), treno(stazione(1000, 28, 250)), 9, 1000, false, false},
      {"stations too close", linea(""), treno(stazione(1000, 28, 200) + stazione(1400, 28, 200)), 22,
       1400, false, false},
      {"stop cell at cell 1 or lower", linea(""), treno(stazione(0, 22, 100)), 24, -1, false, false},
      {"stop cell past the last cell", linea(""), treno(stazione(5000, 22, 100000)), 15, 5000, false,
       false},
      // Failures: code 25, no position, neither source left.
      {"letters where a number is due", linea(""), treno("numero vetture, otto\n"), 25, -1, false,
       false},
      {"number too large for 16 bits", linea(""), treno("sabbia, 40000\n"), 25, -1, false, false},
      {"read past the end", linea(""), crlf("[generale]\nsegnale, 2500, 2\n"), 25, -1, false, false},
      {"line source field past the end",
       crlf("[generale]\nlunghezza percorso, 5000\nripetizione segnali 9 codici, 0\n"), treno_minimo,
       25, -1, false, false},
      {"last field of the line header is the route keyword", crlf("[generale]\nlunghezza percorso"),
       treno_minimo, 25, -1, false, true},
      {"letters in the line header", linea("", 10000, "ripetizione segnali 9 codici, 0\n"),
       treno_minimo, 25, -1, false, false},
      {"indicator speeds beyond 16 bits", linea("indicatori_v, 1000, 2000,1,1,0, 1,1,1,0\n"),
       treno_minimo, 25, -1, false, false},
      {"speed above 1277 km/h", linea(""), treno("velocita, 0, 1278\n"), 25, -1, false, false},
      {"station time beyond 32 bits", linea(""),
       treno("stazione, 1000, 28, 200, 0,0,0, 0,0,0, 0,0,0, 0, 2000000000,0,0, X\n"), 25, -1, false,
       false},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    disco.file.clear();
    modello n = nuovo();
    n.con_planimetria = 1;
    n.posizione_errore = -1;
    sorgenti(c.linea, c.treno);
    memorizza_dati(n, disco, "cartella");
    EXPECT_EQ(n.codice_errore, c.codice);
    EXPECT_EQ(n.posizione_errore, c.posizione);
    EXPECT_EQ(resta_linea(), c.resta_linea);
    EXPECT_EQ(resta_treno(), c.resta_treno);
  }
}

TEST_F(Caricamento, MissingTrainSourceIsAFailure) {
  disco.file[pl()] = linea("");
  memorizza_dati(m, disco, "cartella");
  EXPECT_EQ(m.codice_errore, errore::lettura);
  EXPECT_FALSE(resta_linea());
  EXPECT_EQ(m.celle.size(), 341u);  // the line source was read
}

TEST_F(Caricamento, RangeFailureEndsOnlyTheCurrentFile) {
  // The gradient at 20000 lies beyond the cells (0 to 340): 15, the line
  // source stops there, the train source is still read.
  carica(linea("pendenza, 0, 0\npendenza, 20000, 5\ncartello_indicatore, 1000, (a)\n"),
         treno("numero vetture, 8\n"));
  EXPECT_EQ(m.codice_errore, errore::fuori_celle);
  EXPECT_EQ(m.posizione_errore, 20000);
  EXPECT_EQ(m.celle[21].tipo, 0);  // the board after it was not read
  EXPECT_EQ(m.voci[84].posizione, 8);
  EXPECT_FALSE(resta_linea());
  EXPECT_FALSE(resta_treno());
  EXPECT_EQ(m.celle[337].pendenza, 100);  // the closing fill still ran

  // The first signal after it turns into a rejection at its own chainage.
  modello n = nuovo();
  sorgenti(linea("pendenza, 20000, 5\n"), treno("segnale, 2500, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0\n"
                                               "numero vetture, 8\n"));
  memorizza_dati(n, disco, "cartella");
  EXPECT_EQ(n.codice_errore, errore::fuori_celle);
  EXPECT_EQ(n.posizione_errore, 2500);
  EXPECT_EQ(n.voci[84].posizione, 0);

  // A station's range check has margin 800; code 2 at the end replaces 15.
  modello o = nuovo();
  sorgenti(linea("", 10000, "progressiva chilometrica uno, 10, 0, 0\n"),
           treno(stazione(16300, 28, 200) + "numero vetture, 8\n"));
  memorizza_dati(o, disco, "cartella");
  EXPECT_EQ(o.codice_errore, errore::progressiva);
  EXPECT_EQ(o.posizione_errore, 16300);
  EXPECT_EQ(o.voci[84].posizione, 0);
}

TEST_F(Caricamento, PlanGeometryFromTheStart) {
  carica(linea("curvad4, 3, 2\n"), treno_minimo);
  ASSERT_EQ(m.codice_errore, 0);
  auto x = [&](size_t j) { return m.planimetria.voce(0, static_cast<int32_t>(j)); };
  auto y = [&](size_t j) { return m.planimetria.voce(1, static_cast<int32_t>(j)); };
  EXPECT_EQ(x(0).tipo, variante::intero);
  EXPECT_EQ(y(1).tipo, variante::intero);
  EXPECT_EQ(y(1).valore, 1);
  for (size_t j = 2; j <= 6; ++j) EXPECT_EQ(x(j).tipo, variante::doppio) << j;

  // The same formulas, same order of operations.
  double ex[7] = {0, 0}, ey[7] = {0, 1};
  const double k = 0.001;
  for (int j = 2; j <= 6; ++j) {
    const double dx = ex[j - 1] - ex[j - 2], dy = ey[j - 1] - ey[j - 2];
    const bool curva = j == 4 || j == 5;
    ex[j] = curva ? ex[j - 1] + dx + k * dy : ex[j - 1] + dx;
    ey[j] = curva ? ey[j - 1] + dy - k * dx : ey[j - 1] + dy;
  }
  for (size_t j = 2; j <= 6; ++j) {
    EXPECT_EQ(x(j).valore, ex[j]) << j;
    EXPECT_EQ(y(j).valore, ey[j]) << j;
  }
  const double dec_x[] = {0, 0, 0, 0, 0.001, 0.003, 0.005};
  const double dec_y[] = {0, 1, 2, 3, 4, 4.999999, 5.999998};
  for (size_t j = 2; j <= 6; ++j) {
    EXPECT_NEAR(x(j).valore, dec_x[j], 1e-12) << j;
    EXPECT_NEAR(y(j).valore, dec_y[j], 1e-12) << j;
  }
  // Straight to two rows before the end of the table.
  const size_t ultima = static_cast<size_t>(m.lunghezza_estesa);
  EXPECT_EQ(x(ultima - 2).tipo, variante::doppio);
  EXPECT_EQ(x(ultima - 1).tipo, variante::vuota);
  EXPECT_EQ(y(ultima).tipo, variante::vuota);
}

// A rejection in the middle of the plan leaves the rows assigned so far
// and the rest empty; a curve may fill the table to its last row R.
TEST_F(Caricamento, PlanLeftByARejectionIsClosedWhereItStopped) {
  struct {
    const char* nome;
    std::string linea;
    int32_t codice, righe;
  } casi[] = {
      {"curve past metre 1000000", linea("curvad1, 999000, 2000\n", 1000000), 103, 1000001},
      {"curve past the plan table", linea("curvad1, 6000, 2000\n", 0), 15, 7001},
      {"curve to row R", linea("curvad1, 6000, 1000\n", 0), 0, 7001},
      {"cab system digit", linea("curvad1, 6000, 1000\n", 0, "ripetizione segnali codici, 0, 100\n"),
       5, 0},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    modello n;
    n.linea = m.linea;
    n.treno = m.treno;
    n.con_planimetria = 1;
    sorgenti(c.linea, treno_minimo);
    memorizza_dati(n, disco, "cartella");
    EXPECT_EQ(n.codice_errore, c.codice);
    const piano& p = n.planimetria;
    ASSERT_TRUE(p.chiuso());
    EXPECT_EQ(p.righe(), c.righe);
    EXPECT_EQ(p.byte().size(), 2 * byte_colonna(p.ultima_riga(), c.righe));
    if (c.righe > 2) {
      EXPECT_EQ(p.voce(1, c.righe - 1).tipo, variante::doppio);
    }
  }
}

TEST_F(Caricamento, CurveClassesSidesAndOverlaps) {
  // "curvas12": left-hand, class 1 (the first digit tested), row 3. The
  // next curve starts behind the plan cursor (row 4): no straight rows, its
  // curved rows run from row 4 to row 6; row 7 is straight again.
  carica(linea("curvas12, 2, 1\ncurvad6, 3, 3\n"), treno_minimo);
  ASSERT_EQ(m.codice_errore, 0);
  auto x = [&](size_t j) { return m.planimetria.voce(0, static_cast<int32_t>(j)); };
  auto y = [&](size_t j) { return m.planimetria.voce(1, static_cast<int32_t>(j)); };
  EXPECT_EQ(x(2).valore, 0);
  EXPECT_EQ(y(2).valore, 2);
  EXPECT_EQ(x(3).valore, -0.0001);
  EXPECT_EQ(y(3).valore, 3);
  for (size_t j = 4; j <= 7; ++j) {
    const double dx = x(j - 1).valore - x(j - 2).valore, dy = y(j - 1).valore - y(j - 2).valore;
    const double k = j <= 6 ? 0.003 : 0;
    EXPECT_EQ(x(j).valore, j <= 6 ? x(j - 1).valore + dx + k * dy : x(j - 1).valore + dx) << j;
    EXPECT_EQ(y(j).valore, j <= 6 ? y(j - 1).valore + dy - k * dx : y(j - 1).valore + dy) << j;
  }

  // With con_planimetria 0 curves are not read as curves at all.
  modello n = nuovo();
  sorgenti(linea("curvad, 100, 100\n"), treno_minimo);
  memorizza_dati(n, disco, "cartella");
  EXPECT_EQ(n.codice_errore, 0);
  EXPECT_FALSE(n.planimetria.presente());
}

TEST_F(Caricamento, GradientProfile) {
  carica(linea("pendenza, 0, 0\npendenza, 1000, 5\n"), treno_minimo);
  ASSERT_EQ(m.codice_errore, 0);
  const size_t ultima = m.celle.size() - 1;  // 340
  for (size_t c = 0; c <= ultima; ++c) {
    const int atteso = c < 20 ? 100 : c <= ultima - 3 ? 105 : 0;
    EXPECT_EQ(m.celle[c].pendenza, atteso) << c;
  }

  // A line not beyond the cells already filled still fills one more cell.
  modello n = nuovo();
  sorgenti(linea("pendenza, 0, 0\npendenza, 1000, 5\npendenza, 500, -3\n"), treno_minimo);
  memorizza_dati(n, disco, "cartella");
  EXPECT_EQ(n.celle[19].pendenza, 100);
  EXPECT_EQ(n.celle[20].pendenza, 105);  // the one extra cell
  EXPECT_EQ(n.celle[21].pendenza, 97);
}

TEST_F(Caricamento, ProfileRunsAtOneChainagePastTheLastCell) {
  // Route 0: cells 0 to 140. Sixty lines at 4950 push the gradient and
  // adhesion cursors past cell 140; nothing is written outside.
  std::string corpo, aderenze, velocita;
  for (int i = 0; i < 60; ++i) {
    corpo += "pendenza, 4950, 7\n";
    aderenze += "aderenza, 4950, 90\n";
    velocita += "velocita, 4950, 100\n";
  }
  carica(linea(corpo, 0), treno(aderenze + velocita + "velocita, 4950, 50\n"));
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.celle[98].pendenza, 100);
  EXPECT_EQ(m.celle[140].pendenza, 107);
  EXPECT_EQ(m.celle[140].aderenza, 90);
  // The speed cursor stops at the last cell, so the closing fill, which
  // always writes one cell, writes it with the last speed line's value.
  EXPECT_EQ(m.celle[139].velocita, 20);
  EXPECT_EQ(m.celle[140].velocita, 10);
}

TEST_F(Caricamento, SpeedAndAdhesionProfiles) {
  carica(linea(""), treno("velocita, 0, 140\nvelocita, 1000, 100\n"
                          "aderenza, 500, 300\naderenza, 2000, 85\n"));
  ASSERT_EQ(m.codice_errore, 0);
  const size_t ultima = m.celle.size() - 1;
  for (size_t c : {size_t{0}, size_t{19}}) EXPECT_EQ(m.celle[c].velocita, 28) << c;
  for (size_t c : {size_t{20}, ultima - 3}) EXPECT_EQ(m.celle[c].velocita, 20) << c;
  EXPECT_EQ(m.celle[ultima - 2].velocita, 0);
  EXPECT_EQ(m.celle[9].aderenza, 0);            // before the first line: 0
  EXPECT_EQ(m.celle[10].aderenza, 300 - 256);   // low 8 bits
  EXPECT_EQ(m.celle[39].aderenza, 44);
  EXPECT_EQ(m.celle[40].aderenza, 85);
  EXPECT_EQ(m.celle[ultima - 3].aderenza, 85);
  EXPECT_EQ(m.celle[ultima].aderenza, 0);

  modello n = nuovo();
  sorgenti(linea(""), treno("velocita, 0, 142\nvelocita, 1000, 1277\n"));
  memorizza_dati(n, disco, "cartella");
  EXPECT_EQ(n.codice_errore, 0);
  EXPECT_EQ(n.celle[0].velocita, 28);
  EXPECT_EQ(n.celle[20].velocita, 255);
}

TEST_F(Caricamento, SignalsSlowdownsCodesAndBoards) {
  carica(linea("cartello_indicatore,  1000,   (Ponte)(fiume)(Adda )\n"
               "montagna, 5000, 6000, 12\n"
               "cartello_indicatore,  5100,   (b)\n"
               "indicatori_v, 8000, 60,70,80,1, 100,110,120,2\n",
               100000),
         treno("segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0\n"
               "rallentamento, 10000, 60, 1000, 1, 1, 0\n"
               "abbattimento,   95700,   270\n"
               "abbattimento,   95000,   0\n"));
  ASSERT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.celle[21].tipo, tipo_cella::cartello_indicatore);
  EXPECT_EQ(m.celle[21].valore1, 80);
  EXPECT_EQ(m.voci[80].nome, "(Ponte)(fiume)(Adda )");
  EXPECT_EQ(m.celle[103].tipo, tipo_cella::cartello_indicatore);  // on a mountain marker
  EXPECT_EQ(m.celle[103].valore1, 79);
  EXPECT_EQ(m.voci[79].nome, "(b)");
  EXPECT_EQ(m.celle[103].montagna, 2);
  EXPECT_EQ(m.celle[107].tipo, tipo_cella::segno_montagna);
  EXPECT_EQ(m.n_montagne, 1);
  EXPECT_EQ(m.celle[161].valore1, 1220);
  EXPECT_EQ(m.celle[51].tipo, tipo_cella::segnale);
  EXPECT_EQ(m.celle[43].preavviso, 84);
  EXPECT_EQ(m.celle[177].tipo, tipo_cella::avviso_rallentamento);
  EXPECT_EQ(m.celle[221].tipo, tipo_cella::fine_rallentamento);
  EXPECT_EQ(m.celle[1914].tipo, tipo_cella::codice);
  EXPECT_EQ(m.celle[1914].valore1, 270);
  EXPECT_EQ(m.celle[1915].tipo, 0);
  EXPECT_EQ(m.celle[1900].tipo, tipo_cella::rimozione_codice);
}

TEST_F(Caricamento, Stations) {
  carica(linea("", 20000),
         treno("stazione,       0,  8,  400,  1, 1, 1,  4,1,0,  2,1,1,    1,  13,55,20, Tarvena\n"
               "[stazioni-fine]\n" +
               stazione(2000, 28, 600) + stazione(4000, 5, 300, 1) + stazione(6000, 7, 300) +
               stazione(11900, 22, 500) + stazione(13900, 22, 500, 1)));
  ASSERT_EQ(m.codice_errore, 0);
  const voce& o = m.voci[1];
  EXPECT_EQ(o.tipo, 8);
  EXPECT_EQ(o.inizio, -400);
  EXPECT_EQ(o.fine, 400);
  EXPECT_EQ(o.opzione1, 1);
  EXPECT_EQ(o.opzione4, 0);  // forced at the first station
  EXPECT_EQ(o.opzione5, 0);
  EXPECT_EQ(o.dato1, 4);
  EXPECT_EQ(o.dato5, 1);
  EXPECT_EQ(o.opzione3, 1);
  EXPECT_EQ(o.orario, (13 * 60 + 55) * 60 + 20);
  EXPECT_EQ(o.nome, "Tarvena");
  EXPECT_EQ(m.celle[7].tipo, tipo_cella::fermata);
  EXPECT_EQ(m.celle[7].valore1, 1);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(m.celle[7 - n].preavviso, 80 + n);

  // Class 28: neither markers nor a stop cell; length 600 keeps opzione5.
  EXPECT_EQ(m.voci[2].opzione5, 1);
  EXPECT_EQ(m.voci[2].inizio, 1700);
  for (size_t c = 30; c < 70; ++c) {
    EXPECT_EQ(m.celle[c].tipo, 0) << c;
    EXPECT_EQ(m.celle[c].preavviso, 0) << c;
  }
  // Class 5: area from c - L to c + 150, a stop cell, no markers.
  const voce& cinque = m.voci[3];
  EXPECT_EQ(cinque.inizio, 3700);
  EXPECT_EQ(cinque.fine, 4150);
  EXPECT_EQ(cinque.opzione4, 0);
  EXPECT_EQ(cinque.opzione5, 0);  // length below 600
  EXPECT_EQ(m.celle[82].tipo, tipo_cella::fermata);
  EXPECT_EQ(m.celle[82].valore1, 3);
  EXPECT_EQ(m.celle[81].preavviso, 0);
  // Class 7: c - L to c + L.
  EXPECT_EQ(m.voci[4].inizio, 5700);
  EXPECT_EQ(m.voci[4].fine, 6300);
  EXPECT_EQ(m.celle[125].tipo, tipo_cella::fermata);
  // Class 22: c -+ L/2, 50 more at the far end with opzione4.
  EXPECT_EQ(m.voci[5].inizio, 11650);
  EXPECT_EQ(m.voci[5].fine, 12150);
  EXPECT_EQ(m.voci[6].fine, 14200);
  EXPECT_EQ(m.voci[6].opzione4, 1);
  EXPECT_EQ(m.celle[242].valore1, 5);
  EXPECT_EQ(m.celle[241].preavviso, 81);
  EXPECT_EQ(m.celle[238].preavviso, 84);
  EXPECT_EQ(m.celle[283].valore1, 6);
  EXPECT_TRUE(m.voci[7].nome.empty());
}

TEST_F(Caricamento, StationRowsEndAtTheBoards) {
  struct {
    int cartelli, respinta;
  } casi[] = {{2, 77}, {0, 79}, {78, 1}};
  for (const auto& c : casi) {
    SCOPED_TRACE(c.cartelli);
    std::string cartelli, stazioni;
    for (int i = 0; i < c.cartelli; ++i)
      cartelli += "cartello_indicatore, " + std::to_string(100000 + 100 * i) + ", (x)\n";
    for (int i = 1; i <= 80; ++i) stazioni += stazione(1000 * i, 28, 200);
    modello n = nuovo();
    n.posizione_errore = -1;
    sorgenti(linea(cartelli, 150000), treno(stazioni));
    memorizza_dati(n, disco, "cartella");
    EXPECT_EQ(n.codice_errore, errore::troppe_stazioni);
    EXPECT_EQ(n.posizione_errore, -1);
    EXPECT_EQ(n.voci[c.respinta].posizione, 1000 * c.respinta);  // stored, then rejected
    EXPECT_EQ(n.voci[c.respinta + 1].posizione, 0);
    EXPECT_FALSE(resta_treno());
  }
}

// Sources holding every record kind, whose numbers are replaced at random
// by extreme values and whose lines are repeated: every run must end with a
// code of the error table and, under the sanitizers, touch nothing outside an array.
TEST_F(Caricamento, ExtremeValuesNeverReachOutsideTheArrays) {
  const std::string base_linea =
      "[generale]\nlunghezza percorso, 20000\n"
      "progressiva chilometrica uno, 0, 1000, 0\nprogressiva chilometrica due, 5000, -5000, 0\n"
      "progressiva chilometrica tre, 10000, 20000, 1\nsfondo uno, 1\n"
      "ripetizione segnali 9 codici, 0, 15000\n[curve]\ncurvad1, 500, 300\ncurvas4, 900, 200\n"
      "pendenza, 0, 0\npendenza, 3000, 5\nmontagna, 4000, 5000, 12\nmontagna, 5100, 6000, 11\n"
      "indicatori_v, 7000, 60,70,80,1, 100,110,120,2\ncartello_indicatore, 8000, (a)(b)(c)\n"
      "[fine]\n";
  const std::string base_treno =
      "[generale]\nnumero vetture, 8\npercentuale massa frenata, 120\nsabbia, 200\n"
      "orologio, 13 55 20\naderenza, 0, 90\naderenza, 5000, 85\nvelocita, 0, 140\n"
      "velocita, 6000, 100\nstazione, 0, 8, 400, 1,0,0, 4,1,0, 2,1,1, 1, 13,55,20, A\n"
      "stazione, 9000, 22, 300, 0,0,0, 0,0,0, 4,1,1, 30, 14,0,0, B\n"
      "rallentamento, 12000, 60, 500, 1, 1, 0\nsegnale, 2500, 2,4,0,0,0,2,1,0,0,0\n"
      "segnale, 100, 2,4,0,0,0,2,1,0,0,0\nabbattimento, 9500, 270\n[fine]\n";
  const std::vector<std::string> estremi = {
      "-2147483648", "-1000000", "-7001", "-400", "-1", "0", "1", "25", "99", "101", "255",
      "256", "1277", "1278", "32767", "32768", "1000000", "1000001", "2147483647"};

  // Replaces the n-th whole number of the text.
  auto sostituisci_numero = [](std::string t, size_t n, const std::string& valore) {
    size_t visti = 0;
    for (size_t i = 0; i < t.size(); ++i) {
      const bool inizio = (t[i] == '-' || (t[i] >= '0' && t[i] <= '9')) &&
                          (i == 0 || t[i - 1] == ' ' || t[i - 1] == ',');
      if (!inizio) continue;
      size_t f = i + 1;
      while (f < t.size() && t[f] >= '0' && t[f] <= '9') ++f;
      if (visti++ == n) return t.substr(0, i) + valore + t.substr(f);
      i = f;
    }
    return t;
  };
  // Repeats line n of the text `volte` more times.
  auto ripeti_riga = [](const std::string& t, size_t n, int volte) {
    size_t inizio = 0;
    for (size_t i = 0; i < n && inizio < t.size(); ++i) inizio = t.find('\n', inizio) + 1;
    if (inizio == 0 || inizio >= t.size()) return t;
    const std::string riga = t.substr(inizio, t.find('\n', inizio) + 1 - inizio);
    std::string r = t.substr(0, inizio);
    for (int i = 0; i < volte; ++i) r += riga;
    return r + t.substr(inizio);
  };

  {
    disco.file.clear();
    modello n = nuovo();
    n.con_planimetria = 1;
    sorgenti(crlf(base_linea), crlf(base_treno));
    memorizza_dati(n, disco, "cartella");
    ASSERT_EQ(n.codice_errore, 0) << n.posizione_errore;  // the base itself is clean
  }
  std::mt19937 caso(20240611);
  for (int prova = 0; prova < 400; ++prova) {
    std::string l = base_linea, t = base_treno;
    const int modifiche = 1 + static_cast<int>(caso() % 3);
    for (int i = 0; i < modifiche; ++i) {
      const std::string& valore = estremi[caso() % estremi.size()];
      if (caso() % 2) l = sostituisci_numero(l, caso() % 40, valore);
      else t = sostituisci_numero(t, caso() % 90, valore);
    }
    if (caso() % 4 == 0) {
      const int volte = 1 + static_cast<int>(caso() % 200);
      if (caso() % 2) l = ripeti_riga(l, caso() % 17, volte);
      else t = ripeti_riga(t, caso() % 16, volte);
    }
    SCOPED_TRACE(l + "----\n" + t);
    disco.file.clear();
    modello n = nuovo();
    n.con_planimetria = static_cast<int32_t>(caso() % 2);
    sorgenti(crlf(l), crlf(t));
    memorizza_dati(n, disco, "cartella");
    ASSERT_TRUE(ha_voce(n.codice_errore)) << n.codice_errore;
    if (n.codice_errore == 0) {
      ASSERT_FALSE(resta_linea() || resta_treno());
    }
  }
}

}  // namespace
}  // namespace scenario
