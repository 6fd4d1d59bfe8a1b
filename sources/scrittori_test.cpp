#include "sources/scrittori.h"

#include <gtest/gtest.h>

#include <string>

#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "prova/disco_memoria.h"

namespace scenario {
namespace {

using piattaforma::DiscoMemoria;

modello scenario_spedito() {
  modello m;
  m.linea = "Tarvena-Olmara-Caldone";
  m.treno = "Reg 40318";
  return m;
}

TEST(DatiLinea, WritesTheHeaderBlockWithCrLfIntoTheFolder) {
  DiscoMemoria disco;
  auto m = scenario_spedito();
  std::string vecchio;
  for (int i = 0; i < 10000; ++i) vecchio += "#VECCHIO#\r\n";
  const auto p = piattaforma::unisci_percorso("cartella", "Tarvena-Olmara-Caldone_linea.txt");
  disco.file[p] = vecchio;
  dati_linea(m, disco, "cartella");
  ASSERT_EQ(disco.file.size(), 1u);
  const std::string& testo = disco.file.at(p);
  EXPECT_EQ(testo.rfind(
                "[generale]\r\n"
                "lunghezza percorso,    227550\r\n"
                "progressiva chilometrica uno,    0,    187550,    0\r\n"
                "progressiva chilometrica due,    100000,    -100000,    0\r\n"
                "progressiva chilometrica tre,    131450,    227550,    1\r\n"
                "sfondo uno,    1\r\n"
                "sfondo due,    0\r\n"
                "sfondo tre,    0\r\n"
                "ripetizione segnali 9 codici,    0,    222150\r\n",
                0),
            0u);
  EXPECT_EQ(testo.substr(testo.size() - 8), "[fine]\r\n");
  EXPECT_EQ(testo.find("#VECCHIO#"), std::string::npos);  // nothing of the old file
  EXPECT_EQ(testo.find("riferimento fine del file"), std::string::npos);
}

TEST(DatiTreno, NameHasTheBlankOfTheTrainAndAHyphenBeforeTheExtension) {
  DiscoMemoria disco;
  auto m = scenario_spedito();
  dati_treno(m, disco, "c");
  const auto p = piattaforma::unisci_percorso("c", "Tarvena-Olmara-Caldone_Reg 40318-.txt");
  ASSERT_EQ(disco.file.count(p), 1u);
  const std::string& testo = disco.file.at(p);
  EXPECT_NE(testo.find("\r\norologio,    13              55            20 \r\n"), std::string::npos);
  EXPECT_EQ(testo.substr(testo.size() - 8), "[fine]\r\n");
}

TEST(DatiLinea, EveryLineEndsWithCrLfAndNoLoneLineFeed) {
  DiscoMemoria disco;
  auto m = scenario_spedito();
  dati_linea(m, disco, "c");
  dati_treno(m, disco, "c");
  for (const auto& [nome, testo] : disco.file)
    for (size_t i = 0; i < testo.size(); ++i) {
      if (testo[i] == '\n') {
        ASSERT_TRUE(i > 0 && testo[i - 1] == '\r') << nome << " byte " << i;
      }
    }
}

}  // namespace
}  // namespace scenario
