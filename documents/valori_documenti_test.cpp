// The values file: what it holds, and each kind of record it refuses, at
// its line and column.

#include "documents/valori_documenti.h"

#include <gtest/gtest.h>

#include <string>

namespace documenti {
namespace {

TEST(ValoriDocumenti, ReadsEveryRecord) {
  const valori_documenti v = leggi_valori(
      "; the shipped sheet's values\r\n"
      "classificazione, REG\r\n"
      "massa,    300T\r\n"
      "\r\n"
      "locomotiva, E 646\n"
      "apparato, RSC4\n"
      "categoria, V140B\n"
      "banalizzato, 0, 31200\n"
      "banalizzato,  140550 , 152300");
  EXPECT_EQ(v.classificazione, "REG");
  EXPECT_EQ(v.massa, "300T");
  EXPECT_EQ(v.locomotiva, "E 646");
  EXPECT_EQ(v.apparato, "RSC4");
  EXPECT_EQ(v.categoria, "V140B");
  ASSERT_EQ(v.banalizzati.size(), 2u);
  EXPECT_EQ(v.banalizzati[1].da, 140550);
  EXPECT_EQ(v.banalizzati[1].a, 152300);
  EXPECT_EQ(leggi_valori("").locomotiva, "");
}

TEST(ValoriDocumenti, RefusesWhatItCannotTakeAtItsLineAndColumn) {
  struct caso {
    const char* testo;
    size_t riga, colonna;
    const char* messaggio;
  };
  const caso casi[] = {
      {"locomotive, E 646\n", 1, 1, "`locomotive` is no record of this file"},
      {"massa, 300T\nmassa, 400T\n", 2, 1, "massa is given twice"},
      {"locomotiva,   \n", 1, 12, "locomotiva has no value"},
      {"apparato, RSC4 e RS9\n", 1, 11, "apparato `RSC4 e RS9` is 10 characters long; its cell holds 8"},
      {"banalizzato, 0\n", 1, 14, "banalizzato takes two chainages"},
      {"banalizzato, 0, 1km\n", 1, 17, "`1km` is not a chainage in whole metres"},
      {"banalizzato, 5000, 100\n", 1, 20, "the stretch ends before it begins"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.testo);
    try {
      leggi_valori(c.testo);
      ADD_FAILURE() << "not refused";
    } catch (const ErroreValori& e) {
      EXPECT_EQ(e.riga, c.riga);
      EXPECT_EQ(e.colonna, c.colonna);
      EXPECT_EQ(std::string(e.what()).rfind(c.messaggio, 0), 0u) << e.what();
    }
  }
}

}  // namespace
}  // namespace documenti
