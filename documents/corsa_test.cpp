// The run as the documents read it off the model: times to the half
// minute, the train number, capitals, and what a stop's times are.

#include "documents/corsa.h"

#include <gtest/gtest.h>

#include <string>

#include "prova/accordo_documenti.h"
#include "prova/sorgenti_prova.h"

namespace documenti {
namespace {

TEST(Corsa, TimesGoToTheHalfMinuteAndWrapAtMidnight) {
  EXPECT_EQ(ora(13 * 3600 + 55 * 60 + 20), "13.55");
  EXPECT_EQ(ora(13 * 3600 + 55 * 60 + 30), "13.55.+");
  EXPECT_EQ(ora(13 * 3600 + 55 * 60 + 59), "13.55.+");
  EXPECT_EQ(ora(-30), "23.59.+");
  EXPECT_EQ(ora(25 * 3600), "01.00");
}

TEST(Corsa, TheTrainNumberIsTheDesignationsLastRunOfDigits) {
  for (const auto& [designazione, numero] :
       {std::pair{"Reg 40318", "40318"}, {"IC 12 bis", "12"}, {"R2205A", "2205"}, {"Espresso", "Espresso"}}) {
    scenario::modello m;
    m.treno = designazione;
    EXPECT_EQ(corsa_di(m).numero, numero) << designazione;
  }
}

TEST(Corsa, CapitalsAndBytesThatPrintNothing) {
  EXPECT_EQ(maiuscolo("citt\xE0 Alta"), "CITT\xC0 ALTA");
  EXPECT_EQ(stampabile("a\tb\x81" "c\x9D"), "a?b?c?");
}

TEST(Corsa, EachStationTakesTheTimesOfItsKind) {
  using prova::sorgente::fermata;
  const prova::sorgenti_testo s{
      prova::sorgente::linea("", 20000),
      prova::sorgente::treno(fermata(0, 8, 1, 8, 0, 0, "O") + fermata(2000, 22, 45, 8, 5, 0, "F") +
                             fermata(4000, 22, 99, 8, 15, 0, "L") + fermata(6000, 28, 0, 8, 20, 0, "T") +
                             fermata(8000, 28, 30, 8, 25, 0, "H") + fermata(10000, 6, 0, 8, 30, 0, "D"))};
  const corsa c = corsa_di(prova::carica(s));
  ASSERT_EQ(c.stazioni.size(), 6u);
  const auto& st = c.stazioni;
  EXPECT_EQ(st[0].genere, genere_fermata::origine);
  EXPECT_EQ(st[0].partenza, 8 * 3600);
  EXPECT_EQ(st[1].genere, genere_fermata::fermata);
  EXPECT_EQ(st[1].arrivo, 8 * 3600 + 5 * 60 - 45);
  EXPECT_EQ(st[2].genere, genere_fermata::lunga);
  EXPECT_FALSE(st[2].arrivo);
  EXPECT_EQ(st[3].genere, genere_fermata::transito);
  EXPECT_FALSE(st[3].senza_protezione);
  EXPECT_TRUE(st[4].senza_protezione);
  EXPECT_EQ(st[5].genere, genere_fermata::termine);
  EXPECT_EQ(st[5].arrivo, 8 * 3600 + 30 * 60);
}

}  // namespace
}  // namespace documenti
