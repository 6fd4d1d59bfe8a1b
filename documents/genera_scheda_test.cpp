// The train sheet made from the sources: on the shipped sources it gives
// the shipped sheet's rows in every cell the sources can give; on small
// scenarios each kind of row comes out in its place; every sheet made
// passes the layout checks and the agreement checks against its sources.

#include "documents/genera_scheda.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "documents/contenuto.h"
#include "documents/genera_documenti.h"
#include "documents/valori_documenti.h"
#include "prova/accordo_documenti.h"
#include "prova/sorgenti_prova.h"

namespace documenti {
namespace {

using prova::sorgente::fermata;

// The values the shipped sheet shows that its sources do not hold.
constexpr const char* valori_spediti =
    "classificazione, REG\n"
    "massa, 300T\n"
    "locomotiva, E 646\n"
    "apparato, RSC4\n"
    "categoria, V140B\n"
    "banalizzato, 0, 31200\n"
    "banalizzato, 140550, 152300\n"
    "banalizzato, 175250, 227550\n";

// The sheet's lines made from two source texts; every sheet made here
// goes through the layout checks and the agreement checks.
std::vector<std::string> scheda_da(const prova::sorgenti_testo& s, const valori_documenti& v = {}) {
  const documenti_generati d = genera_documenti(prova::carica(s), v);
  EXPECT_EQ(prova::impaginazione_testo(d.scheda, 83), std::vector<std::string>{});
  std::vector<std::string> difetti;
  const auto righe = prova::righe_crlf(d.scheda, difetti);
  EXPECT_EQ(difetti, std::vector<std::string>{});
  EXPECT_EQ(prova::impaginazione_scheda(righe), std::vector<std::string>{});
  EXPECT_EQ(prova::accordo_scheda(righe, s), std::vector<std::string>{});
  return righe;
}

// The cells of a timetable row, a page's underscored last row read back.
struct celle_riga {
  std::string sx, progressiva, traccia, nome, orario, dx, srs;
};

celle_riga celle(std::string r) {
  if (r.find(' ', 1) == std::string::npos) std::replace(r.begin() + 1, r.end(), '_', ' ');
  return {r.substr(2, 5), r.substr(14, 9), r.substr(24, 1), r.substr(26, 22),
          r.substr(49, 19), r.substr(69, 5), r.substr(75, 7)};
}

// The timetable rows with a reading (not rules, headings or spacer rows).
std::vector<celle_riga> righe_con_lettura(const std::vector<std::string>& righe) {
  std::vector<celle_riga> v;
  for (const std::string& r : righe)
    if (r.size() == 83 && r[23] == '|' && r[25] == '|' && r.find_first_not_of("_|", 1) != std::string::npos &&
        celle(r).progressiva != "         ")
      v.push_back(celle(r));
  return v;
}

// The track column by kind: a stroke of the zig-zag, its end, or nothing.
char genere_traccia(const std::string& t) { return t == "\\" ? '/' : t[0]; }

TEST(SchedaGenerata, ShippedSourcesGiveTheShippedRowsInEveryDerivableCell) {
  const auto generata = righe_con_lettura(scheda_da(prova::sorgenti_spedite(), leggi_valori(valori_spediti)));
  const auto spedita = righe_con_lettura(prova::righe_incorporate(testo_scheda));

  // The cells of the shipped sheet that its sources cannot give, by the
  // place's reading on the shipped sheet (README, "What cannot be made").
  const std::map<std::pair<std::string, std::string>, const char*> non_derivabili = {
      {{"187.650", "progressiva"}, "the origin's reading differs from its zone's 187.550"},
      {{"206.600", "orario"}, "passing time; the source gives 0, 0, 0"},
      {{"225.000", "orario"}, "passing time"},
      {{"244.250", "orario"}, "passing time"},
      {{"265.150", "orario"}, "passing time"},
      {{"13.800", "orario"}, "passing time"},
      {{"23.300", "orario"}, "passing time"},
      {{"59.950", "orario"}, "passing time"},
      {{"30.150", "orario"}, "passing time"},
      {{"9.650", "orario"}, "passing time"},
      {{"257.700", "orario"}, "arrival at a long stop (99)"},
      {{"64.250", "orario"}, "arrival at a long stop (99)"},
      {{"80.850", "orario"}, "arrival at a long stop (99) and the bracketed figure"},
      {{"49.300", "orario"}, "the bracketed figure"},
      {{"0.000", "orario"}, "the bracketed figure"},
      {{"87.300", "nome"}, "a protection signal where the limit changes"},
      {{"86.250", "nome"}, "a protection signal where the limit changes"},
      {{"82.500", "nome"}, "a protection signal where the limit changes"},
      {{"47.950", "nome"}, "a protection signal where the limit changes"},
      {{"87.000", "nome"}, "the junction, where a stretch worked both ways begins"},
      {{"52.300", "nome"}, "the crossover, where a stretch worked both ways begins"},
      {{"87.000", "orario"}, "the junction's passing time"},
      {{"87.300", "srs"}, "the stretch without cab signalling: no cancel point in the sources"},
      {{"87.000", "srs"}, "the stretch without cab signalling"},
      {{"86.250", "srs"}, "the stretch without cab signalling"},
      {{"82.500", "srs"}, "the stretch without cab signalling"},
      {{"80.850", "srs"}, "coding taken up again after that stretch"},
  };

  std::map<std::pair<std::string, std::string>, std::string> trovate;
  ASSERT_EQ(generata.size(), 55u);
  for (const celle_riga& g : generata) {
    // The row of the shipped sheet for that place: same reading (the
    // name too where two share it), or same name for the origin.
    const celle_riga* s = nullptr;
    for (const celle_riga& c : spedita)
      if ((c.progressiva == g.progressiva && (!s || c.nome == g.nome)) || (c.nome == g.nome && g.nome[0] != ' '))
        s = &c;
    ASSERT_TRUE(s) << "no row of the shipped sheet at " << g.progressiva << " " << g.nome;
    const std::string lettura = s->progressiva.substr(0, s->progressiva.find_last_not_of(" /") + 1);
    const std::string dove = lettura.substr(lettura.find_first_not_of(' '));
    const std::pair<const char*, bool> confronti[] = {
        {"sx", g.sx == s->sx},         {"progressiva", g.progressiva == s->progressiva},
        {"nome", g.nome == s->nome},   {"orario", g.orario == s->orario},
        {"dx", g.dx == s->dx},         {"srs", g.srs == s->srs},
        {"traccia", genere_traccia(g.traccia) == genere_traccia(s->traccia)}};
    for (const auto& [cella, uguale] : confronti)
      if (!uguale) trovate[{dove, cella}] = g.nome + " [" + (cella == std::string("orario") ? g.orario : g.srs) + "]";
  }
  for (const auto& [dove, riga] : trovate)
    EXPECT_TRUE(non_derivabili.count(dove)) << "km " << dove.first << ", " << dove.second << ": " << riga;
  for (const auto& [dove, perche] : non_derivabili)
    EXPECT_TRUE(trovate.count(dove)) << "km " << dove.first << ", " << dove.second << " agrees now (" << perche << ")";
}

TEST(SchedaGenerata, TheValuesFillTheBoxesAsOnTheShippedSheet) {
  const auto generata = scheda_da(prova::sorgenti_spedite(), leggi_valori(valori_spediti));
  const auto spedita = prova::righe_incorporate(testo_scheda);
  for (int k : {2, 3, 4}) EXPECT_EQ(generata[k], spedita[k]) << "line " << k + 1;
  EXPECT_EQ(generata[5], " |_________________|___CALDONE_PTV__|    Scheda n\xB0 1/2         |_______120%_______|");
  EXPECT_EQ(generata[7], "  __________________________________  Da: TARVENA");
  EXPECT_EQ(generata[8], spedita[8]);
  EXPECT_EQ(generata[9], " |       REG       |      300T      | a:  Cippo Km 82.500      |  E 646  |  RSC4  |");

  // Without the values the boxes stay blank, and no stretch is worked both
  // ways: every change of limit shows "/" for the right-hand track.
  const auto senza = scheda_da(prova::sorgenti_spedite());
  EXPECT_EQ(senza[3], " |                 | Termine scheda |    SCHEDA TRENO          |                  |");
  EXPECT_EQ(senza[9], " |                 |                | a:  Olmara C.le          |         |        |");
  for (const celle_riga& c : righe_con_lettura(senza)) {
    EXPECT_EQ(c.traccia, " ") << c.nome;
    EXPECT_EQ(c.dx, c.sx == "     " ? "     " : "  /  ") << c.nome;
  }
}

// ---------------------------------------------------------------------------
// Small scenarios.

constexpr const char* zona_uno = "progressiva chilometrica uno,    0,    10000,    0\n";
constexpr const char* codici_tutti = "ripetizione segnali 9 codici,    0,    40000\n";
constexpr const char* testata_treno = "numero vetture,    4\npercentuale massa frenata,    100\nvelocita,       0,   100\n";

struct caso {
  const char* nome;
  std::string testata;  // the line source's header records
  std::string treno;    // the train source's records after the header
  std::string valori;   // the values file
  std::vector<std::string> righe;  // rows the sheet must hold, in this order
};

// Origin at 0, a station at 5000, terminus at 10000, with `mezzo` between.
std::string tre(const std::string& mezzo) {
  return fermata(0, 8, 1, 13, 0, 0, "Origine") + mezzo + fermata(10000, 6, 0, 13, 20, 0, "Termine");
}

const std::vector<caso>& casi() {
  static const std::vector<caso> c = {
      {"one stop", std::string(zona_uno) + codici_tutti, tre(fermata(5000, 22, 60, 13, 10, 0, "Fermata")), "",
       {" | 100 |     |  10.000 | |Origine               |        13.00      |  /  |COD COD|",
        " |     |     |  15.000 | |Fermata               |13.09   13.10      |     | :   : |",
        " |     |     |  20.000 | |Termine               |13.20              |     | :   : |"}},
      {"a passing point with a time and one without, a halt without protection signals",
       std::string(zona_uno) + codici_tutti,
       tre(fermata(3000, 22, 0, 13, 6, 0, "Transito") + fermata(5000, 28, 30, 13, 10, 0, "Fermata") +
           fermata(7000, 28, 0, 0, 0, 0, "Senza ora")),
       "",
       {" |     |     |  13.000 | |Transito              |    13.06          |     | :   : |",
        " |     |     |  15.000 | |Fermata*              |13.09.+ 13.10      |     | :   : |",
        " |     |     |  17.000 | |Senza ora             |                   |     | :   : |"}},
      {"half minutes", std::string(zona_uno) + codici_tutti,
       fermata(0, 8, 1, 13, 0, 45, "Origine") + fermata(5000, 22, 0, 13, 10, 30, "Transito") +
           fermata(10000, 6, 0, 13, 20, 40, "Termine"),
       "",
       {" | 100 |     |  10.000 | |Origine               |        13.00.+    |  /  |COD COD|",
        " |     |     |  15.000 | |Transito              |    13.10.+        |     | :   : |",
        " |     |     |  20.000 | |Termine               |13.20.+            |     | :   : |"}},
      {"a falling kilometre zone mid-page, and a limit changing between stations",
       std::string(zona_uno) + "progressiva chilometrica due,    6000,    30000,    1\n" + codici_tutti,
       "velocita,    3000,    80\n" + tre(fermata(5000, 22, 60, 13, 10, 0, "Fermata")), "",
       {" |  80 |     |  13.000 | |Cippo Km 13.000       |                   |  /  | :   : |",
        " |     |     |  15.000 | |Fermata               |13.09   13.10      |     | :   : |",
        " |     |     |  16.000/| |Cippo Km 16.000       |                   |     | :   : |",
        " |     |     |  24.000 | |                      |                   |     | :   : |",
        " |     |     |  20.000 | |Termine               |13.20              |     | :   : |"}},
      {"no cab signalling", zona_uno, tre(fermata(5000, 22, 60, 13, 10, 0, "Fermata")), "",
       {" | 100 |     |  10.000 | |Origine               |        13.00      |  /  |       |",
        " |     |     |  15.000 | |Fermata               |13.09   13.10      |     |       |",
        " |     |     |  20.000 | |Termine               |13.20              |     |       |"}},
      {"coding cancelled and taken up again", std::string(zona_uno) + codici_tutti,
       "abbattimento,    4000,     0\nabbattimento,    7000,   270\n" +
           tre(fermata(5000, 22, 60, 13, 10, 0, "Fermata") + fermata(8000, 22, 60, 13, 15, 0, "Dopo")),
       "",
       {" |     |     |  15.000 | |Fermata               |13.09   13.10      |     |       |",
        " |     |     |  18.000 | |Dopo                  |13.14   13.15      |     |COD COD|",
        " |     |     |  20.000 | |Termine               |13.20              |     | :   : |"}},
      {"a stretch worked in both directions", std::string(zona_uno) + codici_tutti,
       "velocita,    2000,    80\n" + tre(fermata(5000, 22, 60, 13, 10, 0, "Fermata")),
       "banalizzato, 1000, 5000\n",
       {" | 100 |     |  10.000 | |Origine               |        13.00      |  /  |COD COD|",
        " |     |     |  11.000 |/|Cippo Km 11.000       |                   | 100 | :   : |",
        " |  80 |     |  12.000 |\\|Cippo Km 12.000       |                   |  80 | :   : |",
        " |     |     |  15.000 |-|Fermata               |13.09   13.10      | ___ | :   : |",
        " |     |     |  20.000 | |Termine               |13.20              |     | :   : |"}},
  };
  return c;
}

TEST(SchedaGenerata, SmallScenariosGiveEachKindOfRowInItsPlace) {
  for (const caso& c : casi()) {
    SCOPED_TRACE(c.nome);
    const prova::sorgenti_testo s{prova::sorgente::linea("", 20000, c.testata),
                                  prova::sorgente::treno(testata_treno + c.treno)};
    const auto righe = scheda_da(s, leggi_valori(c.valori));
    auto da = righe.begin();
    for (const std::string& attesa : c.righe) {
      const auto trovata = std::find(da, righe.end(), attesa);
      EXPECT_NE(trovata, righe.end()) << attesa;
      if (trovata != righe.end()) da = trovata + 1;
    }
  }
}

TEST(SchedaGenerata, RowsBeyondOnePageGoOnTheNextWithAZoneChangeAcrossTheBreak) {
  // 31 stations, then the zone ends: its last reading is the page's 32nd
  // row, the new reading the next page's first.
  std::string treno = testata_treno;
  for (int k = 0; k < 31; ++k) treno += fermata(1000 * k, k == 0 ? 8 : 22, 30, 13, k, 0, "Stazione " + std::to_string(k));
  for (int k = 31; k < 40; ++k) treno += fermata(1000 * k, k == 39 ? 6 : 22, 30, 13, k, 0, "Stazione " + std::to_string(k));
  const prova::sorgenti_testo s{
      prova::sorgente::linea("", 50000,
                             std::string(zona_uno) + "progressiva chilometrica due,    30500,    0,    0\n" +
                                 "ripetizione segnali 9 codici,    0,    50000\n"),
      prova::sorgente::treno(treno)};
  const auto righe = scheda_da(s);
  const auto pagina = [&](const std::string& testo) { return std::find(righe.begin(), righe.end(), testo) - righe.begin(); };
  const auto fine_uno = pagina(" |_____|_____|__40.500/|_|Cippo_Km_40.500_______|___________________|_____|_:___:_|");
  const auto inizio_due = pagina(" |     |     |  30.500 | |                      |                   |     | :   : |");
  ASSERT_LT(fine_uno, static_cast<long>(righe.size()));
  ASSERT_LT(inizio_due, static_cast<long>(righe.size()));
  EXPECT_EQ(righe[static_cast<size_t>(inizio_due - 1)],
            " |_Max.|_Mar.|__________________________________|___________________|__DX_|_______|");
  EXPECT_NE(std::find_if(righe.begin(), righe.end(),
                         [](const std::string& r) { return r.find("Scheda n\xB0 2/2") != std::string::npos; }),
            righe.end());
  EXPECT_EQ(righe[static_cast<size_t>(inizio_due - 9)], "  __________________________________  Da: STAZIONE 31");
}

TEST(SchedaGenerata, ANameWithAByteThatPrintsNothingShowsAQuestionMark) {
  // A byte Windows-1252 leaves undefined and a control character.
  const prova::sorgenti_testo s{prova::sorgente::linea("", 20000, zona_uno),
                                prova::sorgente::treno(testata_treno + tre(fermata(5000, 22, 60, 13, 10, 0, "Ab\x81" "c\x7F")))};
  const documenti_generati d = genera_documenti(prova::carica(s), {});
  EXPECT_EQ(prova::impaginazione_testo(d.scheda, 83), std::vector<std::string>{});
  EXPECT_NE(d.scheda.find(" |     |     |  15.000 | |Ab?c?                 |13.09   13.10      |     |       |\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace documenti
