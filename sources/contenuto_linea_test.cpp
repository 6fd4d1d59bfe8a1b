// Content rules of the shipped line source: sections, header block, curves
// and direction boards, read from the embedded text with a parser of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sources/contenuto.h"
#include "sources/testo_prova.h"

namespace scenario {
namespace {

using namespace prova;

// One curve row: side (d or s), class 1 to 6, start and length in metres.
struct curva {
  char lato;
  int classe;
  int inizio;
  int lunghezza;
};

// Parses the curve rows, checking the exact layout "curvaXN,  start,  length".
std::vector<curva> curve() {
  std::vector<curva> r;
  for (const auto& riga : sezione(testo_linea, "[curve]")) {
    const auto c = campi(riga);
    EXPECT_EQ(c.size(), 3u) << riga;
    if (c.size() != 3) continue;
    curva k{c[0].size() == 7 ? c[0][5] : '?', c[0].size() == 7 ? c[0][6] - '0' : 0, numero(c[1]),
            numero(c[2])};
    EXPECT_EQ(riga, "curva" + std::string(1, k.lato) + std::to_string(k.classe) + ",  " +
                        std::to_string(k.inizio) + ",  " + std::to_string(k.lunghezza));
    EXPECT_TRUE(k.lato == 'd' || k.lato == 's') << riga;
    EXPECT_TRUE(k.classe >= 1 && k.classe <= 6) << riga;
    r.push_back(k);
  }
  return r;
}

TEST(ContenutoLinea, SectionsInOrderWithTheirRecordCounts) {
  const auto r = righe(testo_linea);
  ASSERT_EQ(r.size(), 134u);
  ASSERT_EQ(testo_linea.back(), '\n');
  std::vector<std::string> intestazioni;
  std::vector<size_t> dove;
  for (size_t i = 0; i < r.size(); ++i)
    if (intestazione(r[i])) {
      intestazioni.push_back(r[i]);
      dove.push_back(i);
    }
  const std::vector<std::string> attese = {
      "[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]", "[indicazioni]", "[fine]"};
  ASSERT_EQ(intestazioni, attese);
  EXPECT_EQ(dove.front(), 0u);
  EXPECT_EQ(dove.back(), r.size() - 1);
  // records per section: generale 8, curve 116, pendenze 1, montagne and
  // cartelli none (so their headers stand directly one after the other), boards 2
  const std::vector<size_t> conte = {8, 116, 1, 0, 0, 2};
  for (size_t s = 0; s + 1 < dove.size(); ++s)
    EXPECT_EQ(dove[s + 1] - dove[s] - 1, conte[s]) << intestazioni[s];
}

TEST(ContenutoLinea, HeaderBlockAndGradientExactly) {
  const auto r = righe(testo_linea);
  ASSERT_GE(r.size(), 9u);
  const std::vector<std::string> attese = {
      "[generale]",
      "lunghezza percorso,    227550",
      "progressiva chilometrica uno,    0,    187550,    0",
      "progressiva chilometrica due,    100000,    -100000,    0",
      "progressiva chilometrica tre,    131450,    227550,    1",
      "sfondo uno,    1",
      "sfondo due,    0",
      "sfondo tre,    0",
      "ripetizione segnali 9 codici,    0,    222150"};
  EXPECT_EQ(std::vector<std::string>(r.begin(), r.begin() + 9), attese);
  EXPECT_EQ(sezione(r, "[pendenze]"), std::vector<std::string>{"pendenza,   0,    0"});
}

TEST(ContenutoLinea, PrintableAsciiAndNoTrailingBlank) {
  for (const auto& riga : righe(testo_linea)) {
    EXPECT_FALSE(riga.empty());
    EXPECT_FALSE(!riga.empty() && riga.back() == ' ') << "'" << riga << "'";
    for (unsigned char ch : riga) EXPECT_TRUE(ch >= 0x20 && ch < 0x7f) << riga;
  }
}

TEST(ContenutoLinea, CurveCountsBySideAndClassAndTellingRows) {
  const auto c = curve();
  ASSERT_EQ(c.size(), 116u);
  std::map<char, int> per_lato;
  std::map<int, int> per_classe;
  for (const auto& k : c) {
    ++per_lato[k.lato];
    ++per_classe[k.classe];
  }
  EXPECT_EQ(per_lato['d'], 59);
  EXPECT_EQ(per_lato['s'], 57);
  EXPECT_EQ(per_classe, (std::map<int, int>{{1, 13}, {2, 14}, {3, 23}, {4, 41}, {5, 19}, {6, 6}}));

  const auto r = sezione(testo_linea, "[curve]");
  ASSERT_EQ(r.size(), 116u);
  EXPECT_EQ(r.front(), "curvad1,  1500,  900");
  EXPECT_EQ(r.back(), "curvad3,  225250,  300");
  EXPECT_EQ(c.back().inizio + c.back().lunghezza, 225550);
  EXPECT_EQ(std::count(r.begin(), r.end(), "curvas2,  12550,  1900"), 1);
  EXPECT_EQ(std::count(r.begin(), r.end(), "curvas6,  140600,  100"), 1);
}

TEST(ContenutoLinea, CurvesAscendDoNotOverlapAndHaveLengthsInSteps) {
  const auto c = curve();
  ASSERT_EQ(c.size(), 116u);
  int contigue = 0;
  int di_1900 = 0;
  for (size_t i = 0; i < c.size(); ++i) {
    EXPECT_EQ(c[i].inizio % 50, 0) << c[i].inizio;
    EXPECT_TRUE(c[i].lunghezza >= 100 && c[i].lunghezza <= 1900 && c[i].lunghezza % 50 == 0)
        << c[i].inizio;
    if (c[i].lunghezza == 1900) ++di_1900;
    if (i == 0) continue;
    const int fine_prec = c[i - 1].inizio + c[i - 1].lunghezza;
    EXPECT_GE(c[i].inizio, fine_prec) << "curve at " << c[i].inizio << " overlaps";
    if (c[i].inizio == fine_prec) ++contigue;
  }
  EXPECT_EQ(contigue, 13);
  EXPECT_EQ(di_1900, 1);  // the 1900 m curve is the only longest
  EXPECT_EQ(c.front().inizio, 1500);
  EXPECT_EQ(c.back().inizio, 225250);
}

TEST(ContenutoLinea, SharpCurvesLieWhereTheLineIsSlow) {
  // radius 333 m at most 75 km/h, 500 m at most 110, 1000 m at most 130
  const std::map<int, int> massimo = {{4, 130}, {5, 110}, {6, 75}};
  for (const auto& k : curve()) {
    auto m = massimo.find(k.classe);
    if (m == massimo.end()) continue;
    EXPECT_LE(limite_massimo(testo_treno, k.inizio, k.inizio + k.lunghezza), m->second)
        << "class " << k.classe << " curve at " << k.inizio;
  }
}

TEST(ContenutoLinea, DirectionBoardsHaveThreeTextsOfOneWidth) {
  const auto r = sezione(righe(testo_linea), "[indicazioni]");
  ASSERT_EQ(r.size(), 2u);
  struct atteso {
    int posizione;
    size_t larghezza;
    std::string primo, terzo;  // empty: any text
  };
  const atteso attesi[] = {{179600, 10, "(Segn.Prot.)", "(lato Cal. )"},
                           {205400, 5, "(Ponte)", ""}};
  for (size_t i = 0; i < 2; ++i) {
    const auto c = campi(r[i]);
    ASSERT_EQ(c.size(), 3u) << r[i];
    EXPECT_EQ(c[0], "cartello_indicatore");
    EXPECT_EQ(c[1], "  " + std::to_string(attesi[i].posizione));
    ASSERT_EQ(c[2].substr(0, 3), "   ") << r[i];
    const std::string testo = c[2].substr(3);
    ASSERT_EQ(testo.size(), 3 * (attesi[i].larghezza + 2)) << r[i];
    std::vector<std::string> parti;
    for (size_t p = 0; p < 3; ++p) {
      const std::string parte =
          testo.substr(p * (attesi[i].larghezza + 2), attesi[i].larghezza + 2);
      EXPECT_EQ(parte.front(), '(') << r[i];
      EXPECT_EQ(parte.back(), ')') << r[i];
      EXPECT_NE(parte[1], ' ') << "text begins with a blank: " << r[i];
      parti.push_back(parte);
    }
    EXPECT_EQ(parti[0], attesi[i].primo);
    if (!attesi[i].terzo.empty()) {
      EXPECT_EQ(parti[2], attesi[i].terzo);
    }
  }
  EXPECT_EQ(campi(r[1])[2], "   (Ponte)(fiume)(Tolva)");

  // the first board announces the Caldone-side protection signal of the
  // station just before it: its second text is that station's name
  std::string stazione;
  for (const auto& riga : sezione(righe(testo_treno), "[stazioni]")) {
    const auto c = campi(riga);
    if (c.size() == 18 && numero(c[1]) <= 179600) stazione = c[17].substr(1);
  }
  std::string nome = campi(r[0])[2].substr(3 + 12 + 1, 10);
  nome.erase(nome.find_last_not_of(' ') + 1);
  EXPECT_EQ(nome, stazione);
}

}  // namespace
}  // namespace scenario
