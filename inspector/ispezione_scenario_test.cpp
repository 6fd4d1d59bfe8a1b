// End to end: the built crea_scenario writes the shipped scenario into a
// folder of its own, then the built ispeziona_scenario checks, lists and
// draws it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <nlohmann/json.hpp>

#include "inspector/ispezione.h"
#include "inspector/prova_xml.h"
#include "prova/cartella_temporanea.h"
#include "prova/esegui_programma.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace ispettore {
namespace {

#ifndef _WIN32
namespace fs = std::filesystem;
using ::prova::esegui_programma;

std::string contenuto(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class IspezioneScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    cartella = radice / "scenario con spazio";
    altrove = radice / "altrove";
    fs::create_directories(cartella);
    fs::create_directories(altrove);
    fs::copy_file(PROGRAMMA_CREA_SCENARIO, cartella / "crea_scenario");
    fs::copy_file(PROGRAMMA_ISPEZIONA_SCENARIO, cartella / "ispeziona_scenario");
    const ::prova::esito_programma costruito = esegui_programma(cartella / "crea_scenario", {}, altrove);
    ASSERT_EQ(costruito.stato, 0) << costruito.errori;
  }
  const ::prova::CartellaTemporanea temporanea{"ispezione_scenario_test"};
  const fs::path& radice = temporanea.percorso();
  fs::path cartella, altrove;
};

TEST_F(IspezioneScenario, TheBuiltScenarioPassesEveryCheckAndIsListedAndDrawn) {
  // Default folder and names: the program's own folder, the shipped scenario.
  const ::prova::esito_programma elenco = esegui_programma(cartella / "ispeziona_scenario", {}, altrove);
  EXPECT_EQ(elenco.stato, ispezione_riuscita) << elenco.uscita << elenco.errori;
  EXPECT_NE(elenco.uscita.find("Checks: every file matches its layout"), std::string::npos)
      << elenco.uscita;

  // JSON and the drawing, folder given.
  const fs::path svg = altrove / "linea.svg";
  const ::prova::esito_programma json =
      esegui_programma(PROGRAMMA_ISPEZIONA_SCENARIO, {"--json", "--svg", svg.string(), cartella.string()}, altrove);
  ASSERT_EQ(json.stato, ispezione_riuscita) << json.errori;
  const auto j = nlohmann::json::parse(json.uscita);
  EXPECT_TRUE(j["checks"]["passed"]);
  EXPECT_TRUE(j["files"]["line"]["present"]);
  EXPECT_EQ(j["route"], "Tarvena-Olmara-Caldone");
  EXPECT_EQ(j["train"], "Reg 40318");
  const auto& h = j["header"];
  EXPECT_EQ(h["route_length_m"], 227550);
  EXPECT_EQ(h["last_cell"], 4691);
  EXPECT_EQ(h["identity_codes"]["record_85"], 29625);
  EXPECT_EQ(h["identity_codes"]["cell_1"], 2184);
  EXPECT_EQ(h["header_stamps"]["record_85"], 610);
  EXPECT_EQ(h["header_stamps"]["cell_1"], 5121);
  const auto& z = h["kilometre_zones"];
  EXPECT_EQ(z[0]["start_m"], 131450);
  EXPECT_EQ(z[0]["stored_reference"], 227650);
  EXPECT_EQ(z[0]["reading_at_start_m"], 96100);
  EXPECT_EQ(z[1]["reading_at_start_m"], 0);
  EXPECT_EQ(z[2]["reading_at_start_m"], 187550);
  EXPECT_EQ(h["cab_signalling"], (nlohmann::json{{"system", 9}, {"from_m", 0}, {"to_m", 222150}}));
  EXPECT_EQ(h["coaches"], 8);
  EXPECT_EQ(h["braked_mass_percent"], 120);
  EXPECT_EQ(h["sand"], 200);
  EXPECT_EQ(h["clock"], "13:55:20");
  ASSERT_FALSE(j["stations"].empty());
  const auto& origine = j["stations"][0];
  EXPECT_EQ(origine["name"], "Tarvena");
  EXPECT_EQ(origine["reading_m"], 187550);
  EXPECT_EQ(origine["area_m"], (nlohmann::json{-400, 400}));
  EXPECT_EQ(origine["stop_cell"], 7);
  EXPECT_EQ(origine["time"], "13:55:20");

  const prova::esito_xml x = prova::controlla_xml(contenuto(svg));
  ASSERT_EQ(x.errore, "");
  for (const auto& s : j["stations"]) {
    const std::string nome = s["name"];
    bool nominato = false;
    for (const std::string& t : x.testi) nominato |= t.find(nome) != std::string::npos;
    EXPECT_TRUE(nominato) << nome;
  }
}
#endif

}  // namespace
}  // namespace ispettore
