#include <gtest/gtest.h>

#include <filesystem>
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

// A fresh folder under the system's temporary folder, removed afterwards.
class DatiRallentamenti : public ::testing::Test {
 protected:
  // Writes the form for the given identity and returns the file's bytes.
  std::string scrivi(const std::string& linea, const std::string& treno) {
    modello m;
    m.linea = linea;
    m.treno = treno;
    dati_rallentamenti(m, disco, cartella.string());
    return disco.leggi(
        piattaforma::unisci_percorso(cartella.string(), nome_rallentamenti(linea, treno)));
  }

  const prova::CartellaTemporanea temporanea{"rallentamenti_test"};
  const fs::path& cartella = temporanea.percorso();
  piattaforma::DiscoReale disco;
};

// The form as it must be printed, built from its layout: 46 lines.
std::vector<std::string> righe_attese() {
  const std::string regola =
      " |___|____________________________|____________|__________|_________|____________|";
  const std::string riga_vuota =
      " |   |                            |            |          |         |            |";
  std::vector<std::string> r = {
      "",
      std::string(31, ' ') + "Modulo M. 3",
      std::string(27, ' ') + "ORDINE DI RALLENTAMENTO",
      " " + std::string(80, '_'),
      "  Linea  Tarvena-Olmara-Caldone",
      "",
      "  Si ordina al macchinista del treno 40318 di effettuare i seguenti rallentamenti",
      "  " + std::string(79, '_'),
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      regola,
  };
  r.insert(r.end(), 26, riga_vuota);
  r.push_back(regola);
  r.push_back("");
  r.push_back(std::string(14, ' ') + "Prescrizioni specifiche");
  r.push_back(" A - Da rispettare con tutto il treno (per i treni viaggiatori)");
  r.push_back(" B - Interessa anche la stazione di.......");
  r.push_back(" D - Rallentamneto N. ... e N. ...  sono contigui");
  r.push_back(" C - Da rispettare dalle ore ....  alle ore ..... di tutti");
  r.push_back("     i giorni esclusi i seguenti:.........");
  return r;
}

// Splits the bytes at CR LF; every line, the last included, must end with it.
std::vector<std::string> righe_crlf(const std::string& testo) {
  std::vector<std::string> righe;
  size_t inizio = 0;
  while (inizio < testo.size()) {
    const size_t fine = testo.find("\r\n", inizio);
    if (fine == std::string::npos) {
      ADD_FAILURE() << "text after the last CR LF";
      break;
    }
    righe.push_back(testo.substr(inizio, fine - inizio));
    inizio = fine + 2;
  }
  return righe;
}

TEST_F(DatiRallentamenti, WritesTheFormByteForByte) {
  const auto attese = righe_attese();
  ASSERT_EQ(attese.size(), 46u);
  std::string byte_attesi;
  for (const auto& r : attese) byte_attesi += r + "\r\n";

  const std::string testo = scrivi("Tarvena-Olmara-Caldone", "Reg 40318");
  const auto righe = righe_crlf(testo);
  ASSERT_EQ(righe.size(), attese.size());
  for (size_t i = 0; i < righe.size(); ++i) EXPECT_EQ(righe[i], attese[i]) << "line " << i + 1;
  EXPECT_EQ(testo, byte_attesi);

  // Every table line is 82 wide with its bars in the same places.
  for (size_t i = 8; i <= 38; ++i) {
    std::vector<size_t> barre;
    for (size_t c = 0; c < righe[i].size(); ++c)
      if (righe[i][c] == '|') barre.push_back(c + 1);
    EXPECT_EQ(barre, (std::vector<size_t>{2, 6, 35, 48, 59, 69, 82})) << "line " << i + 1;
  }
}

TEST_F(DatiRallentamenti, ReplacesAnEarlierFormAndOtherIdentityChangesOnlyTheName) {
  const auto p = piattaforma::unisci_percorso(
      cartella.string(), nome_rallentamenti("Tarvena-Olmara-Caldone", "Reg 40318"));
  disco.sostituisci(p, std::string(20000, 'x'));
  const std::string prima = scrivi("Tarvena-Olmara-Caldone", "Reg 40318");
  const std::string seconda = scrivi("Tarvena-Olmara-Caldone", "Reg 40318");
  EXPECT_EQ(prima, seconda);
  EXPECT_EQ(prima.find('x'), std::string::npos);

  // The route line and the order sentence are fixed text, not the identity.
  EXPECT_EQ(scrivi("Altra-Linea", "R 1"), prima);
  EXPECT_TRUE(fs::exists(cartella / "Altra-Linea_R 1_rallentamenti.txt"));
}

}  // namespace
}  // namespace scenario
