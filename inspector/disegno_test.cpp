#include "inspector/disegno.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "inspector/didascalie.h"
#include "inspector/prova_scenario.h"
#include "inspector/prova_xml.h"
#include "inspector/verifiche.h"

namespace ispettore {
namespace {

// True when some text of the document holds `nome`.
bool nominato(const prova::esito_xml& x, const std::string& nome) {
  return std::any_of(x.testi.begin(), x.testi.end(),
                     [&](const std::string& t) { return t.find(nome) != std::string::npos; });
}

TEST(Disegno, IsWellFormedAndNamesEveryStationWithOrWithoutThePlan) {
  const scenario_letto s = verifica(prova::pacchetti_di(prova::modello_piccolo()));
  const resoconto r = componi(s.m);
  for (bool con_piano : {true, false}) {
    SCOPED_TRACE(con_piano ? "with the plan" : "without the plan");
    const std::string svg = disegna_svg(r, con_piano ? &s.piano : nullptr);
    const prova::esito_xml x = prova::controlla_xml(svg);
    ASSERT_EQ(x.errore, "");
    for (const stazione& st : r.stazioni) EXPECT_TRUE(nominato(x, st.nome)) << st.nome;
    EXPECT_TRUE(nominato(x, "Linea Prova"));
    EXPECT_EQ(nominato(x, "No plan view"), !con_piano);
  }
}

// A 1000 km line crowded everywhere: a signal or a code in every cell, the
// gradient changing from cell to cell and 79 stations. The drawing keeps a
// bounded size (marks and runs too close to tell apart are one, each with
// its own title), and still names every station.
TEST(Disegno, ALongCrowdedLineIsDecimatedAndThinned) {
  using namespace scenario;
  modello m;
  const int32_t lunghezza = lunghezza_massima;
  m.celle.resize(static_cast<size_t>(ultima_cella(lunghezza)) + 1);
  for (size_t i = 2; i < m.celle.size(); ++i) {
    cella& c = m.celle[i];
    c.tipo = i % 2 ? tipo_cella::segnale : tipo_cella::codice;
    c.valore1 = static_cast<int16_t>(i % 2 ? 41 : 75 + 15 * (i % 4));
    c.pendenza = static_cast<uint8_t>(100 + i % 7);
    c.velocita = static_cast<uint8_t>(20 + i % 3);
    c.aderenza = 90;
  }
  const size_t metri = static_cast<size_t>(lunghezza + estensione) + 1;
  piano_letto piano;
  for (auto& colonna : piano) colonna.resize(metri);
  for (size_t j = 0; j + 2 < metri; ++j) {
    piano[0][j] = {variante::doppio, 1000 * std::sin(static_cast<double>(j) / 50000)};
    piano[1][j] = {variante::doppio, static_cast<double>(j) / 3};
  }
  m.voci[riga_treno].fine = lunghezza;
  for (int k = 1; k < riga_primo_cartello; ++k)
    m.voci[static_cast<size_t>(k)] = {22, 0, 0, 12000 * k, 0, "Stazione " + std::to_string(k),
                                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const resoconto r = componi(m);
  const std::string svg = disegna_svg(r, &piano);
  EXPECT_LT(svg.size(), 500000u);
  const prova::esito_xml x = prova::controlla_xml(svg);
  ASSERT_EQ(x.errore, "");
  for (const stazione& st : r.stazioni) EXPECT_TRUE(nominato(x, st.nome)) << st.nome;
}

// Every feature the drawing marks, every speed step and every station names
// itself in a title, as a whole and in a stretch; a stretch holds only what
// lies in it, and writes each speed over its step.
TEST(Disegno, EveryFeatureNamesItselfAndAStretchHoldsOnlyItsOwn) {
  const scenario_letto s = verifica(prova::pacchetti_di(prova::modello_piccolo()));
  const resoconto r = componi(s.m);
  struct caso { const char* nome; tratto_richiesto t; double da, a; };
  for (const caso& c : {caso{"whole", {}, 0, 1000}, caso{"stretch", {400.0, 900.0}, 400, 900}}) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(estensione_disegno(r, c.t), std::make_pair(c.da, c.a));
    const std::string svg = disegna_svg(r, &s.piano, c.t);
    const prova::esito_xml x = prova::controlla_xml(svg);
    ASSERT_EQ(x.errore, "");
    for (const elemento& e : r.elementi) {
      const bool marcato = e.tipo == scenario::tipo_cella::segnale || e.tipo == scenario::tipo_cella::codice ||
                           e.tipo == scenario::tipo_cella::cartello_indicatore ||
                           e.tipo == scenario::tipo_cella::indicatori_v_max ||
                           e.tipo == scenario::tipo_cella::avviso_rallentamento ||
                           e.tipo == scenario::tipo_cella::rimozione_codice;
      if (marcato) {
        EXPECT_EQ(nominato(x, didascalia(r, e)), static_cast<double>(e.progressiva) >= c.da && static_cast<double>(e.progressiva) <= c.a) << e.cella;
      }
    }
    EXPECT_TRUE(nominato(x, "Slowdown to 60 km/h from chainage 800 m"));
    EXPECT_TRUE(nominato(x, "North"));
    EXPECT_EQ(nominato(x, "Citt\u00e0 Alta"), c.da <= 0);
    EXPECT_TRUE(nominato(x, "Speed limit 100 km/h from chainage 500 m"));
    EXPECT_EQ(nominato(x, "Speed limit 140 km/h"), c.da < 500);
    const bool valori = std::count(x.testi.begin(), x.testi.end(), "100") > 0;
    EXPECT_TRUE(valori) << "the speed written over its step";
  }
  EXPECT_EQ(estensione_disegno(r, {9000.0, std::nullopt}).second, 8050) << "the cells end at 8050 m";
}

}  // namespace
}  // namespace ispettore
