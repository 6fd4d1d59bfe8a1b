// End-to-end: the built impacchetta_scenario and crea_scenario, started
// without a shell, in folders whose names hold a blank and a letter outside
// ASCII.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "authoring/impacchetta.h"
#include "prova/esegui_programma.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace autore {
namespace {

namespace fs = std::filesystem;

const std::string nome_linea = "Tarvena-Olmara-Caldone_linea.txt";
const std::string nome_treno = "Tarvena-Olmara-Caldone_Reg 40318-.txt";
const std::vector<std::string> nomi_pacchetti = {"Tarvena-Olmara-Caldone_linea.dat",
                                                 "Tarvena-Olmara-Caldone_Reg 40318.sim",
                                                 "Tarvena-Olmara-Caldone_Reg 40318.dat"};

std::string leggi(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void scrivi(const fs::path& p, const std::string& byte) {
  std::ofstream f(p, std::ios::binary);
  f << byte;
}

// The path as UTF-8, as a program's argument.
std::string utf8(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// A fresh folder of this process's own, removed at the end.
class Cartelle : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    const auto pid = GetCurrentProcessId();
#else
    const auto pid = ::getpid();
#endif
    radice = fs::temp_directory_path() / ("impacchetta_test_" + std::to_string(pid));
    fs::remove_all(radice);
    lavoro = radice / fs::path(u8"scenario d'autore \u00e8");
    fs::create_directories(lavoro);
  }
  void TearDown() override { fs::remove_all(radice); }

  // Runs impacchetta_scenario in the work folder; the Windows console's
  // CR LF line ends are read as LF.
  prova::esito_programma impacchetta(const std::vector<std::string>& argomenti) {
    prova::esito_programma e =
        prova::esegui_programma(PROGRAMMA_IMPACCHETTA_SCENARIO, argomenti, lavoro);
    std::erase(e.uscita, '\r');
    std::erase(e.errori, '\r');
    return e;
  }

  fs::path radice;
  fs::path lavoro;
};

// The shipped sources, written as a starting point and packed by the new
// program, give the very bytes crea_scenario packs; the sources stay.
TEST_F(Cartelle, PacksTheShippedSourcesAsTheBuilderDoes) {
  const fs::path costruttore = radice / "crea";
  fs::create_directories(costruttore);
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, costruttore / fs::path(PROGRAMMA_CREA_SCENARIO).filename());
  const auto creato = prova::esegui_programma(
      costruttore / fs::path(PROGRAMMA_CREA_SCENARIO).filename(), {}, radice);
  ASSERT_EQ(creato.stato, 0) << creato.errori;

  const auto partenza = impacchetta({"--starting-point", "inizio"});
  ASSERT_EQ(partenza.stato, riuscito) << partenza.errori;
  EXPECT_EQ(partenza.uscita, "wrote " + nome_linea + "\nwrote " + nome_treno + "\n");
  const fs::path inizio = lavoro / "inizio";
  const std::string linea = leggi(inizio / nome_linea);
  const std::string treno = leggi(inizio / fs::path(nome_treno));

  const auto esito = impacchetta({utf8(inizio / nome_linea), utf8(inizio / nome_treno)});
  EXPECT_EQ(esito.stato, riuscito) << esito.errori;
  EXPECT_EQ(esito.errori, "");
  for (const std::string& nome : nomi_pacchetti)
    EXPECT_EQ(leggi(inizio / fs::path(nome)), leggi(costruttore / fs::path(nome))) << nome;
  EXPECT_EQ(leggi(inizio / nome_linea), linea);
  EXPECT_EQ(leggi(inizio / fs::path(nome_treno)), treno);

  // A second starting point never goes over an author's sources.
  scrivi(inizio / nome_linea, "mine");
  const auto ancora = impacchetta({"--starting-point", "inizio"});
  EXPECT_EQ(ancora.stato, errore_file);
  EXPECT_EQ(leggi(inizio / nome_linea), "mine");
}

// A rejected record is reported at its line and column, with the builder's
// exit status; the sources keep every byte.
TEST_F(Cartelle, ReportsARejectedRecordAndLeavesTheSourcesAsTheyWere) {
  ASSERT_EQ(impacchetta({"--starting-point", "."}).stato, riuscito);
  std::string treno = leggi(lavoro / fs::path(nome_treno));
  const std::string stazione = "stazione,   31200,";
  const size_t dove = treno.find(stazione);
  ASSERT_NE(dove, std::string::npos);
  treno.replace(dove, stazione.size(), "stazione,   31020,");
  scrivi(lavoro / fs::path(nome_treno), treno);
  const std::string linea = leggi(lavoro / nome_linea);

  const auto esito = impacchetta({nome_linea, nome_treno});
  EXPECT_EQ(esito.stato, errore_dati);
  EXPECT_EQ(esito.errori,
            nome_treno + ":42:1: error 8: train source: station chainage not a multiple of 50 m "
                         "(chainage 31020 m)\nimpacchetta_scenario: 1 error, 0 warnings\n");
  EXPECT_EQ(leggi(lavoro / nome_linea), linea);
  EXPECT_EQ(leggi(lavoro / fs::path(nome_treno)), treno);
}

// A wrong command line prints the usage and ends with status 3, reading
// and writing nothing.
TEST_F(Cartelle, AWrongCommandLineGivesTheUsageAndStatus3) {
  const std::vector<std::vector<std::string>> casi = {
      {},
      {nome_linea},
      {nome_linea, nome_treno, "third"},
      {"--bogus", nome_linea, nome_treno},
      {nome_linea, nome_treno, "-o"},
      {"linea.txt", nome_treno},
      {nome_linea, "Altra-Linea_Reg 1-.txt"},
      {"--starting-point", "x", nome_linea},
      {"-o", "a", "--output=b", nome_linea, nome_treno},  // given twice
  };
  for (const auto& argomenti : casi) {
    const auto esito = impacchetta(argomenti);
    EXPECT_EQ(esito.stato, errore_uso) << esito.errori;
    EXPECT_NE(esito.errori.find("Usage: impacchetta_scenario"), std::string::npos) << esito.errori;
    EXPECT_TRUE(fs::is_empty(lavoro));
  }
  const auto coppia = impacchetta({nome_linea, "Altra-Linea_Reg 1-.txt"});
  EXPECT_EQ(coppia.errori.substr(0, coppia.errori.find('\n')),
            "impacchetta_scenario: the two sources are not a pair: the line source is for route "
            "\"Tarvena-Olmara-Caldone\" but the train source's name \"Altra-Linea_Reg 1-.txt\" "
            "does not begin with \"Tarvena-Olmara-Caldone_\" (give --route and --train to pack "
            "them all the same)");
}

}  // namespace
}  // namespace autore
