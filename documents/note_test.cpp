#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "documents/scrittori_documenti.h"
#include "model/identita.h"
#include "model/modello.h"
#include "platform/cartella_programma.h"
#include "platform/disco.h"
#include "prova/cartella_temporanea.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

// Writes the shipped notes into a fresh temporary folder and splits them at
// CR LF; `testo` keeps the raw bytes.
class DatiNote : public ::testing::Test {
 protected:
  void SetUp() override {
    testo = scrivi();
    size_t inizio = 0;
    while (inizio < testo.size()) {
      const size_t fine = testo.find("\r\n", inizio);
      ASSERT_NE(fine, std::string::npos) << "text after the last CR LF";
      righe.push_back(testo.substr(inizio, fine - inizio));
      inizio = fine + 2;
    }
  }

  // Writes the notes of the shipped scenario and returns the file's bytes.
  std::string scrivi() {
    modello m;
    m.linea = "Tarvena-Olmara-Caldone";
    m.treno = "Reg 40318";
    dati_note(m, disco, cartella.string());
    return disco.leggi(
        piattaforma::unisci_percorso(cartella.string(), nome_note(m.linea, m.treno)));
  }

  const prova::CartellaTemporanea temporanea{"note_test"};
  const fs::path& cartella = temporanea.percorso();
  piattaforma::DiscoReale disco;
  std::string testo;
  std::vector<std::string> righe;
};

// True when the line starts with exactly `n` blanks.
bool rientro(const std::string& riga, size_t n) {
  return riga.size() > n && riga.compare(0, n, std::string(n, ' ')) == 0 && riga[n] != ' ';
}

TEST_F(DatiNote, LinesKeepTheirHandMadeLengths) {
  ASSERT_EQ(righe.size(), 54u);
  for (size_t i = 0; i < righe.size(); ++i) {
    EXPECT_FALSE(righe[i].empty()) << "slot " << i;
    EXPECT_EQ(righe[i].find_first_of("\r\n"), std::string::npos) << "slot " << i;
  }
  const std::vector<std::pair<size_t, size_t>> lunghe = {
      {15, 195}, {25, 775}, {33, 194}, {41, 194}};
  std::set<size_t> eccezioni;
  for (const auto& [slot, lunghezza] : lunghe) {
    EXPECT_EQ(righe[slot].size(), lunghezza) << "slot " << slot;
    eccezioni.insert(slot);
  }
  for (size_t i = 0; i < righe.size(); ++i)
    if (!eccezioni.count(i)) {
      EXPECT_LE(righe[i].size(), 98u) << "slot " << i;
    }
}

TEST_F(DatiNote, ParagraphsStartWhereTheLayoutSaysAndBlanksAreKept) {
  ASSERT_EQ(righe.size(), 54u);
  const std::set<size_t> inizi = {0, 9, 12, 18, 19, 32, 35, 39, 43, 48, 51, 52, 53};
  for (size_t i = 0; i < righe.size(); ++i) {
    if (inizi.count(i)) {
      EXPECT_TRUE(rientro(righe[i], 4)) << "slot " << i << " should open a paragraph";
    } else {
      EXPECT_TRUE(!righe[i].empty() && righe[i].front() != ' ')
          << "slot " << i << " continues a paragraph";
    }
  }

  // Slot 25 closes one paragraph and opens the next after 51 blanks.
  const std::string& r25 = righe[25];
  const size_t corsa = r25.find(std::string(51, ' '));
  ASSERT_NE(corsa, std::string::npos);
  EXPECT_EQ(r25.find(std::string(52, ' ')), std::string::npos);  // exactly 51
  ASSERT_GT(corsa, 0u);
  EXPECT_EQ(r25[corsa - 1], '.');

  // One trailing blank on slots 9 and 10, none anywhere else.
  for (size_t i = 0; i < righe.size(); ++i) {
    const auto& r = righe[i];
    const bool finale = !r.empty() && r.back() == ' ';
    EXPECT_EQ(finale, i == 9 || i == 10) << "slot " << i;
    if (finale) {
      EXPECT_NE(r[r.size() - 2], ' ') << "slot " << i;  // one blank, not more
    }
  }
}

TEST_F(DatiNote, ClosesWithGreetingAndTwoContactLines) {
  ASSERT_EQ(righe.size(), 54u);
  EXPECT_EQ(righe[51], "    Buon divertimento.");
  for (size_t i : {52u, 53u}) {
    EXPECT_TRUE(rientro(righe[i], 4)) << "slot " << i;
    EXPECT_NE(righe[i].find("example.org"), std::string::npos) << "slot " << i;
  }
  EXPECT_NE(righe[52], righe[53]);
  EXPECT_EQ(testo.find("riferimento fine del file"), std::string::npos);
}

TEST_F(DatiNote, AccentsAreSingleBytesAndRewritingGivesTheSameBytes) {
  const std::set<unsigned char> accenti = {0xE0, 0xE8, 0xEC, 0xF2, 0xF9};
  std::set<unsigned char> trovati;
  for (char c : testo) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) continue;
    EXPECT_TRUE(accenti.count(b)) << "unexpected byte " << static_cast<int>(b);
    trovati.insert(b);
  }
  EXPECT_EQ(trovati, accenti);  // à è ì ò ù all occur, each as one byte

  EXPECT_EQ(scrivi(), testo);
}

}  // namespace
}  // namespace scenario
