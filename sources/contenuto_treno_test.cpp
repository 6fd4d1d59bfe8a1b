// Content rules of the shipped train source: sections, field widths, the
// speed profile, stations and timetable, signals and cab-code points, and the
// rule that no two features claim one 50 m cell. Reads the embedded text with
// a parser of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/modello.h"
#include "sources/contenuto.h"
#include "sources/testo_prova.h"

namespace scenario {
namespace {

using namespace prova;

// The numeric fields of every record of a section.
std::vector<std::vector<int>> numeri(const std::string& nome) {
  std::vector<std::vector<int>> r;
  for (const auto& riga : sezione(testo_treno, nome)) {
    const auto c = campi(riga);
    std::vector<int> n;
    for (size_t i = 1; i < c.size(); ++i)
      if (e_numero(c[i])) n.push_back(numero(c[i]));
    r.push_back(n);
  }
  return r;
}

// One station row, fields in file order.
struct stazione {
  int posizione, classe, lunghezza, opzione1, opzione5, opzione4;
  int dato1, dato2, opzione2, dato3, dato4, dato5, sosta, ore, minuti, secondi;
  std::string nome;
  int orario() const { return (ore * 60 + minuti) * 60 + secondi; }
  // Station area as the loader derives it from class and length.
  int inizio() const {
    if (classe == 5 || classe == 6 || classe == 7 || classe == 8) return posizione - lunghezza;
    return arrotonda(static_cast<double>(posizione) - lunghezza / 2.0);
  }
  int fine() const {
    if (classe == 5 || classe == 6) return posizione + 150;
    if (classe == 7 || classe == 8) return posizione + lunghezza;
    return arrotonda(static_cast<double>(posizione) + lunghezza / 2.0 + (opzione4 != 0 ? 50 : 0));
  }
  bool passata() const { return sosta == 0 && ore == 0 && minuti == 0 && secondi == 0; }
};

// Parses the station rows; a row without its 17 fields fails the test.
std::vector<stazione> stazioni() {
  std::vector<stazione> r;
  for (const auto& riga : sezione(testo_treno, "[stazioni]")) {
    const auto c = campi(riga);
    EXPECT_EQ(c.size(), 18u) << riga;
    if (c.size() != 18) continue;
    int n[16];
    for (size_t i = 0; i < 16; ++i) n[i] = numero(c[i + 1]);
    r.push_back({n[0], n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9], n[10], n[11], n[12],
                 n[13], n[14], n[15], c[17].substr(c[17].empty() ? 0 : 1)});
  }
  return r;
}

// Speed limit rows as (from, km/h).
std::vector<std::pair<int, int>> velocita() {
  std::vector<std::pair<int, int>> r;
  for (const auto& n : numeri("[vel_limite]"))
    if (n.size() == 2) r.emplace_back(n[0], n[1]);
  return r;
}

TEST(ContenutoTreno, SectionsInOrderWithTheirRecordCounts) {
  const auto r = righe(testo_treno);
  ASSERT_EQ(r.size(), 269u);
  std::vector<std::string> intestazioni;
  std::vector<size_t> dove;
  for (size_t i = 0; i < r.size(); ++i)
    if (intestazione(r[i])) {
      intestazioni.push_back(r[i]);
      dove.push_back(i);
    }
  const std::vector<std::string> attese = {"[generale]", "[aderenze]",      "[vel_limite]",
                                           "[stazioni]", "[rallentamenti]", "[segnali]",
                                           "[codici]",   "[fine]"};
  ASSERT_EQ(intestazioni, attese);
  EXPECT_EQ(dove.front(), 0u);
  EXPECT_EQ(dove.back(), r.size() - 1);
  // no slowdown: "[rallentamenti]" is followed directly by "[segnali]"
  const std::vector<size_t> conte = {4, 5, 23, 38, 0, 119, 72};
  for (size_t s = 0; s + 1 < dove.size(); ++s)
    EXPECT_EQ(dove[s + 1] - dove[s] - 1, conte[s]) << intestazioni[s];
}

TEST(ContenutoTreno, HeaderLinesExactlyAndOnlyTheClockEndsWithABlank) {
  const auto r = righe(testo_treno);
  ASSERT_GE(r.size(), 12u);
  const std::vector<std::string> attese = {"[generale]",
                                           "numero vetture,    8",
                                           "percentuale massa frenata,    120",
                                           "sabbia,    200",
                                           "orologio,    13              55            20 ",
                                           "[aderenze]",
                                           "aderenza,       0,    90",
                                           "aderenza,   91300,    95",
                                           "aderenza,  127800,    85",
                                           "aderenza,  151300,    90",
                                           "aderenza,  222650,    85",
                                           "[vel_limite]"};
  EXPECT_EQ(std::vector<std::string>(r.begin(), r.begin() + 12), attese);
  EXPECT_EQ(r[4].size(), 46u);
  for (size_t i = 0; i < r.size(); ++i) {
    EXPECT_FALSE(r[i].empty());
    if (i != 4) {
      EXPECT_FALSE(!r[i].empty() && r[i].back() == ' ') << "'" << r[i] << "'";
    }
    for (unsigned char ch : r[i]) EXPECT_TRUE(ch >= 0x20 && ch < 0x7f) << r[i];
  }
}

TEST(ContenutoTreno, EveryRecordHasTheFieldWidthsOfItsKind) {
  struct tipo {
    std::string sezione, parola;
    std::vector<size_t> larghezze;  // characters between one comma and the next
    bool coda;                      // then a comma, one blank and a last field
  };
  const tipo tipi[] = {
      {"[aderenze]", "aderenza", {8, 6}, false},
      {"[vel_limite]", "velocita", {8, 6}, false},
      {"[stazioni]", "stazione", {8, 3, 5, 3, 2, 2, 3, 1, 1, 3, 1, 1, 5, 4, 2, 2}, true},
      {"[segnali]", "segnale", {8, 4, 2, 2, 3, 2, 5, 3, 1, 1}, true},
      {"[codici]", "abbattimento", {8, 6}, false},
  };
  for (const auto& t : tipi)
    for (const auto& riga : sezione(testo_treno, t.sezione)) {
      const auto c = campi(riga);
      ASSERT_EQ(c.size(), 1 + t.larghezze.size() + (t.coda ? 1 : 0)) << riga;
      EXPECT_EQ(c[0], t.parola) << riga;
      for (size_t i = 0; i < t.larghezze.size(); ++i) {
        EXPECT_EQ(c[i + 1].size(), t.larghezze[i]) << "field " << i + 1 << " of " << riga;
        EXPECT_TRUE(e_numero(c[i + 1])) << "field " << i + 1 << " of " << riga;
      }
      if (t.coda) {
        EXPECT_EQ(c.back().substr(0, 1), " ") << riga;
        EXPECT_GT(c.back().size(), 1u) << riga;
        EXPECT_NE(c.back().substr(1, 1), " ") << riga;
      }
    }
}

TEST(ContenutoTreno, SpeedProfile) {
  const auto v = velocita();
  ASSERT_EQ(v.size(), 23u);
  EXPECT_EQ(v.front().first, 0);
  EXPECT_EQ(v.back().first, 224800);
  std::map<int, int> quante;
  for (size_t i = 0; i < v.size(); ++i) {
    if (i > 0) {
      EXPECT_GT(v[i].first, v[i - 1].first);
      EXPECT_NE(v[i].second, v[i - 1].second) << "row " << v[i].first << " changes nothing";
    }
    EXPECT_TRUE(v[i].second >= 60 && v[i].second <= 140 && v[i].second % 5 == 0) << v[i].first;
    ++quante[v[i].second];
  }
  EXPECT_EQ(quante[60], 2);
  EXPECT_EQ(quante[140], 6);
  const auto r = sezione(testo_treno, "[vel_limite]");
  for (const char* atteso :
       {"velocita,       0,   140", "velocita,  140250,    60", "velocita,  224800,   115"})
    EXPECT_EQ(std::count(r.begin(), r.end(), atteso), 1) << atteso;
}

TEST(ContenutoTreno, StationsClassesOptionsAndStopTimes) {
  const auto s = stazioni();
  ASSERT_EQ(s.size(), 38u);
  std::map<int, int> classi;
  int opz1 = 0, opz5 = 0, passate = 0, lunghe = 0;
  std::vector<std::string> opz4;
  std::set<std::string> nomi;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto& t = s[i];
    const bool prima = i == 0, ultima = i + 1 == s.size();
    ++classi[t.classe];
    EXPECT_EQ(t.classe == 8, prima) << t.nome;
    EXPECT_EQ(t.classe == 6, ultima) << t.nome;
    EXPECT_EQ(t.posizione % 50, 0) << t.nome;
    if (i > 0) {
      EXPECT_GT(t.posizione, s[i - 1].posizione) << t.nome;
    }
    EXPECT_TRUE(t.lunghezza >= 200 && t.lunghezza <= 600 && t.lunghezza % 100 == 0) << t.nome;
    EXPECT_TRUE(t.opzione1 == 0 || t.opzione1 == 1) << t.nome;
    opz1 += t.opzione1 == 1;
    // opzione5 is kept only for a 600 m station
    EXPECT_TRUE(t.opzione5 == 0 || (t.opzione5 == 1 && t.lunghezza == 600 && !prima)) << t.nome;
    opz5 += t.opzione5 == 1;
    EXPECT_TRUE(t.opzione4 == 0 || (t.opzione4 == 1 && !prima && (t.classe < 5 || t.classe > 8)))
        << t.nome;
    if (t.opzione4 == 1) opz4.push_back(t.nome);
    EXPECT_TRUE(t.dato1 == 0 || t.dato1 == 1 || t.dato1 == 4) << t.nome;
    EXPECT_TRUE(t.dato2 == 0 || t.dato2 == 1) << t.nome;
    EXPECT_EQ(t.opzione2, 0) << t.nome;
    EXPECT_TRUE(t.dato3 == 0 || (t.dato3 >= 2 && t.dato3 <= 4)) << t.nome;
    EXPECT_TRUE(t.dato4 == 0 || t.dato4 == 1 || t.dato4 == 4) << t.nome;
    EXPECT_TRUE(t.dato5 == 0 || t.dato5 == 1) << t.nome;
    if (prima) {
      EXPECT_EQ(t.sosta, 1);
    } else if (ultima) {
      EXPECT_EQ(t.sosta, 0);
    } else if (t.sosta == 0) {
      ++passate;  // passed without stopping: no time either
      EXPECT_TRUE(t.passata()) << t.nome;
      EXPECT_NE(t.classe, 28) << "a halt is a stopping place: " << t.nome;
    } else {
      EXPECT_TRUE(t.sosta == 30 || t.sosta == 60 || t.sosta == 99) << t.nome;
      lunghe += t.sosta == 99;
      EXPECT_EQ(t.secondi, 0) << "departures are on the minute: " << t.nome;
    }
    EXPECT_TRUE(nomi.insert(t.nome).second) << "two stations named " << t.nome;
    EXPECT_LE(t.nome.size(), 22u) << t.nome;
  }
  EXPECT_EQ(classi,
            (std::map<int, int>{{2, 2}, {4, 3}, {6, 1}, {8, 1}, {12, 6}, {22, 14}, {28, 11}}));
  EXPECT_EQ(opz1, 4);
  EXPECT_TRUE(s.front().opzione1 == 1 && s.back().opzione1 == 1);
  EXPECT_EQ(opz5, 1);
  ASSERT_EQ(opz4.size(), 3u);  // the three stations nearest the terminus
  EXPECT_EQ(opz4, (std::vector<std::string>{s[34].nome, s[35].nome, s[36].nome}));
  EXPECT_EQ(passate, 9);
  EXPECT_EQ(lunghe, 3);

  const auto r = sezione(testo_treno, "[stazioni]");
  EXPECT_EQ(r.front(),
            "stazione,       0,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20, Tarvena");
  EXPECT_EQ(
      r.back(),
      "stazione,  227550,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  17,32, 0, Caldone P.T.V.");
  const std::string passata =
      "stazione,   19050, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, ";
  EXPECT_EQ(std::count_if(r.begin(), r.end(),
                          [&](const std::string& riga) {
                            return riga.rfind(passata, 0) == 0 && riga.size() > passata.size();
                          }),
            1);
}

TEST(ContenutoTreno, TimetableFactsTheTrainSheetPrints) {
  struct caso {
    int posizione;
    std::string nome;
    int sosta, orario;  // departure of an intermediate stop, arrival at the terminus
  };
  const caso casi[] = {
      {0, "Tarvena", 1, (13 * 60 + 55) * 60 + 20},
      {146700, "Olmara C.le", 99, (16 * 60 + 5) * 60},  // arrives 16:00
      {178250, "Varzenna", 60, (16 * 60 + 46) * 60},    // arrives 16:45, end of page 2
      {227550, "Caldone P.T.V.", 0, (17 * 60 + 32) * 60},
  };
  const auto s = stazioni();
  for (const auto& c : casi) {
    auto it = std::find_if(s.begin(), s.end(),
                           [&](const stazione& t) { return t.posizione == c.posizione; });
    ASSERT_NE(it, s.end()) << c.nome;
    EXPECT_EQ(it->nome, c.nome);
    EXPECT_EQ(it->sosta, c.sosta) << c.nome;
    EXPECT_EQ(it->orario(), c.orario) << c.nome;
  }
  // 16 stations up to the post at km 10.000 (chainage 110000), 13 more up to
  // the stop at 178250, 9 from there to the terminus
  const auto fino_a = [&](int x) {
    return std::count_if(s.begin(), s.end(), [&](const stazione& t) { return t.posizione <= x; });
  };
  EXPECT_EQ(fino_a(110000), 16);
  EXPECT_EQ(fino_a(178250), 29);
  // halts without protection signals appear only on the first two pages
  for (const auto& t : s)
    if (t.classe == 28) {
      EXPECT_LT(t.posizione, 178250) << t.nome;
    }
}

TEST(ContenutoTreno, TimetableIsRunnable) {
  // between consecutive timed stations the average speed lies between
  // 30 km/h and the highest limit in force between them
  std::vector<stazione> fermate;
  for (const auto& t : stazioni())
    if (!t.passata()) fermate.push_back(t);
  ASSERT_EQ(fermate.size(), 29u);
  for (size_t i = 1; i < fermate.size(); ++i) {
    const auto& a = fermate[i - 1];
    const auto& b = fermate[i];
    const int secondi = b.orario() - a.orario();
    ASSERT_GT(secondi, 0) << a.nome << " -> " << b.nome;
    const double kmh = static_cast<double>(b.posizione - a.posizione) / secondi * 3.6;
    EXPECT_GE(kmh, 30.0) << a.nome << " -> " << b.nome;
    EXPECT_LE(kmh, static_cast<double>(limite_massimo(testo_treno, a.posizione, b.posizione)))
        << a.nome << " -> " << b.nome;
  }
}

TEST(ContenutoTreno, StationAreasKeepTheirDistanceAndHaveAStopCell) {
  const auto s = stazioni();
  ASSERT_EQ(s.size(), 38u);
  const int ultima_cella = 4691;  // (227550 + 7000) / 50
  for (size_t i = 0; i < s.size(); ++i) {
    const auto& t = s[i];
    EXPECT_LE((t.posizione + 800) / 50.0, ultima_cella) << t.nome;
    if (t.classe < 25) {
      EXPECT_GT(t.fine() / 50.0 - 1, 1.0) << t.nome;
    }
    if (i > 0) {
      EXPECT_GE(t.inizio() - 350, s[i - 1].fine()) << t.nome << " is too near the station before";
    }
  }
  // the loader's own examples of station areas
  EXPECT_EQ(s.front().inizio(), -400);
  EXPECT_EQ(s.front().fine(), 400);
  EXPECT_EQ(s.back().inizio(), 227050);
  EXPECT_EQ(s.back().fine(), 227700);
}

TEST(ContenutoTreno, SignalsValuesAndLineLengths) {
  const auto n = numeri("[segnali]");
  const auto r = sezione(testo_treno, "[segnali]");
  ASSERT_EQ(n.size(), 119u);
  const std::vector<std::set<int>> ammessi = {{2},          {2, 3, 4, 5}, {0, 1, 3, 4, 5, 6},
                                              {0, 1},       {0, 1},       {0, 1, 2},
                                              {0, 1, 2, 3}, {0, 1},       {0, 1}};
  for (size_t i = 0; i < n.size(); ++i) {
    ASSERT_EQ(n[i].size(), 11u) << r[i];
    if (i > 0) {
      EXPECT_GT(n[i][0], n[i - 1][0]) << r[i];
    }
    for (size_t k = 0; k < ammessi.size(); ++k)
      EXPECT_EQ(ammessi[k].count(n[i][k + 1]), 1u) << "field " << k + 2 << " of " << r[i];
    EXPECT_EQ(n[i][5] == 1, n[i][0] == 140250) << r[i];        // rapp
    EXPECT_EQ(n[i][10], n[i][0] == 145050 ? 255 : 0) << r[i];  // tempo
    EXPECT_EQ(r[i].size(), n[i][10] == 255 ? 53u : 51u) << r[i];
  }
  EXPECT_EQ(n.front()[0], 2500);
  EXPECT_EQ(n.back()[0], 226050);
  for (const char* atteso : {"segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0",
                             "segnale,   88350,   2, 4, 0,  0, 0,    0,  0,0,0, 0",
                             "segnale,  140250,   2, 2, 5,  1, 1,    2,  2,1,1, 0",
                             "segnale,  145050,   2, 3, 4,  1, 0,    2,  3,1,1, 255"})
    EXPECT_EQ(std::count(r.begin(), r.end(), atteso), 1) << atteso;
}

TEST(ContenutoTreno, CabCodePoints) {
  const auto n = numeri("[codici]");
  ASSERT_EQ(n.size(), 72u);
  EXPECT_EQ(n.front()[0], 95700);
  EXPECT_EQ(n.back()[0], 222150);  // the end of the cab-signalling stretch
  std::vector<int> a_180;
  for (size_t i = 0; i < n.size(); ++i) {
    ASSERT_EQ(n[i].size(), 2u);
    if (i > 0) {
      EXPECT_GT(n[i][0], n[i - 1][0]);
    }
    EXPECT_TRUE(n[i][1] == 270 || n[i][1] == 180) << n[i][0];
    if (n[i][1] == 180) a_180.push_back(n[i][0]);
    // no coding on the new stretch from the junction's protection signal to Olmara C.le
    EXPECT_FALSE(n[i][0] >= 140250 && n[i][0] < 146700) << n[i][0];
  }
  EXPECT_EQ(a_180, (std::vector<int>{197700, 198850}));
  // the 180 codes announce a strong speed reduction just beyond them
  const auto v = velocita();
  auto dopo = std::find_if(v.begin(), v.end(), [](const auto& r) { return r.first > 198850; });
  ASSERT_NE(dopo, v.end());
  ASSERT_NE(dopo, v.begin());
  EXPECT_LE(dopo->first - 198850, 1000);
  EXPECT_GE(std::prev(dopo)->second - dopo->second, 50);
}

TEST(ContenutoTreno, NoTwoFeaturesClaimOneCell) {
  // cells in the loader's order: boards (x / 50 + 1), station stop cells
  // (end / 50 - 1, classes below 25), signals (x / 50 + 1), code points (x / 50)
  std::map<int, std::string> celle;
  const auto occupa = [&](double cella, const std::string& cosa) {
    const int c = arrotonda(cella);
    auto [it, nuova] = celle.emplace(c, cosa);
    EXPECT_TRUE(nuova) << cosa << " falls on cell " << c << " of " << it->second;
  };
  for (const auto& riga : sezione(testo_linea, "[indicazioni]")) {
    const auto c = campi(riga);
    ASSERT_GE(c.size(), 2u);
    occupa(numero(c[1]) / 50.0 + 1, "board at " + c[1]);
  }
  EXPECT_EQ(celle.count(3593), 1u);
  EXPECT_EQ(celle.count(4109), 1u);
  for (const auto& t : stazioni())
    if (t.classe < 25) occupa(t.fine() / 50.0 - 1, "stop of " + t.nome);
  for (const auto& s : numeri("[segnali]"))
    occupa(s.at(0) / 50.0 + 1, "signal at " + std::to_string(s[0]));
  for (const auto& k : numeri("[codici]"))
    occupa(k.at(0) / 50.0, "code point at " + std::to_string(k[0]));
  EXPECT_EQ(celle.size(), 2u + 27u + 119u + 72u);
}

}  // namespace
}  // namespace scenario
