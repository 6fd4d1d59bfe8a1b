#include "packer/impacchettatore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "model/identita.h"
#include "packer/pacchetti.h"
#include "platform/cartella_programma.h"
#include "platform/errore_file.h"
#include "prova/cartella_temporanea.h"
#include "prova/disco_memoria.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

using piattaforma::DiscoMemoria;

const std::string cartella = "cartella";
const std::string file_linea = piattaforma::unisci_percorso(cartella, "Linea_linea.dat");
const std::string file_voci = piattaforma::unisci_percorso(cartella, "Linea_Treno 1.sim");
const std::string file_celle = piattaforma::unisci_percorso(cartella, "Linea_Treno 1.dat");

int16_t leggi16(const std::string& b, size_t da) {
  return static_cast<int16_t>(static_cast<unsigned char>(b.at(da)) |
                              static_cast<unsigned char>(b.at(da + 1)) << 8);
}
int32_t leggi32(const std::string& b, size_t da) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v |= uint32_t{static_cast<unsigned char>(b.at(da + i))} << (8 * i);
  return static_cast<int32_t>(v);
}

// Offset of record `riga` in a packed item file.
size_t record_voce(const std::string& b, int riga) {
  size_t p = 0;
  for (int i = 0; i < riga; ++i) p += 34 + static_cast<size_t>(leggi16(b, p + 14));
  return p;
}

// A model as the loader would leave it for a route of 2950 m: cells 0 to
// 199, plan rows 0 to 9950, names copied into rows 85 and 86.
modello caricato(int32_t con_planimetria = 1) {
  modello m;
  m.linea = "Linea";
  m.treno = "Treno 1";
  m.voci[riga_linea].nome = "Linea";
  m.voci[riga_codici].nome = "Treno 1";
  m.con_planimetria = con_planimetria;
  m.lunghezza_estesa = 2950 + estensione;
  m.celle.resize(static_cast<size_t>(ultima_cella(2950)) + 1);
  if (con_planimetria != 0) {
    m.planimetria.crea(m.lunghezza_estesa);
    m.planimetria.metti_intero(0, 0);
    m.planimetria.metti_intero(0, 1);
    for (int32_t j = 2; j <= m.lunghezza_estesa - 2; ++j) m.planimetria.metti_doppio(0.0, j);
    m.planimetria.chiudi();
  }
  // A warning board at 50 covering a signal at 45.
  m.celle[50].tipo = tipo_cella::avviso_rallentamento;
  m.celle[45].tipo = tipo_cella::segnale;
  return m;
}

TEST(Impacchetta, WritesTheThreeFilesWithTheHeaderStamped) {
  modello m = caricato();
  m.codice_errore = errore::fuori_celle;  // a recorded error does not stop packing
  DiscoMemoria disco;
  impacchetta(m, disco, cartella);
  EXPECT_EQ(disco.sostituiti, (std::vector<std::string>{file_linea, file_voci, file_celle}));

  const int32_t r = 9950;
  EXPECT_EQ(disco.file[file_linea].size(), static_cast<size_t>(20 * r - 36));
  EXPECT_EQ(disco.file[file_linea], pacchetto_linea(m));

  const std::string& voci = disco.file[file_voci];
  EXPECT_EQ(voci.size(), 87u * 34u + 5u + 7u);
  const size_t r85 = record_voce(voci, 85);
  EXPECT_EQ(voci.substr(r85 + 16, 5), "Linea");
  EXPECT_EQ(leggi16(voci, r85 + 16 + 5), 610);
  EXPECT_EQ(leggi32(voci, r85 + 30 + 5), codice_gara_st(m));
  EXPECT_EQ(codice_gara_st(m), m.voci[riga_linea].orario);

  const std::string& celle = disco.file[file_celle];
  EXPECT_EQ(celle.size(), 15u * 200u);
  EXPECT_EQ(celle.substr(16, 2), "\x01\x14");
  EXPECT_EQ(leggi16(celle, 18), codice_gara_og(m));
  // The cab-code pass ran before the cells were written.
  EXPECT_EQ(celle[15 * 44], tipo_cella::codice);
  EXPECT_EQ(leggi16(celle, 15 * 44 + 1), 180);
  EXPECT_EQ(m.codice_errore, errore::fuori_celle);
}

TEST(Impacchetta, WithoutPlanLeavesAnOlderLineFileAsItWas) {
  modello m = caricato(0);
  DiscoMemoria disco;
  disco.file[file_linea] = "older";
  impacchetta(m, disco, cartella);
  EXPECT_EQ(disco.sostituiti, (std::vector<std::string>{file_voci, file_celle}));
  EXPECT_EQ(disco.file[file_linea], "older");
}

TEST(Impacchetta, TakenHeaderSlotsStopBeforeAnyFileIsWritten) {
  struct caso {
    const char* nome;
    void (*guasta)(modello&);
    int32_t numero;
  };
  const caso casi[] = {
      {"item 85 dato1", [](modello& m) { m.voci[riga_linea].dato1 = 1; }, 1250},
      {"cell 1 valore1 from the data",
       [](modello& m) {
         m.celle[1].tipo = tipo_cella::codice;
         m.celle[1].valore1 = 270;
       },
       1250},
      {"code cell put at cell 1 by the pass",
       [](modello& m) {
         m.celle[5].tipo = tipo_cella::avviso_rallentamento;
         m.celle[3].tipo = tipo_cella::segnale;
         m.celle[2].tipo = tipo_cella::cartello_indicatore;
       },
       1250},
      {"item 85 orario", [](modello& m) { m.voci[riga_linea].orario = 1; }, 1251},
      {"cell 1 valore2", [](modello& m) { m.celle[1].valore2 = -1; }, 1251},
  };
  for (const caso& c : casi) {
    modello m = caricato();
    c.guasta(m);
    DiscoMemoria disco;
    try {
      impacchetta(m, disco, cartella);
      ADD_FAILURE() << c.nome << ": no error";
    } catch (const ErroreFatale& e) {
      EXPECT_EQ(e.numero(), c.numero) << c.nome;
      EXPECT_EQ(std::string(e.what()), " Errore n. " + std::to_string(c.numero)) << c.nome;
    }
    EXPECT_TRUE(disco.file.empty()) << c.nome;
  }
}

TEST(Impacchetta, NoHeaderCellMeansNothingToPack) {
  for (size_t celle : {0u, 1u}) {
    modello m = caricato();
    m.celle.resize(celle);
    DiscoMemoria disco;
    EXPECT_THROW(impacchetta(m, disco, cartella), ModelloSenzaCelle);
    EXPECT_TRUE(disco.file.empty());
  }
}

TEST(Impacchetta, ReplacesOlderLongerFilesOnTheRealDisk) {
  const prova::CartellaTemporanea temporanea("impacchettatore_test");
  const fs::path& dove = temporanea.percorso();
  const std::string celle = piattaforma::unisci_percorso(dove.string(), "Linea_Treno 1.dat");
  const std::string voci = piattaforma::unisci_percorso(dove.string(), "Linea_Treno 1.sim");
  { std::ofstream(celle, std::ios::binary) << std::string(100000, 'x'); }
  { std::ofstream(voci, std::ios::binary) << std::string(100000, 'x'); }

  modello m = caricato(0);
  piattaforma::DiscoReale disco;
  impacchetta(m, disco, dove.string());
  EXPECT_EQ(fs::file_size(celle), 15u * 200u);
  EXPECT_EQ(fs::file_size(voci), 87u * 34u + 12u);
  EXPECT_EQ(disco.leggi(celle), pacchetto_celle(m));
  EXPECT_EQ(std::distance(fs::directory_iterator(dove), {}), 2);
}

// The whole packer from two small source files. Needs the loader.
class MemorizzaPercorso : public ::testing::Test {
 protected:
  void SetUp() override {
    m.linea = "Linea";
    m.treno = "Treno 1";
    disco.file[piattaforma::unisci_percorso(cartella, nome_sorgente_linea(m.linea))] =
        "[generale]\r\n"
        "lunghezza percorso,    2000\r\n"
        "ripetizione segnali 9 codici,    0,    0\r\n"
        "[curve]\r\n"
        "curvad4,  500,  200\r\n"
        "[pendenze]\r\n"
        "pendenza,   0,    0\r\n"
        "[fine]\r\n";
    disco.file[piattaforma::unisci_percorso(cartella, nome_sorgente_treno(m.linea, m.treno))] =
        "[generale]\r\n"
        "numero vetture,    8\r\n"
        "[aderenze]\r\n"
        "aderenza,       0,    90\r\n"
        "[vel_limite]\r\n"
        "velocita,       0,   140\r\n"
        "[rallentamenti]\r\n"
        "rallentamento,    3000,    60,    500,    1,    0,    0\r\n"
        "[segnali]\r\n"
        "segnale,    1000,   2, 4, 0,  0, 0,    2,  1,0,0, 0\r\n"
        "[fine]\r\n";
  }

  modello m;
  DiscoMemoria disco;
};

TEST_F(MemorizzaPercorso, ResetsTheItemsLoadsWalksAndPacks) {
  // Left-overs of an earlier use of the model: all must go.
  m.codice_errore = 99;
  m.voci[3].nome = "stale";
  m.voci[riga_linea].dato1 = 610;  // would stop the build with 1250
  m.voci[riga_linea].orario = 5;
  int32_t j = 1;
  memorizza_percorso(m, disco, cartella, j);
  EXPECT_EQ(m.con_planimetria, 1);
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.voci[3].nome, "");
  EXPECT_FALSE(disco.esiste(piattaforma::unisci_percorso(cartella, "Linea_linea.txt")));

  // Route 2000 m: plan rows 0 to 9000, cells 0 to 180.
  EXPECT_EQ(disco.file[file_linea].size(), static_cast<size_t>(20 * 9000 - 36));
  const std::string& celle = disco.file[file_celle];
  ASSERT_EQ(celle.size(), 15u * 181u);
  // Signal at 1000 (cell 21) covered by the board of the slowdown at 3000
  // (board 37, start 61, end 71): codes at 20, the approach groups 56, 50
  // and 43, and 69 along the walk.
  std::vector<int32_t> codici;
  for (int32_t i = 0; i < 181; ++i)
    if (celle[15 * static_cast<size_t>(i)] == tipo_cella::codice) codici.push_back(i);
  EXPECT_EQ(codici, (std::vector<int32_t>{20, 43, 50, 56, 69}));
  EXPECT_EQ(leggi16(celle, 16), 5121);
  EXPECT_EQ(leggi16(celle, 18), codice_gara_og(m));
  EXPECT_EQ(m.voci[riga_treno].posizione, 8);
}

TEST_F(MemorizzaPercorso, WithJZeroWritesNoLineFile) {
  disco.file[file_linea] = "older";
  int32_t j = 0;
  memorizza_percorso(m, disco, cartella, j);
  EXPECT_EQ(m.con_planimetria, 0);
  EXPECT_EQ(disco.file[file_linea], "older");
  EXPECT_TRUE(disco.esiste(file_voci));
  EXPECT_TRUE(disco.esiste(file_celle));
}

TEST_F(MemorizzaPercorso, MissingLineSourceLeavesNoCellsToPack) {
  disco.file.clear();
  m.celle.resize(50);  // from an earlier use: must not be packed
  int32_t j = 1;
  EXPECT_THROW(memorizza_percorso(m, disco, cartella, j), ModelloSenzaCelle);
  EXPECT_TRUE(disco.sostituiti.empty());
}

}  // namespace
}  // namespace scenario
