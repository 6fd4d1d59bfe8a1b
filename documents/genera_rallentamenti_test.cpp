// The slowdown order form made from the sources: the shipped sources give
// the shipped blank form byte for byte; each slowdown is a numbered row in
// its place; more than a page's rows take more pages; every form made
// passes the layout checks and the agreement checks.

#include "documents/genera_rallentamenti.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "documents/contenuto.h"
#include "documents/genera_documenti.h"
#include "prova/accordo_documenti.h"
#include "prova/sorgenti_prova.h"

namespace documenti {
namespace {

using prova::sorgente::fermata;

// The form's lines made from two source texts, through the checks.
std::vector<std::string> modulo_da(const prova::sorgenti_testo& s) {
  const documenti_generati d = genera_documenti(prova::carica(s), {});
  EXPECT_EQ(prova::impaginazione_testo(d.rallentamenti, 82), std::vector<std::string>{});
  std::vector<std::string> difetti;
  const auto righe = prova::righe_crlf(d.rallentamenti, difetti);
  EXPECT_EQ(prova::impaginazione_rallentamenti(righe), std::vector<std::string>{});
  EXPECT_EQ(prova::accordo_rallentamenti(righe, s), std::vector<std::string>{});
  return righe;
}

prova::sorgenti_testo scenario_con(const std::string& stazioni, const std::string& rallentamenti) {
  return {prova::sorgente::linea("", 40000, "progressiva chilometrica uno,    0,    10000,    0\n"),
          prova::sorgente::treno("velocita,       0,   100\n" + rallentamenti + stazioni)};
}

TEST(ModuloGenerato, TheShippedSourcesGiveTheShippedBlankFormByteForByte) {
  const documenti_generati d = genera_documenti(prova::carica(prova::sorgenti_spedite()), {});
  std::string atteso;
  for (const std::string& r : prova::righe_incorporate(testo_rallentamenti)) atteso += r + "\r\n";
  EXPECT_EQ(d.rallentamenti, atteso);
}

TEST(ModuloGenerato, ASlowdownBetweenTwoStationsAndOneInsideAStation) {
  const auto righe = modulo_da(scenario_con(
      fermata(0, 8, 1, 13, 0, 0, "Origine") + fermata(10000, 22, 60, 13, 10, 0, "Mezzo") +
          fermata(20000, 6, 0, 13, 20, 0, "Termine"),
      "rallentamento,    4000,   60,  400, 0, 1, 0\nrallentamento,   10000,   30,  100, 0, 0, 0\n"));
  ASSERT_EQ(righe.size(), 46u);
  EXPECT_EQ(righe[12], " | 1 | Origine - Mezzo            |   14.000   | 60 km/h  |     400 |            |");
  EXPECT_EQ(righe[13], " | 2 | Mezzo                      |   20.000   | 30 km/h  |     100 |            |");
  EXPECT_EQ(righe[14], " |   |                            |            |          |         |            |");
  EXPECT_EQ(righe[1], "                               Modulo M. 3");
}

TEST(ModuloGenerato, MoreSlowdownsThanAPageHoldsTakeMorePagesAndAPlaceTooLongWraps) {
  // Thirty slowdowns 500 m apart, between two stations.
  std::string rallentamenti;
  for (int k = 0; k < 30; ++k)
    rallentamenti += "rallentamento, " + std::to_string(2000 + 500 * k) + ", 50, 100, 0, 0, 0\n";
  const auto righe = modulo_da(scenario_con(
      fermata(0, 8, 1, 13, 0, 0, "Origine") + fermata(30000, 6, 0, 13, 20, 0, "Termine"), rallentamenti));
  ASSERT_EQ(righe.size(), 92u);
  EXPECT_EQ(righe[1], "                               Modulo M. 3   foglio 1/2");
  EXPECT_EQ(righe[47], "                               Modulo M. 3   foglio 2/2");
  EXPECT_EQ(righe[37], " |26 | Origine - Termine          |   24.500   | 50 km/h  |     100 |            |");
  EXPECT_EQ(righe[46 + 12], " |27 | Origine - Termine          |   25.000   | 50 km/h  |     100 |            |");
  EXPECT_EQ(righe[46 + 16], " |   |                            |            |          |         |            |");

  // Names too long for one line: the place goes on over the next, with
  // its slowdown's line kept on the same page.
  const auto lunghe = modulo_da(scenario_con(
      fermata(0, 8, 1, 13, 0, 0, "Stazione di Partenza") + fermata(30000, 6, 0, 13, 20, 0, "Arrivo Lontano"),
      "rallentamento,    4000,   60,  400, 0, 0, 0\n"));
  EXPECT_EQ(lunghe[12], " | 1 | Stazione di Partenza -     |   14.000   | 60 km/h  |     400 |            |");
  EXPECT_EQ(lunghe[13], " |   | Arrivo Lontano             |            |          |         |            |");
}

TEST(ModuloGenerato, PlacesBeforeTheFirstAndAfterTheLastStation) {
  corsa c;
  c.stazioni.push_back({});
  c.stazioni.back().nome = "A";
  c.stazioni.back().progressiva = 1000;
  c.stazioni.back().inizio = 850;
  c.stazioni.back().fine = 1150;
  c.stazioni.push_back(c.stazioni.back());
  c.stazioni.back().nome = "B";
  c.stazioni.back().progressiva = 5000;
  c.stazioni.back().inizio = 4850;
  c.stazioni.back().fine = 5150;
  EXPECT_EQ(luogo_rallentamento(c, 200), "- A");
  EXPECT_EQ(luogo_rallentamento(c, 1150), "A");
  EXPECT_EQ(luogo_rallentamento(c, 1151), "A - B");
  EXPECT_EQ(luogo_rallentamento(c, 6000), "B -");
  EXPECT_EQ(luogo_rallentamento(corsa{}, 6000), "");
}

}  // namespace
}  // namespace documenti
