#include "authoring/riga_comando.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace autore {
namespace {

// The route title and train designation from the names or the options;
// an empty expectation means the command line is refused.
TEST(IdentitaDa, TakesTheNamesTheBuilderUsesOrTheOptions) {
  struct caso {
    std::vector<std::string> argomenti;
    std::string linea;
    std::string treno;
  };
  const std::vector<caso> casi = {
      {{"a/b/Tarvena_linea.txt", "c/Tarvena_Reg 40318-.txt"}, "Tarvena", "Reg 40318"},
      {{"Alto_Basso_linea.txt", "Alto_Basso_R 1-.txt"}, "Alto_Basso", "R 1"},
      {{"--route", "X", "linea.txt", "X_T-.txt"}, "X", "T"},
      {{"--train", "T2", "X_linea.txt", "whatever.txt"}, "X", "T2"},
      {{"--route", "Y", "--train", "Z", "a.txt", "b.txt"}, "Y", "Z"},
      {{"linea.txt", "X_T-.txt"}, "", ""},           // no route title in the name
      {{"X_linea.txt", "X_T.txt"}, "", ""},          // no "-.txt"
      {{"X_linea.txt", "X_-.txt"}, "", ""},          // an empty designation
      {{"X_linea.txt", "Y_T-.txt"}, "", ""},         // not a pair
      {{"_linea.txt", "_T-.txt"}, "", ""},           // an empty title
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.argomenti.front() + " " + c.argomenti.back());
    const opzioni o = leggi_opzioni(c.argomenti);
    if (c.linea.empty()) {
      EXPECT_THROW(identita_da(o), ErroreUso);
      continue;
    }
    const identita id = identita_da(o);
    EXPECT_EQ(id.linea, c.linea);
    EXPECT_EQ(id.treno, c.treno);
  }
}

// --reference takes the words after it as the record's name, and no sources.
TEST(LeggiOpzioni, ReferenceTakesTheRecordNameAndNoSources) {
  EXPECT_EQ(leggi_opzioni({"--reference"}).record, "");
  EXPECT_EQ(leggi_opzioni({"--reference", "sfondo", "due"}).record, "sfondo due");
  EXPECT_TRUE(leggi_opzioni({"stazione", "--reference"}).riferimento);
}

TEST(LeggiOpzioni, RefusesWatchAndDrawingOptionsThatDoNotGoTogether) {
  const std::vector<std::vector<std::string>> rifiutate = {
      {"--watch", "--json", "X_linea.txt", "X_T-.txt"},
      {"--svg", "-", "X_linea.txt", "X_T-.txt"},
      {"--starting-point", "d", "--svg", "d.svg"},
      {"--starting-point", "d", "--watch"},
  };
  for (const auto& argomenti : rifiutate) EXPECT_THROW(leggi_opzioni(argomenti), ErroreUso) << argomenti[1];
  const opzioni o = leggi_opzioni({"--watch", "--svg=d.svg", "--check", "X_linea.txt", "X_T-.txt"});
  EXPECT_TRUE(o.osserva && o.controllo);
  EXPECT_EQ(o.svg, "d.svg");
}

TEST(CartellaDi, IsTheFolderPartOrTheWorkingFolder) {
  EXPECT_EQ(cartella_di("a/b/c.txt"), "a/b");
  EXPECT_EQ(cartella_di("c.txt"), ".");
  EXPECT_EQ(cartella_di("/c.txt"), "/");
  EXPECT_EQ(nome_di("a/b/c d.txt"), "c d.txt");
}

}  // namespace
}  // namespace autore
