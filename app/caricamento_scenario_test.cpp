#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/sequenza.h"
#include "model/identita.h"
#include "model/modello.h"
#include "packer/caricatore.h"
#include "platform/cartella_programma.h"
#include "platform/disco.h"
#include "prova/cartella_temporanea.h"
#include "sources/scrittori.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

// The shipped sources, written by their writers into a temporary folder and
// read back by the loader, give the shipped scenario without an error.
TEST(CaricamentoScenario, ShippedSourcesLoadWithoutError) {
  const prova::CartellaTemporanea temporanea("caricamento_scenario ");
  const fs::path& cartella = temporanea.percorso();
  piattaforma::DiscoReale disco;
  modello m;
  m.linea = linea_scenario;
  m.treno = treno_scenario;
  m.con_planimetria = 1;
  dati_linea(m, disco, cartella.string());
  dati_treno(m, disco, cartella.string());
  memorizza_dati(m, disco, cartella.string());

  EXPECT_EQ(m.codice_errore, 0) << "at chainage " << m.posizione_errore;
  EXPECT_FALSE(
      disco.esiste(piattaforma::unisci_percorso(cartella.string(), nome_sorgente_linea(m.linea))));
  EXPECT_FALSE(disco.esiste(
      piattaforma::unisci_percorso(cartella.string(), nome_sorgente_treno(m.linea, m.treno))));

  EXPECT_EQ(m.voci[riga_treno].fine, 227550);
  EXPECT_EQ(m.celle.size(), 4692u);
  EXPECT_EQ(m.voci[riga_codici].posizione, 9);
  EXPECT_EQ(m.voci[riga_codici].inizio, 0);
  EXPECT_EQ(m.voci[riga_codici].fine, 222150);

  int stazioni = 0;
  for (int r = 1; r < riga_primo_cartello; ++r)
    if (m.voci[r].tipo != 0) ++stazioni;
  EXPECT_EQ(stazioni, 38);
  EXPECT_EQ(m.voci[1].nome, "Tarvena");
  EXPECT_EQ(m.voci[1].orario, (13 * 60 + 55) * 60 + 20);
  EXPECT_EQ(m.voci[38].posizione, 227550);

  int segnali = 0, codici = 0;
  for (const auto& c : m.celle) {
    segnali += c.tipo == tipo_cella::segnale;
    codici += c.tipo == tipo_cella::codice;
  }
  EXPECT_EQ(segnali, 119);
  EXPECT_EQ(codici, 72);

  EXPECT_EQ(m.voci[riga_treno].posizione, 8);
  EXPECT_EQ(m.voci[riga_treno].inizio, 120);
  EXPECT_EQ(m.voci[riga_codici].dato1, 200);
  EXPECT_EQ(m.voci[riga_codici].dato3, 13);
  EXPECT_EQ(m.voci[riga_codici].dato4, 55);
  EXPECT_EQ(m.voci[riga_codici].dato5, 20);
  EXPECT_EQ(m.voci[riga_linea].nome, linea_scenario);
  EXPECT_EQ(m.voci[riga_codici].nome, treno_scenario);
}

}  // namespace
}  // namespace scenario
