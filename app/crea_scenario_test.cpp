// End to end: runs a copy of the built program and reads the packed files
// it leaves back field by field.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "packer/codifica.h"
#include "prova/esegui_programma.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using scenario::leggi_doppio;
using scenario::leggi_fisso16;
using scenario::leggi_fisso32;

#ifndef _WIN32

std::string contenuto(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

int16_t leggi16(std::string_view b, size_t da) { return static_cast<int16_t>(leggi_fisso16(b, da)); }
int32_t leggi32(std::string_view b, size_t da) { return static_cast<int32_t>(leggi_fisso32(b, da)); }

// One record of the packed item file, decoded.
struct voce_letta {
  int tipo;
  int32_t inizio, fine, posizione;
  int opzione1;
  std::string nome;
  int16_t dato1, dato2, dato3, dato4, dato5;
  int opzione2, opzione3, opzione4, opzione5;
  int32_t orario;
};

// Decodes the 87 records of a packed item file; fails the test when the
// records do not fill the file exactly.
std::vector<voce_letta> leggi_voci(const std::string& b) {
  std::vector<voce_letta> voci;
  size_t p = 0;
  for (int i = 0; i < 87 && p + 34 <= b.size(); ++i) {
    voce_letta v;
    const auto byte = [&](size_t o) { return static_cast<int>(static_cast<unsigned char>(b.at(p + o))); };
    v.tipo = byte(0);
    v.inizio = leggi32(b, p + 1);
    v.fine = leggi32(b, p + 5);
    v.posizione = leggi32(b, p + 9);
    v.opzione1 = byte(13);
    const size_t n = static_cast<uint16_t>(leggi16(b, p + 14));
    v.nome = b.substr(p + 16, n);
    v.dato1 = leggi16(b, p + 16 + n);
    v.dato2 = leggi16(b, p + 18 + n);
    v.dato3 = leggi16(b, p + 20 + n);
    v.dato4 = leggi16(b, p + 22 + n);
    v.dato5 = leggi16(b, p + 24 + n);
    v.opzione2 = byte(26 + n);
    v.opzione3 = byte(27 + n);
    v.opzione4 = byte(28 + n);
    v.opzione5 = byte(29 + n);
    v.orario = leggi32(b, p + 30 + n);
    voci.push_back(v);
    p += 34 + n;
  }
  EXPECT_EQ(voci.size(), 87u);
  EXPECT_EQ(p, b.size()) << "87 records fill the item file exactly";
  return voci;
}

class CreaScenarioFileImpacchettati : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    radice = fs::temp_directory_path() / ("crea_scenario_test_" + std::to_string(::getpid()));
    // A folder path with a blank, and the working directory elsewhere.
    cartella = radice / "cartella con spazio";
    altrove = radice / "altrove";
    fs::remove_all(radice);
    fs::create_directories(cartella);
    fs::create_directories(altrove);
    fs::copy_file(PROGRAMMA_CREA_SCENARIO, cartella / "crea_scenario");
    stato = prova::esegui_programma(cartella / "crea_scenario", {}, altrove).stato;
  }
  static void TearDownTestSuite() { fs::remove_all(radice); }

  static fs::path radice;
  static fs::path cartella;
  static fs::path altrove;
  static int stato;
};

fs::path CreaScenarioFileImpacchettati::radice;
fs::path CreaScenarioFileImpacchettati::cartella;
fs::path CreaScenarioFileImpacchettati::altrove;
int CreaScenarioFileImpacchettati::stato = -1;

constexpr int32_t lunghezza = 227550;
constexpr int32_t r = lunghezza + 7000;  // last plan row
constexpr size_t celle = 4692;           // cells 0 to 4691

TEST_F(CreaScenarioFileImpacchettati, EndsWellLeavingDocumentsAndPackedFilesOnly) {
  EXPECT_EQ(stato, 0);
  std::set<std::string> presenti;
  for (const auto& voce : fs::directory_iterator(cartella)) presenti.insert(voce.path().filename().string());
  const std::set<std::string> attesi = {
      "crea_scenario",
      "crea_scenario.lock",
      "Tarvena-Olmara-Caldone_Reg 40318_note.txt",
      "Tarvena-Olmara-Caldone_Reg 40318_rallentamenti.txt",
      "Tarvena-Olmara-Caldone_Reg 40318_scheda_treno.txt",
      "Tarvena-Olmara-Caldone_linea.dat",
      "Tarvena-Olmara-Caldone_Reg 40318.sim",
      "Tarvena-Olmara-Caldone_Reg 40318.dat",
  };
  EXPECT_EQ(presenti, attesi);
  EXPECT_TRUE(fs::is_empty(altrove)) << "nothing lands in the working directory";
}

TEST_F(CreaScenarioFileImpacchettati, LineFileHoldsThePlanColumnByColumn) {
  const std::string b = contenuto(cartella / "Tarvena-Olmara-Caldone_linea.dat");
  ASSERT_EQ(b.size(), static_cast<size_t>(20 * r - 36));
  const size_t colonna = static_cast<size_t>(10 * r - 18);
  EXPECT_EQ(b.substr(0, 8), std::string("\x02\x00\x00\x00\x02\x00\x00\x00", 8));
  EXPECT_EQ(b.substr(colonna, 8), std::string("\x02\x00\x00\x00\x02\x00\x01\x00", 8));
  for (size_t inizio : {size_t{0}, colonna}) {
    for (int32_t j = 2; j <= r - 2; ++j)
      ASSERT_EQ(leggi16(b, inizio + 8 + 10 * static_cast<size_t>(j - 2)), 5) << j;
    EXPECT_EQ(b.substr(inizio + colonna - 4, 4), std::string(4, '\0'));
  }
  // Straight along +y up to the first curve at 1500, then turning right.
  const auto x = [&](int32_t j) { return leggi_doppio(b, 10 + 10 * static_cast<size_t>(j - 2)); };
  const auto y = [&](int32_t j) {
    return leggi_doppio(b, colonna + 10 + 10 * static_cast<size_t>(j - 2));
  };
  EXPECT_EQ(x(2), 0.0);
  EXPECT_EQ(y(2), 2.0);
  EXPECT_EQ(x(1500), 0.0);
  EXPECT_EQ(y(1500), 1500.0);
  EXPECT_EQ(x(1501), 0.0001);
  EXPECT_EQ(y(1501), 1501.0);
}

TEST_F(CreaScenarioFileImpacchettati, ItemFileHoldsHeaderStationsAndBoards) {
  const std::vector<voce_letta> v = leggi_voci(contenuto(cartella / "Tarvena-Olmara-Caldone_Reg 40318.sim"));
  ASSERT_EQ(v.size(), 87u);

  // Header rows.
  EXPECT_EQ(v[84].inizio, 120);
  EXPECT_EQ(v[84].fine, lunghezza);
  EXPECT_EQ(v[84].posizione, 8);
  EXPECT_EQ(v[85].nome, "Tarvena-Olmara-Caldone");
  EXPECT_EQ(v[85].inizio, 1);
  EXPECT_EQ(v[85].fine, 0);
  EXPECT_EQ(v[85].posizione, 0);
  EXPECT_EQ(v[85].dato1, 610);
  EXPECT_EQ(v[85].orario, 29625);
  EXPECT_EQ(v[86].nome, "Reg 40318");
  EXPECT_EQ(v[86].inizio, 0);
  EXPECT_EQ(v[86].fine, 222150);
  EXPECT_EQ(v[86].posizione, 9);
  EXPECT_EQ(v[86].dato1, 200);
  EXPECT_EQ(v[86].dato3, 13);
  EXPECT_EQ(v[86].dato4, 55);
  EXPECT_EQ(v[86].dato5, 20);
  // Chainage references, sorted by their start.
  EXPECT_EQ(std::make_tuple(v[81].inizio, v[81].fine, v[81].posizione), std::make_tuple(131450, 227650, 1));
  EXPECT_EQ(std::make_tuple(v[82].inizio, v[82].fine, v[82].posizione), std::make_tuple(100000, -100000, 0));
  EXPECT_EQ(std::make_tuple(v[83].inizio, v[83].fine, v[83].posizione), std::make_tuple(0, 187550, 0));

  // The origin and the terminus; 38 stations in rows 1 to 38.
  const voce_letta& origine = v[1];
  EXPECT_EQ(origine.nome, "Tarvena");
  EXPECT_EQ(origine.tipo, 8);
  EXPECT_EQ(origine.posizione, 0);
  EXPECT_EQ(origine.inizio, -400);
  EXPECT_EQ(origine.fine, 400);
  EXPECT_EQ(origine.opzione1, 1);
  EXPECT_EQ(origine.dato1, 4);
  EXPECT_EQ(origine.dato2, 1);
  EXPECT_EQ(origine.opzione2, 0);
  EXPECT_EQ(origine.dato3, 2);
  EXPECT_EQ(origine.dato4, 1);
  EXPECT_EQ(origine.dato5, 1);
  EXPECT_EQ(origine.opzione3, 1);
  EXPECT_EQ(origine.opzione4, 0);
  EXPECT_EQ(origine.opzione5, 0);
  EXPECT_EQ(origine.orario, (13 * 60 + 55) * 60 + 20);
  const voce_letta& capolinea = v[38];
  EXPECT_EQ(capolinea.tipo, 6);
  EXPECT_EQ(capolinea.posizione, lunghezza);
  EXPECT_EQ(capolinea.inizio, lunghezza - 500);
  EXPECT_EQ(capolinea.fine, lunghezza + 150);
  EXPECT_EQ(capolinea.orario, (17 * 60 + 32) * 60);
  EXPECT_FALSE(capolinea.nome.empty());
  EXPECT_TRUE(v[39].nome.empty());
  EXPECT_TRUE(v[0].nome.empty());
  EXPECT_EQ(v[0].posizione, 0);

  // Direction boards from row 80 down.
  EXPECT_EQ(v[80].nome.rfind("(Segn.Prot.)", 0), 0u) << v[80].nome;
  EXPECT_EQ(v[79].nome.rfind("(Ponte)", 0), 0u) << v[79].nome;
  EXPECT_TRUE(v[78].nome.empty());
}

TEST_F(CreaScenarioFileImpacchettati, TrackFileHoldsEveryCellWithTheHeaderStamped) {
  const std::string b = contenuto(cartella / "Tarvena-Olmara-Caldone_Reg 40318.dat");
  ASSERT_EQ(b.size(), 15 * celle);
  EXPECT_EQ(b.substr(16, 2), "\x01\x14");
  EXPECT_EQ(leggi16(b, 18), 2184);

  const auto tipo = [&](size_t i) { return static_cast<int>(static_cast<unsigned char>(b[15 * i])); };
  const auto byte = [&](size_t i, size_t o) {
    return static_cast<int>(static_cast<unsigned char>(b[15 * i + o]));
  };
  const auto valore = [&](size_t i, int n) { return leggi16(b, 15 * i + 1 + 2 * static_cast<size_t>(n - 1)); };
  size_t segnali = 0, codici = 0, fermate = 0, cartelli = 0;
  for (size_t i = 0; i < celle; ++i) {
    segnali += tipo(i) == 1;
    codici += tipo(i) == 12;
    fermate += tipo(i) == 10;
    cartelli += tipo(i) == 14;
  }
  EXPECT_EQ(segnali, 119u);
  EXPECT_EQ(codici, 72u);  // the shipped train has no slowdown: the pass adds none
  EXPECT_EQ(fermate, 27u);
  EXPECT_EQ(cartelli, 2u);

  // The signal at 2500 and its approach markers.
  EXPECT_EQ(tipo(51), 1);
  EXPECT_EQ(valore(51, 1), 41);
  EXPECT_EQ(valore(51, 4), 8);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(byte(51 - 2 * static_cast<size_t>(n), 10), 80 + n);
  // The code point at 95700, cell 1914.
  EXPECT_EQ(tipo(1914), 12);
  EXPECT_EQ(valore(1914, 1), 270);
  // The origin's stop cell and its approach markers.
  EXPECT_EQ(tipo(7), 10);
  EXPECT_EQ(valore(7, 1), 1);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(byte(7 - static_cast<size_t>(n), 10), 80 + n);
  // Profiles: 140 km/h, adhesion 90, level track, the last three cells 0.
  EXPECT_EQ(byte(0, 12), 28);
  EXPECT_EQ(byte(0, 14), 90);
  EXPECT_EQ(byte(0, 13), 100);
  EXPECT_EQ(byte(celle - 4, 13), 100);
  EXPECT_EQ(byte(celle - 3, 13), 0);
}

#endif

}  // namespace
