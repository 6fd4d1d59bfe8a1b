// The agreement checks of prova/accordo_documenti.h catch what they are
// for: each of these faults, made in a document that agrees with its
// sources, is reported.

#include "prova/accordo_documenti.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/contenuto.h"
#include "documents/genera_documenti.h"
#include "prova/sorgenti_prova.h"

namespace documenti {
namespace {

struct guasto {
  const char* cosa;
  std::string da;  // replaced, first occurrence, by
  std::string a;
};

// The document with `g` made in it; fails the test when `da` is not there.
std::vector<std::string> guasta(std::vector<std::string> righe, const guasto& g) {
  for (std::string& r : righe)
    if (const size_t k = r.find(g.da); k != std::string::npos) {
      r.replace(k, g.da.size(), g.a);
      return righe;
    }
  ADD_FAILURE() << g.cosa << ": no line holds " << g.da;
  return righe;
}

TEST(AccordoDocumenti, EachFaultInTheSheetIsReported) {
  const auto s = prova::sorgenti_spedite();
  const auto scheda = prova::righe_incorporate(testo_scheda);
  ASSERT_EQ(prova::accordo_scheda(scheda, s, 100), std::vector<std::string>{});
  const guasto guasti[] = {
      {"a departure", "14.05   14.06", "14.05   14.07"},
      {"an arrival", "14.05   14.06", "14.04   14.06"},
      {"a passing time given where the source gives a time", "        13.55", "    13.55    "},
      {"a reading", "| 199.450 |", "| 199.950 |"},
      {"an asterisk lost", "Borgo Tarvena*", "Borgo Tarvena "},
      {"an asterisk too many", "Casalvetra ", "Casalvetra*"},
      {"a station missing", "Casalvetra", "Casolvetra"},
      {"a limit", " | 125 |     | 206.600", " | 120 |     | 206.600"},
      {"a limit where none changes", " |     |     | 212.150", " |  90 |     | 212.150"},
      {"the zig-zag", "|\\|Borgo Tarvena*", "|/|Borgo Tarvena*"},
      {"the coding's start", "|COD COD|", "| :   : |"},
      {"coding where the line has none", "|   4.150 |/|Caldone Nord          |17.27.+ 17.28      |     |       |",
       "|   4.150 |/|Caldone Nord          |17.27.+ 17.28      |     | :   : |"},
      {"the end of a zone", "287.550/", "287.500/"},
      {"the new zone's reading", "|   0.000 | |                      |", "|   0.050 | |                      |"},
      {"a kilometre post's name", "Cippo Km 216.000", "Cippo Km 216.500"},
      {"the right-hand cell of a changing limit", " | 120 |     | 231.350 | |Valdorsa*             |14.29.+ 14.30      |  /  |",
       " | 120 |     | 231.350 | |Valdorsa*             |14.29.+ 14.30      |     |"},
  };
  for (const guasto& g : guasti)
    EXPECT_NE(prova::accordo_scheda(guasta(scheda, g), s, 100), std::vector<std::string>{}) << g.cosa;

  // The layout: a row one character short, a page that is not closed.
  auto corta = scheda;
  corta[20].pop_back();
  EXPECT_NE(prova::impaginazione_scheda(corta), std::vector<std::string>{});
  EXPECT_NE(prova::impaginazione_scheda(std::vector<std::string>(scheda.begin(), scheda.begin() + 30)),
            std::vector<std::string>{});
  EXPECT_NE(prova::impaginazione_testo("riga\r\nsenza fine", 83), std::vector<std::string>{});
  EXPECT_NE(prova::impaginazione_testo("una \x81\r\n", 83), std::vector<std::string>{});
}

TEST(AccordoDocumenti, EachFaultInTheNotesIsReported) {
  const auto s = prova::sorgenti_spedite();
  const auto note = prova::righe_incorporate(testo_note);
  const auto scheda = prova::righe_incorporate(testo_scheda);
  ASSERT_EQ(prova::accordo_note(note, s, scheda), std::vector<std::string>{});
  const guasto guasti[] = {
      {"the number of stops", "27 fermate", "26 fermate"},
      {"a long stop", "Castel Brunora, Olmara C.le", "Castel Brunora, Pontevia"},
      {"the braked mass", "120%", "110%"},
      {"the departure", "alle 13.55", "alle 13.56"},
      {"the length", "227 km di linea", "228 km di linea"},
      {"a change of zone", "a 96.100", "a 96.000"},
      {"a reduction", "da 140 a 75 km/h", "da 140 a 70 km/h"},
      {"a code point", "km 29.850 e al km 28.700", "km 29.900 e al km 28.700"},
      {"the cab-signalling system", "a 9 codici", "a 4 codici"},
      {"a reading beside a name", "Caldone Nord (km 5.400)", "Caldone Nord (km 15.400)"},
      {"slowdowns where there are none", "ci sono rallentamenti", "ci sono 2 rallentamenti"},
  };
  for (const guasto& g : guasti)
    EXPECT_NE(prova::accordo_note(guasta(note, g), s, scheda), std::vector<std::string>{}) << g.cosa;
}

TEST(AccordoDocumenti, EachFaultInTheFormIsReported) {
  const prova::sorgenti_testo s{
      prova::sorgente::linea("", 20000, "progressiva chilometrica uno,    0,    10000,    0\n"),
      prova::sorgente::treno("velocita, 0, 100\nrallentamento, 3000, 30, 400, 0, 0, 0\n" +
                             prova::sorgente::fermata(0, 8, 1, 13, 0, 0, "Origine") +
                             prova::sorgente::fermata(10000, 6, 0, 13, 20, 0, "Termine"))};
  const documenti_generati d = genera_documenti(prova::carica(s), {});
  std::vector<std::string> difetti;
  const auto modulo = prova::righe_crlf(d.rallentamenti, difetti);
  ASSERT_EQ(prova::accordo_rallentamenti(modulo, s), std::vector<std::string>{});
  const guasto guasti[] = {
      {"the number", "| 1 |", "| 2 |"},
      {"the place", "Origine - Termine", "Termine - Origine"},
      {"the reading", "13.000", "13.050"},
      {"the speed", "30 km/h", "40 km/h"},
      {"the length", "    400 ", "    500 "},
      {"the row", " | 1 |", " |   |"},
  };
  for (const guasto& g : guasti)
    EXPECT_NE(prova::accordo_rallentamenti(guasta(modulo, g), s), std::vector<std::string>{}) << g.cosa;
  // The shipped blank form agrees with the shipped sources, and not with these.
  const auto spedito = prova::righe_incorporate(testo_rallentamenti);
  EXPECT_EQ(prova::accordo_rallentamenti(spedito, prova::sorgenti_spedite()), std::vector<std::string>{});
  EXPECT_NE(prova::accordo_rallentamenti(spedito, s), std::vector<std::string>{});
  EXPECT_EQ(prova::impaginazione_rallentamenti(spedito), std::vector<std::string>{});
}

}  // namespace
}  // namespace documenti
