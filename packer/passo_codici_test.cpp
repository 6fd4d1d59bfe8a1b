#include "packer/passo_codici.h"

#include <gtest/gtest.h>

#include <vector>

namespace scenario {
namespace {

// A track of `n` cells, all free, for placing features by hand.
modello binario(size_t n) {
  modello m;
  m.celle.resize(n);
  return m;
}

void metti(modello& m, int32_t n, uint8_t tipo, int16_t valore1 = 0) {
  m.celle[static_cast<size_t>(n)].tipo = tipo;
  m.celle[static_cast<size_t>(n)].valore1 = valore1;
}

void segnale(modello& m, int32_t n) { metti(m, n, tipo_cella::segnale); }
void avviso(modello& m, int32_t n) { metti(m, n, tipo_cella::avviso_rallentamento, 60); }
void occupa(modello& m, int32_t n) { metti(m, n, tipo_cella::cartello_indicatore); }
void codice(modello& m, int32_t n, int16_t valore) { metti(m, n, tipo_cella::codice, valore); }
void rallentamento(modello& m, int32_t inizio, int32_t fine, int16_t velocita) {
  metti(m, fine, tipo_cella::fine_rallentamento, velocita);
  metti(m, inizio, tipo_cella::inizio_rallentamento, velocita);
}

// Indexes of the code cells, in increasing order.
std::vector<int32_t> codici(const modello& m) {
  std::vector<int32_t> trovati;
  for (size_t i = 0; i < m.celle.size(); ++i)
    if (m.celle[i].tipo == tipo_cella::codice) trovati.push_back(static_cast<int32_t>(i));
  return trovati;
}

int16_t valore(const modello& m, int32_t n) { return m.celle[static_cast<size_t>(n)].valore1; }

using indici = std::vector<int32_t>;

TEST(PosaCodici, WorkedExampleBoardSignalsAndSlowdown) {
  modello m = binario(200);
  avviso(m, 76);
  segnale(m, 60);
  segnale(m, 70);
  segnale(m, 135);
  rallentamento(m, 100, 130, 60);
  posa_codici(m);
  EXPECT_EQ(codici(m), (indici{59, 69, 82, 89, 95, 108, 116, 124, 134}));
  for (int32_t n : codici(m)) EXPECT_EQ(valore(m, n), 180) << n;
  EXPECT_EQ(m.codice_errore, 0);
}

TEST(PosaCodici, BoardCoversSignalsInTheTwentyCellsBeforeItDownToCellThree) {
  struct caso {
    const char* nome;
    int32_t cartello;
    indici segnali;
    indici occupate;
    indici attesi;
  };
  const caso casi[] = {
      {"board at 3 looks at nothing", 3, {2}, {}, {}},
      {"board at 5 looks at 4 and 3 only", 5, {4, 2}, {}, {3}},
      {"signal at 3 can take cell 1", 5, {3}, {2}, {1}},
      {"d = 20 covered, d = 21 not", 40, {20, 19}, {}, {18}},
      {"every signal in range, not only the first", 40, {35, 30, 25}, {}, {24, 29, 34}},
      {"cell before taken: two before", 40, {30}, {29}, {28}},
  };
  for (const caso& c : casi) {
    modello m = binario(60);
    avviso(m, c.cartello);
    for (int32_t s : c.segnali) segnale(m, s);
    for (int32_t n : c.occupate) occupa(m, n);
    posa_codici(m);
    EXPECT_EQ(codici(m), c.attesi) << c.nome;
    EXPECT_EQ(m.codice_errore, 0) << c.nome;
  }
}

TEST(PosaCodici, BoardLowersAnExistingCodeOnlyWhenNoFreeCellIsLeft) {
  // Code 75 stays, 270 becomes 180; the cell before the signal is tried
  // before the one two places before it.
  struct caso {
    int16_t prima;         // code at s - 1, 0 = free
    int16_t seconda;       // code at s - 2, 0 = free, -1 = occupied
    int16_t attesa_prima;  // resulting codes
    int16_t attesa_seconda;
  };
  const caso casi[] = {
      {75, -1, 75, 0}, {270, -1, 180, 0}, {180, -1, 180, 0},
      {270, 0, 270, 180},  // free cell two before is preferred to lowering
      {0, 270, 180, 270},  // cell before free: new code, the older one untouched
  };
  for (const caso& c : casi) {
    modello m = binario(60);
    avviso(m, 45);
    segnale(m, 30);
    if (c.prima > 0) codice(m, 29, c.prima);
    if (c.seconda > 0) codice(m, 28, c.seconda);
    if (c.seconda < 0) occupa(m, 28);
    posa_codici(m);
    EXPECT_EQ(valore(m, 29), c.attesa_prima) << c.prima << "/" << c.seconda;
    EXPECT_EQ(valore(m, 28), c.attesa_seconda) << c.prima << "/" << c.seconda;
    EXPECT_EQ(m.codice_errore, 0);
  }
  // Occupied with something else and a code two before: that code is lowered.
  modello m = binario(60);
  avviso(m, 45);
  segnale(m, 30);
  occupa(m, 29);
  codice(m, 28, 270);
  posa_codici(m);
  EXPECT_EQ(valore(m, 28), 180);
}

TEST(PosaCodici, TwoBoardsCoveringOneSignalGiveTwoCodeCells) {
  modello m = binario(80);
  avviso(m, 50);
  avviso(m, 55);
  segnale(m, 45);
  posa_codici(m);
  EXPECT_EQ(codici(m), (indici{43, 44}));
}

TEST(PosaCodici, SignalWithNoRoomBeforeItRecordsElevenAndThePassGoesOn) {
  modello m = binario(80);
  avviso(m, 50);
  segnale(m, 45);
  occupa(m, 44);
  occupa(m, 43);
  segnale(m, 35);  // met later in the same scan: still handled
  posa_codici(m);
  EXPECT_EQ(m.codice_errore, errore::segnale_senza_codice);
  EXPECT_EQ(m.posizione_errore, 45 * 50);
  EXPECT_EQ(codici(m), (indici{34}));
}

TEST(PosaCodici, ApproachGroupsDependOnTheStartCell) {
  // Speed 110 and an end two cells on: no walk code gets in the way.
  struct caso {
    int32_t inizio;
    indici attesi;
  };
  const caso casi[] = {{7, {}}, {8, {3}}, {13, {8}}, {14, {3, 9}}, {20, {9, 15}},
                       {21, {3, 10, 16}}};
  for (const caso& c : casi) {
    modello m = binario(60);
    rallentamento(m, c.inizio, c.inizio + 2, 110);
    posa_codici(m);
    EXPECT_EQ(codici(m), c.attesi) << c.inizio;
    EXPECT_EQ(m.codice_errore, 0) << c.inizio;
  }
}

TEST(PosaCodici, ApproachGroupTakesTheFirstFreeCandidateAndFailsAlone) {
  modello m = binario(80);
  rallentamento(m, 40, 42, 110);
  occupa(m, 35);  // near: 35 taken, 34 free
  occupa(m, 29);  // middle: 29, 28, 27 all taken
  occupa(m, 28);
  occupa(m, 27);
  occupa(m, 22);  // far: 22 and 21 taken, 20 free
  occupa(m, 21);
  posa_codici(m);
  EXPECT_EQ(codici(m), (indici{20, 34}));
  EXPECT_EQ(m.codice_errore, errore::gruppo_avvicinamento);
  EXPECT_EQ(m.posizione_errore, 40 * 50);
}

TEST(PosaCodici, WalkPlacesEveryEightCellsBelowOneHundredTen) {
  struct caso {
    int16_t velocita;
    int32_t fine;
    indici attesi;  // code cells after the start (start at 30)
  };
  const caso casi[] = {
      {109, 50, {38, 46}},
      {110, 50, {}},
      {-5, 50, {38, 46}},  // signed comparison
      {60, 37, {}},        // end within 8 cells: no periodic code
      {60, 38, {37}},      // end exactly 8 on: the cell before it
      {60, 46, {38, 45}},
  };
  for (const caso& c : casi) {
    modello m = binario(80);
    rallentamento(m, 30, c.fine, c.velocita);
    posa_codici(m);
    indici dopo;
    for (int32_t n : codici(m))
      if (n > 30) dopo.push_back(n);
    EXPECT_EQ(dopo, c.attesi) << c.velocita << " to " << c.fine;
    EXPECT_EQ(m.codice_errore, 0);
  }
}

TEST(PosaCodici, WalkCountsTheSpacingFromTheCellActuallyUsed) {
  modello m = binario(100);
  rallentamento(m, 30, 70, 60);
  occupa(m, 38);  // -> 37, next counted from 37: 45
  occupa(m, 45);  // -> 44 taken too -> 46, next from 46: 54
  occupa(m, 44);
  posa_codici(m);
  indici dopo;
  for (int32_t n : codici(m))
    if (n > 30) dopo.push_back(n);
  EXPECT_EQ(dopo, (indici{37, 46, 54, 62, 69}));
  EXPECT_EQ(m.codice_errore, 0);
}

TEST(PosaCodici, WalkWithNoFreeCandidateRecordsThirteenAndPlacesNoMore) {
  modello m = binario(100);
  rallentamento(m, 30, 70, 60);
  occupa(m, 37);
  occupa(m, 38);
  occupa(m, 39);
  posa_codici(m);
  for (int32_t n : codici(m)) EXPECT_LT(n, 30) << "no periodic code after the failure";
  EXPECT_EQ(m.codice_errore, errore::codice_periodico);
  EXPECT_EQ(m.posizione_errore, 38 * 50);
}

TEST(PosaCodici, FirstSignalAfterTheEndGetsItsCode) {
  struct caso {
    const char* nome;
    int16_t velocita;
    indici segnali;
    indici occupate;
    indici attesi;  // code cells after the end (end at 34)
    int32_t errore;
  };
  const caso casi[] = {
      {"signal at the window's last cell", 60, {46}, {}, {45}, 0},
      {"signal past the window", 60, {47}, {}, {}, 0},
      {"only the first signal", 60, {40, 44}, {}, {39}, 0},
      {"cell before taken", 60, {40}, {39}, {38}, 0},
      {"both taken: 13 at the end cell", 60, {40}, {39, 38}, {}, errore::codice_periodico},
      {"signal right after the end", 60, {35}, {}, {}, 0},  // 34 is the end cell, 33 gets it
      {"fast slowdown gets it too", 130, {40}, {}, {39}, 0},
  };
  for (const caso& c : casi) {
    modello m = binario(80);
    rallentamento(m, 30, 34, c.velocita);
    for (int32_t s : c.segnali) segnale(m, s);
    for (int32_t n : c.occupate) occupa(m, n);
    posa_codici(m);
    indici dopo;
    for (int32_t n : codici(m))
      if (n > 34) dopo.push_back(n);
    EXPECT_EQ(dopo, c.attesi) << c.nome;
    EXPECT_EQ(m.codice_errore, c.errore) << c.nome;
    if (c.errore != 0) {
      EXPECT_EQ(m.posizione_errore, 34 * 50) << c.nome;
    }
  }
  modello m = binario(80);
  rallentamento(m, 30, 34, 60);
  segnale(m, 35);
  posa_codici(m);
  EXPECT_EQ(m.celle[33].tipo, tipo_cella::codice) << "end cell taken, the one before it used";
}

TEST(PosaCodici, MountainMarkerBecomesACodeCellKeepingItsProfile) {
  modello m = binario(80);
  avviso(m, 50);
  segnale(m, 45);
  cella& marcatore = m.celle[44];
  marcatore.tipo = tipo_cella::segno_montagna;
  marcatore.valore2 = 7;
  marcatore.montagna = 2;
  marcatore.velocita = 28;
  marcatore.pendenza = 105;
  marcatore.aderenza = 90;
  marcatore.preavviso = 81;
  posa_codici(m);
  EXPECT_EQ(marcatore.tipo, tipo_cella::codice);
  EXPECT_EQ(marcatore.valore1, 180);
  EXPECT_EQ(marcatore.valore2, 7);
  EXPECT_EQ(marcatore.montagna, 2);
  EXPECT_EQ(marcatore.velocita, 28);
  EXPECT_EQ(marcatore.pendenza, 105);
  EXPECT_EQ(marcatore.aderenza, 90);
  EXPECT_EQ(marcatore.preavviso, 81);
}

TEST(PosaCodici, StaysInsideTheArrayNearItsEnd) {
  // Start with no end cell: the walk runs to the last cell and stops there,
  // with no after-end search.
  modello m = binario(31);  // cells 0 to 30
  rallentamento(m, 20, 20, 60);
  segnale(m, 30);
  posa_codici(m);
  EXPECT_EQ(codici(m), (indici{9, 15, 28}));
  EXPECT_EQ(m.codice_errore, 0);

  // The eighth cell is the last one, the one before taken: k + 1 lies
  // outside and is skipped, so error 13 there.
  m = binario(31);
  rallentamento(m, 22, 22, 60);
  occupa(m, 30);
  occupa(m, 29);
  posa_codici(m);
  EXPECT_EQ(m.codice_errore, errore::codice_periodico);
  EXPECT_EQ(m.posizione_errore, 30 * 50);

  // After-end window clipped at the last cell, the signal on it handled.
  m = binario(31);
  rallentamento(m, 26, 27, 60);
  segnale(m, 30);
  posa_codici(m);
  EXPECT_EQ(m.celle[29].tipo, tipo_cella::codice);

  // A fast slowdown with no end cell: no after-end code.
  m = binario(31);
  rallentamento(m, 28, 28, 120);
  segnale(m, 30);
  posa_codici(m);
  EXPECT_EQ(codici(m), (indici{10, 17, 23}));

  // Arrays too short for the walk are left alone.
  for (size_t n : {0u, 1u, 3u}) {
    m = binario(n);
    posa_codici(m);
    EXPECT_EQ(m.celle.size(), n);
  }
}

// Read back from packed cells: the pass's own 180s are told from an
// author's codes, a 180 where the pass places none included.
TEST(CelleDelPasso, AreThe180sThePassPlacesOnTheCellsWithoutThem) {
  modello m = binario(200);
  avviso(m, 76);
  segnale(m, 60);
  segnale(m, 70);
  segnale(m, 135);
  rallentamento(m, 100, 130, 60);
  codice(m, 20, 270);   // an author's code
  codice(m, 30, 180);   // an author's 180, far from anything the pass covers
  codice(m, 40, 0);     // an author's cancelling point
  posa_codici(m);
  EXPECT_EQ(celle_del_passo(m.celle), (indici{59, 69, 82, 89, 95, 108, 116, 124, 134}));
  EXPECT_EQ(celle_del_passo(binario(3).celle), indici{});
}

TEST(PosaCodici, MinimoReturnsTheSmallerAndXOnATie) {
  EXPECT_EQ(minimo(180, 270), 180);
  EXPECT_EQ(minimo(180, 75), 75);
  EXPECT_EQ(minimo(180, -3), -3);
  EXPECT_EQ(minimo(180, 180), 180);
}

}  // namespace
}  // namespace scenario
