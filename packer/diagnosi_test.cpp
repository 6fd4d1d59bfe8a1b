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
    const char* campo;
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
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.campo);
    const auto n = nome_vicino(c.c, c.campo);
    EXPECT_EQ(n ? std::string(*n) : std::string(), c.atteso);
  }
}

// Errors of the cab-code pass trace back to the record that owns the cell.
TEST(LuogoDelPasso, TracesEachPassErrorToItsRecord) {
  diagnosi d;
  d.segnale(51, {sorgente::treno, 10});
  d.rallentamento(79, 83, {sorgente::treno, 20});
  EXPECT_EQ(d.luogo_del_passo(errore::segnale_senza_codice, 51), (luogo{sorgente::treno, 10}));
  EXPECT_EQ(d.luogo_del_passo(errore::gruppo_avvicinamento, 79), (luogo{sorgente::treno, 20}));
  EXPECT_EQ(d.luogo_del_passo(errore::codice_periodico, 80), (luogo{sorgente::treno, 20}));
  EXPECT_EQ(d.luogo_del_passo(errore::codice_periodico, 83), (luogo{sorgente::treno, 20}));
  EXPECT_FALSE(d.luogo_del_passo(errore::codice_periodico, 84));
  EXPECT_FALSE(d.luogo_del_passo(errore::segnale_senza_codice, 50));
}

}  // namespace
}  // namespace scenario
