#include "app/aiuto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/sequenza.h"
#include "prova/cartella_temporanea.h"
#include "prova/esegui_programma.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

// Standard output as the test compares it: line ends without CR (a Windows
// program's standard output is in text mode).
std::string senza_cr(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
  return s;
}

TEST(RichiestaDa, HelpOrVersionAnywhereElseEveryArgumentIsIgnored) {
  const std::vector<std::pair<std::vector<std::string>, richiesta>> casi = {
      {{}, richiesta::costruisci},
      {{"--help"}, richiesta::aiuto},
      {{"-h"}, richiesta::aiuto},
      {{"/?"}, richiesta::aiuto},
      {{"x", "--version", "--help"}, richiesta::aiuto},
      {{"--version"}, richiesta::versione},
      {{"--bogus", "x"}, richiesta::costruisci},
      {{"--help=1", "-H", "help", "/h"}, richiesta::costruisci},
  };
  for (const auto& [argomenti, attesa] : casi)
    EXPECT_EQ(richiesta_da(argomenti), attesa) << (argomenti.empty() ? "" : argomenti.front());
}

// A copy of the built program in a folder of its own, started from another.
struct CopiaProgramma : ::testing::Test {
  prova::CartellaTemporanea radice{"aiuto_test"};
  fs::path cartella = radice / "cartella_del_programma";
  fs::path altrove = radice / "altrove";
  fs::path programma = cartella / fs::path(PROGRAMMA_CREA_SCENARIO).filename();

  void SetUp() override {
    fs::create_directories(cartella);
    fs::create_directories(altrove);
    fs::copy_file(PROGRAMMA_CREA_SCENARIO, programma);
  }
  // The names in the program's folder and in the working folder.
  std::vector<std::string> file_scritti() const {
    std::vector<std::string> nomi;
    for (const fs::path& c : {cartella, altrove})
      for (const auto& f : fs::directory_iterator(c))
        if (f.path() != programma) nomi.push_back(f.path().filename().string());
    return nomi;
  }
};

// --help in each spelling says where the files go and what every exit
// status means, and writes nothing.
TEST_F(CopiaProgramma, HelpSaysWhereItWritesAndWritesNothing) {
  for (const char* aiuto : {"--help", "-h", "/?"}) {
    const prova::esito_programma esito = prova::esegui_programma(programma, {aiuto}, altrove);
    EXPECT_EQ(esito.stato, uscita_riuscita) << aiuto;
    EXPECT_EQ(esito.errori, "") << aiuto;
    const std::string t = senza_cr(esito.uscita);
    EXPECT_EQ(t.rfind("Usage: crea_scenario\n", 0), 0u) << t;
    EXPECT_NE(t.find("cartella_del_programma\n"), std::string::npos) << t;
    EXPECT_NE(t.find("Tarvena-Olmara-Caldone_Reg 40318.dat"), std::string::npos) << t;
    for (int stato : {uscita_riuscita, uscita_errore_file, uscita_errore_dati, uscita_errore_testata,
                      uscita_senza_celle, uscita_errore_interno})
      EXPECT_NE(t.find("\n  " + std::to_string(stato) + "  "), std::string::npos) << stato;
    EXPECT_EQ(file_scritti(), std::vector<std::string>{}) << aiuto;
  }
}

// An argument it does not know is ignored: the run builds as without one.
TEST_F(CopiaProgramma, AnyOtherArgumentIsIgnored) {
  const prova::esito_programma esito = prova::esegui_programma(programma, {"--bogus"}, altrove);
  EXPECT_EQ(esito.stato, uscita_riuscita) << esito.errori;
  EXPECT_EQ(senza_cr(esito.uscita), "Attendere\n");
  EXPECT_TRUE(fs::is_regular_file(cartella / "Tarvena-Olmara-Caldone_Reg 40318.dat"));
}

// Every program prints the same version, the project's, and writes
// nothing.
TEST_F(CopiaProgramma, EveryProgramPrintsTheProjectVersion) {
  const std::pair<fs::path, std::string> programmi[] = {
      {programma, "crea_scenario"},
      {PROGRAMMA_IMPACCHETTA_SCENARIO, "impacchetta_scenario"},
      {PROGRAMMA_ISPEZIONA_SCENARIO, "ispeziona_scenario"},
      {PROGRAMMA_SPACCHETTA_SCENARIO, "spacchetta_scenario"},
  };
  for (const auto& [percorso, nome] : programmi) {
    const prova::esito_programma esito = prova::esegui_programma(percorso, {"--version"}, altrove);
    EXPECT_EQ(esito.stato, 0) << nome;
    EXPECT_EQ(senza_cr(esito.uscita), nome + " " + VERSIONE_PROGETTO + "\n");
    EXPECT_EQ(esito.errori, "") << nome;
  }
  EXPECT_EQ(file_scritti(), std::vector<std::string>{});
}

}  // namespace
}  // namespace scenario
