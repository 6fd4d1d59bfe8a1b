#include "platform/file_testo.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/errore_file.h"

namespace piattaforma {
namespace {

TEST(TabellaRighe, SplitsAtLineFeedsAndClosesWithTheMarker) {
  auto t = tabella_righe("uno\n\n tre \n", "prova");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0], "uno");
  EXPECT_EQ(t[1], "");
  EXPECT_EQ(t[2], " tre ");  // blanks are content
  EXPECT_EQ(t[3], marcatore_fine);
}

TEST(TabellaRighe, RefusesContentThatWouldBreakTheTable) {
  EXPECT_THROW(tabella_righe("senza fine", "p"), std::logic_error);
  EXPECT_THROW(tabella_righe("a\r\n", "p"), std::logic_error);
  EXPECT_THROW(tabella_righe("a\nriferimento fine del file\nb\n", "p"), std::logic_error);
  std::string mille;
  for (int i = 0; i < 1000; ++i) mille += "x\n";
  EXPECT_EQ(tabella_righe(mille, "p").size(), 1001u);
  EXPECT_THROW(tabella_righe(mille + "x\n", "p"), std::logic_error);
}

TEST(TestoCrlf, WritesWindows1252LinesEachEndedByCrLfUpToTheMarker) {
  std::vector<std::string> t = {"Località", "", " ", std::string(marcatore_fine), "mai"};
  EXPECT_EQ(testo_crlf(t, "f.txt"), "Localit\xE0\r\n\r\n \r\n");
}

TEST(TestoCrlf, ACharacterWithoutAByteNamesTheFileAndTheLine) {
  std::vector<std::string> t = {"ok", "freccia \xE2\x86\x92", std::string(marcatore_fine)};
  try {
    testo_crlf(t, "/cartella/note.txt");
    FAIL() << "no error";
  } catch (const ErroreFile& e) {
    EXPECT_EQ(e.percorso(), "/cartella/note.txt");
    EXPECT_NE(e.motivo().find("line 2"), std::string::npos) << e.motivo();
    EXPECT_NE(e.motivo().find("character 9"), std::string::npos) << e.motivo();
  }
}

}  // namespace
}  // namespace piattaforma
