#include "packer/diagnosi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/modello.h"

namespace scenario {
namespace {

// A slip of the keyboard finds the name meant; anything further finds none.
TEST(NomeVicino, SuggestsTheNameMeantOnlyForASlip) {
  struct caso {
    contesto c;
    std::string campo;
    const char* atteso;  // empty: no suggestion
  };
  const std::vector<caso> casi = {
      {contesto::treno, "segmale", "segnale"},
      {contesto::treno, "SABIA  ", "sabbia"},
      {contesto::treno, "velocità", "velocita"},
      {contesto::testata_linea, "Progressiva chilometrica uno", "progressiva chilometrica uno"},
      {contesto::corpo_linea, "curvad7", "curvad1"},
      {contesto::corpo_linea, "cartello-indicatore", "cartello_indicatore"},
      {contesto::treno, "4,1,0", ""},
      {contesto::treno, "treno", ""},
      {contesto::corpo_linea, "segnale", ""},
      {contesto::treno, std::string(1000000, 's'), ""},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.campo.substr(0, 40));
    const auto n = nome_vicino(c.c, c.campo);
    EXPECT_EQ(n ? std::string(*n) : std::string(), c.atteso);
  }
}

// Errors of the cab-code pass trace back to the record that claimed the
// cell they start from; a note names the record that holds a cell.
TEST(Diagnosi, TellsWhoHoldsACell) {
  diagnosi d;
  d.testo_sorgente(sorgente::treno, "[generale]\nsegnale, 2500\nrallentamento, 3900\n");
  d.occupa(51, {sorgente::treno, 11}, "the signal");
  d.occupa(79, {sorgente::treno, 25}, "the start of the slowdown");
  EXPECT_EQ(d.luogo_del_passo(51), (luogo{sorgente::treno, 11}));
  EXPECT_EQ(d.luogo_del_passo(79), (luogo{sorgente::treno, 25}));
  EXPECT_FALSE(d.luogo_del_passo(50));
  EXPECT_FALSE(d.luogo_del_passo(100000));
  const auto n = d.chi_occupa(51);
  ASSERT_TRUE(n);
  EXPECT_EQ(n->testo, "the cell is held by the signal at line 2");
  EXPECT_FALSE(d.chi_occupa(52));
}

// Past the limit a kind is only counted: memory does not grow with the
// number of diagnostics, and the count and the first one left out remain.
TEST(Diagnosi, KeepsTheFirstOfEachKindAndCountsTheRest) {
  diagnosi d;
  const size_t n = diagnosi::mostrati_per_specie + 5000;
  for (size_t i = 0; i < n; ++i) d.avvisa(specie::valore, {sorgente::linea, i}, "x");
  d.avvisa(specie::ordine, {sorgente::linea, 7}, "y");
  EXPECT_EQ(d.avvisi().size(), diagnosi::mostrati_per_specie + 1);
  const auto o = d.omissioni();
  ASSERT_EQ(o.size(), 1u);
  EXPECT_EQ(o[0].quanti, 5000u);
  EXPECT_EQ(o[0].primo, (luogo{sorgente::linea, diagnosi::mostrati_per_specie}));
  EXPECT_FALSE(o[0].errore);
}

// What is found once the loader has stopped a source is marked so; a
// second reading keeps only that.
TEST(Diagnosi, MarksWhatIsFoundAfterTheStop) {
  diagnosi d;
  d.avvisa(specie::valore, {sorgente::treno, 1}, "prima");
  d.arresto(sorgente::linea, false);
  d.avvisa(specie::valore, {sorgente::treno, 2}, "treno, read on");
  d.avvisa(specie::valore, {sorgente::linea, 3}, "linea, after the stop");
  ASSERT_EQ(d.avvisi().size(), 3u);
  EXPECT_FALSE(d.avvisi()[0].dopo_arresto);
  EXPECT_FALSE(d.avvisi()[1].dopo_arresto);
  EXPECT_TRUE(d.avvisi()[2].dopo_arresto);

  diagnosi oltre(/*solo_dopo_arresto=*/true);
  oltre.avvisa(specie::valore, {sorgente::treno, 1}, "already told");
  oltre.arresto(sorgente::treno, true);
  oltre.avvisa(specie::valore, {sorgente::treno, 2}, "new");
  ASSERT_EQ(oltre.avvisi().size(), 1u);
  EXPECT_EQ(oltre.avvisi()[0].testo, "new");
}

}  // namespace
}  // namespace scenario
