#include "packer/costruttori.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/lettore_campi.h"

namespace scenario {
namespace {

// A model with cells 0 to 500 (25 km of track), all free.
modello con_celle(size_t n = 501) {
  modello m;
  m.celle.assign(n, cella{});
  return m;
}

// Calls memo_segnale with plain values; returns the caller's tempo afterwards.
int32_t segnale(modello& m, int32_t pos, int32_t sx, int32_t s1, int32_t s2, int32_t s3,
                int32_t rapp, int32_t dx, int32_t d1, int32_t d2, int32_t d3, int32_t tempo) {
  memo_segnale(m, pos, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo);
  return tempo;
}

void rallentamento(modello& m, int32_t x, int32_t v, int32_t l, int32_t f_tt, int32_t f_ta,
                   int32_t d_v) {
  memo_rallentamento(m, x, v, l, f_tt, f_ta, d_v);
}

TEST(MemoSegnale, PlacesTheSignalAndItsFourApproachCells) {
  auto m = con_celle();
  m.celle[45].montagna = 2;
  EXPECT_EQ(segnale(m, 2500, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0), 0);
  EXPECT_EQ(m.codice_errore, 0);
  const cella& s = m.celle[51];
  EXPECT_EQ(s.tipo, tipo_cella::segnale);
  EXPECT_EQ(s.valore1, 41);
  EXPECT_EQ(s.valore2, 0);
  EXPECT_EQ(s.valore3, 0);
  EXPECT_EQ(s.valore4, 8);
  EXPECT_EQ(s.tempo, 0);
  EXPECT_EQ(m.celle[49].preavviso, 81);
  EXPECT_EQ(m.celle[47].preavviso, 82);
  EXPECT_EQ(m.celle[45].preavviso, 83);
  EXPECT_EQ(m.celle[43].preavviso, 84);
  EXPECT_EQ(m.celle[45].tipo, 0);       // approach cells are not claimed
  EXPECT_EQ(m.celle[45].montagna, 2);   // and keep their other fields
  EXPECT_EQ(m.celle[50].preavviso, 0);
  EXPECT_EQ(m.celle[41].preavviso, 0);

  // Every value lands in its own field: s1..s3 tens, d1..d3 units, rapp.
  segnale(m, 10000, 1, 2, 5, 1, 1, 2, 3, 1, 1, 0);
  const cella& t = m.celle[201];
  EXPECT_EQ(t.valore1, 23);
  EXPECT_EQ(t.valore2, 51);
  EXPECT_EQ(t.valore3, 11);
  EXPECT_EQ(t.valore4, 15);
  EXPECT_EQ(m.celle[199].preavviso, 51);  // (1 * 3 + 2) * 10 + 1
}

TEST(MemoSegnale, TimingValueRules) {
  struct {
    int32_t sx, tempo, chiamante, cella;
  } casi[] = {
      {2, 100, 101, 101}, {2, 1, 101, 101}, {2, 101, 101, 101}, {2, 0, 0, 0},
      {2, 255, 255, 255}, {2, -5, -5, 251},  // low 8 bits of -5
      {1, 100, 101, 0},   {0, 255, 255, 0},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(testing::Message() << "sx " << c.sx << " tempo " << c.tempo);
    auto m = con_celle();
    EXPECT_EQ(segnale(m, 2500, c.sx, 4, 0, 0, 0, 2, 1, 0, 0, c.tempo), c.chiamante);
    EXPECT_EQ(m.celle[51].tempo, c.cella);
  }
}

TEST(MemoSegnale, FreeCellRulesAndCellsOutsideTheTrack) {
  auto m = con_celle();
  m.celle[51].tipo = tipo_cella::segno_montagna;
  segnale(m, 2500, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0);
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.celle[51].tipo, tipo_cella::segnale);  // the marker is replaced

  const cella prima = m.celle[51];
  segnale(m, 2500, 2, 5, 5, 5, 0, 1, 1, 1, 1, 0);
  EXPECT_EQ(m.codice_errore, errore::segnale_occupato);
  EXPECT_EQ(m.celle[51].valore1, prima.valore1);
  EXPECT_EQ(m.celle[49].preavviso, 81);

  // Near the start the approach cells before cell 0 are skipped.
  auto vicino = con_celle();
  segnale(vicino, 100, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0);
  EXPECT_EQ(vicino.codice_errore, 0);
  EXPECT_EQ(vicino.celle[3].tipo, tipo_cella::segnale);
  EXPECT_EQ(vicino.celle[1].preavviso, 81);

  // A signal whose own cell is outside the track is refused with 15.
  auto prima_inizio = con_celle();
  segnale(prima_inizio, -100, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0);
  EXPECT_EQ(prima_inizio.codice_errore, errore::fuori_celle);
  auto oltre = con_celle();
  segnale(oltre, 25000, 2, 4, 0, 0, 0, 2, 1, 0, 0, 0);  // cell 501
  EXPECT_EQ(oltre.codice_errore, errore::fuori_celle);
}

TEST(MemoRallentamento, WarningBoardOnlyBeyond1500) {
  auto m = con_celle();
  rallentamento(m, 1500, 60, 100, 1, 1, 0);
  EXPECT_EQ(m.codice_errore, 0);
  int occupate = 0;
  for (const auto& z : m.celle) occupate += z.tipo != 0;
  EXPECT_EQ(occupate, 2);  // start and end only
  EXPECT_EQ(m.celle[31].tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(m.celle[33].tipo, tipo_cella::fine_rallentamento);

  auto n = con_celle();
  rallentamento(n, 1550, 60, 100, 1, 1, 0);
  EXPECT_EQ(n.celle[8].tipo, tipo_cella::avviso_rallentamento);
  for (int32_t c : {7, 6, 5, 4}) {
    EXPECT_EQ(n.celle[c].tipo, tipo_cella::prima_avviso);
    EXPECT_EQ(n.celle[c].valore1, 8 - c);
  }
  EXPECT_EQ(n.celle[3].tipo, 0);
}

TEST(MemoRallentamento, PlacesBoardApproachStartAndEnd) {
  auto m = con_celle();
  rallentamento(m, 10000, 60, 1000, 1, 1, 0);
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.celle[177].tipo, tipo_cella::avviso_rallentamento);
  EXPECT_EQ(m.celle[177].valore1, 60);
  for (int32_t i = 1; i <= 4; ++i) {
    EXPECT_EQ(m.celle[177 - i].tipo, tipo_cella::prima_avviso);
    EXPECT_EQ(m.celle[177 - i].valore1, i);
  }
  for (int32_t c : {201, 221}) {
    EXPECT_EQ(m.celle[c].valore1, 60);
    EXPECT_EQ(m.celle[c].valore3, 1);
  }
  EXPECT_EQ(m.celle[201].tipo, tipo_cella::inizio_rallentamento);
  EXPECT_EQ(m.celle[221].tipo, tipo_cella::fine_rallentamento);
  for (const auto& c : m.celle) EXPECT_EQ(c.valore2, 0);
  // Kept for the documents as the source gives it.
  ASSERT_EQ(m.rallentamenti.size(), 1u);
  EXPECT_EQ(m.rallentamenti[0].inizio, 10000);
  EXPECT_EQ(m.rallentamenti[0].velocita, 60);
  EXPECT_EQ(m.rallentamenti[0].lunghezza, 1000);

  // With d_v the second value is set on every cell it names.
  auto d = con_celle();
  rallentamento(d, 10000, 60, 1000, 1, 1, 30);
  for (int32_t c : {221, 201, 177}) EXPECT_EQ(d.celle[c].valore2, 30) << c;
  for (int32_t i = 1; i <= 4; ++i) EXPECT_EQ(d.celle[177 - i].valore2, i);

  // A slowdown shorter than a cell ends as a start cell.
  auto corto = con_celle();
  rallentamento(corto, 10000, 60, 10, 0, 0, 0);
  EXPECT_EQ(corto.celle[201].tipo, tipo_cella::inizio_rallentamento);
}

TEST(MemoRallentamento, TakenCells) {
  struct {
    int32_t cella_occupata;
    int32_t codice;
  } casi[] = {{177, errore::avviso_occupato},
              {201, errore::inizio_occupato},
              {221, errore::fine_occupato},
              {174, errore::prima_avviso_occupata}};
  for (const auto& c : casi) {
    SCOPED_TRACE(c.codice);
    auto m = con_celle();
    m.celle[c.cella_occupata].tipo = tipo_cella::codice;
    rallentamento(m, 10000, 60, 1000, 1, 1, 0);
    EXPECT_EQ(m.codice_errore, c.codice);
    int scritte = 0;
    for (const auto& z : m.celle)
      if (z.tipo != 0 && z.tipo != tipo_cella::codice) ++scritte;
    // Code 20 comes after start, end and board are written, so the
    // slowdown is kept; the others leave everything untouched.
    EXPECT_EQ(scritte, c.codice == errore::prima_avviso_occupata ? 3 : 0);
    EXPECT_EQ(m.rallentamenti.size(), c.codice == errore::prima_avviso_occupata ? 1u : 0u);
  }
}

TEST(MemoRallentamento, EndBeyondTheLastCellIsRefusedWith15) {
  auto m = con_celle();
  rallentamento(m, 24000, 60, 2000, 1, 1, 0);  // end cell 521 of 0..500
  EXPECT_EQ(m.codice_errore, errore::fuori_celle);
  for (const auto& z : m.celle) EXPECT_EQ(z.tipo, 0);
  auto n = con_celle();
  rallentamento(n, 1000, 60, -2000, 1, 0, 0);  // negative length: end before cell 0
  EXPECT_EQ(n.codice_errore, errore::fuori_celle);
}

TEST(MemoIndicatoriVMax, CombinesSpeedsAndStripes) {
  auto m = con_celle();
  int32_t vas = 60, vbs = 70, vcs = 80, ss = 1, vad = 100, vbd = 110, vcd = 120, sd = 2;
  memo_indicatori_v_max(m, 5000, vas, vbs, vcs, ss, vad, vbd, vcd, sd);
  const cella& z = m.celle[101];
  EXPECT_EQ(z.tipo, tipo_cella::indicatori_v_max);
  EXPECT_EQ(z.valore1, 1220);
  EXPECT_EQ(z.valore2, 1422);
  EXPECT_EQ(z.valore3, 1624);
  EXPECT_EQ(z.valore4, 12);

  memo_indicatori_v_max(m, 5000, vas, vbs, vcs, ss, vad, vbd, vcd, sd);
  EXPECT_EQ(m.codice_errore, errore::indicatori_occupato);

  // Speeds that are not multiples of 5 are rounded: 62 / 5 = 12.4 gives 12.
  auto r = con_celle();
  int32_t zero = 0, d = 62, uno = 1;
  int32_t grande = 3000;  // 3000 * 10 + 1 keeps its low 16 bits
  memo_indicatori_v_max(r, 5000, zero, zero, zero, grande, d, zero, zero, uno);
  EXPECT_EQ(r.celle[101].valore1, 12);
  EXPECT_EQ(r.celle[101].valore4, 30001);
  int32_t molte = 7000;  // 70001 does not fit 16 bits: low bits
  memo_indicatori_v_max(r, 6000, zero, zero, zero, molte, d, zero, zero, uno);
  EXPECT_EQ(r.celle[121].valore4, static_cast<int16_t>(70001 - 65536));
}

TEST(MemoIndicatoriVMax, SixteenBitOverflowIsAReadFailure) {
  auto m = con_celle();
  int32_t zero = 0, troppo = 1639, basta = 1638, d = 35;  // 1639 * 20 = 32780
  EXPECT_THROW(memo_indicatori_v_max(m, 5000, troppo, zero, zero, zero, zero, zero, zero, zero),
               piattaforma::ErroreLettura);
  auto n = con_celle();
  memo_indicatori_v_max(n, 5000, basta, zero, zero, zero, d, zero, zero, zero);
  EXPECT_EQ(n.celle[101].valore1, 32767);  // 32760 + 7
  auto o = con_celle();
  int32_t negativo = -1639;
  EXPECT_THROW(memo_indicatori_v_max(o, 5000, zero, zero, negativo, zero, zero, zero, zero, zero),
               piattaforma::ErroreLettura);
  auto fuori = con_celle();
  memo_indicatori_v_max(fuori, 30000, zero, zero, zero, zero, zero, zero, zero, zero);
  EXPECT_EQ(fuori.codice_errore, errore::fuori_celle);
}

TEST(MemoMontagna, ZoneOfTypeAboveTenGetsMarkersOnEveryFourthFreeCell) {
  auto m = con_celle();
  m.celle[27].tipo = tipo_cella::segnale;
  int32_t inizio = 1000, fine = 2000, tipo = 12;
  memo_montagna(m, inizio, fine, tipo);
  EXPECT_EQ(tipo, 2);
  EXPECT_EQ(m.n_montagne, 1);
  EXPECT_EQ(m.inizio_montagna[1], 1000);
  EXPECT_EQ(m.fine_montagna[1], 2000);
  for (size_t c = 18; c <= 41; ++c) {
    const bool in_zona = c >= 20 && c <= 39;
    EXPECT_EQ(m.celle[c].montagna, in_zona ? 2 : 0) << c;
    const bool segno = c == 23 || c == 31 || c == 35 || c == 39;
    EXPECT_EQ(m.celle[c].tipo == tipo_cella::segno_montagna, segno) << c;
  }
  EXPECT_EQ(m.celle[27].tipo, tipo_cella::segnale);  // only a free cell gets a marker
  EXPECT_EQ(m.codice_errore, 0);

  // Type 10 or less: no markers.
  auto n = con_celle();
  int32_t i2 = 1000, f2 = 2000, t2 = 10;
  memo_montagna(n, i2, f2, t2);
  EXPECT_EQ(t2, 10);
  for (const auto& z : n.celle) EXPECT_EQ(z.tipo, 0);
}

TEST(MemoMontagna, LastCellIsEndOverFiftyLessOneRoundedAsAWhole) {
  // fine / 50 - 1 is rounded once: 1125 gives 21.5, hence 22 (not 22.5
  // rounded to 22, less 1); 1075 gives 20.5, hence 20.
  struct {
    int32_t fine, ultima;
  } casi[] = {{1100, 21}, {1125, 22}, {1075, 20}, {1175, 22}};
  for (const auto& c : casi) {
    SCOPED_TRACE(c.fine);
    auto m = con_celle();
    int32_t inizio = 1000, fine = c.fine, tipo = 2;
    memo_montagna(m, inizio, fine, tipo);
    for (size_t z = 19; z <= 25; ++z)
      EXPECT_EQ(m.celle[z].montagna, z >= 20 && z <= static_cast<size_t>(c.ultima) ? 2 : 0) << z;
  }
}

TEST(MemoMontagna, ZoneCloseToThePreviousOneGetsType3) {
  struct {
    int32_t inizio, atteso;
  } casi[] = {{2150, 3}, {2200, 5}, {1500, 3}};
  for (const auto& c : casi) {
    SCOPED_TRACE(c.inizio);
    auto m = con_celle();
    int32_t a = 1000, b = 2000, t = 2;
    memo_montagna(m, a, b, t);
    int32_t i = c.inizio, f = 4000, tipo = 15;
    memo_montagna(m, i, f, tipo);
    EXPECT_EQ(tipo, c.atteso);
    EXPECT_EQ(m.celle[70].montagna, c.atteso);
    // The marker flag survives the change of type.
    EXPECT_EQ(m.celle[static_cast<size_t>(i / 50 + 3)].tipo, tipo_cella::segno_montagna);
  }
}

TEST(MemoMontagna, CellsOutsideTheTrackAreSkippedAndTablesAreBounded) {
  auto m = con_celle(101);  // cells 0 to 100
  int32_t inizio = 4000, fine = 9000, tipo = 14;
  memo_montagna(m, inizio, fine, tipo);
  EXPECT_EQ(m.codice_errore, 0);
  EXPECT_EQ(m.celle[80].montagna, 4);
  EXPECT_EQ(m.celle[100].montagna, 4);
  EXPECT_EQ(m.celle[83].tipo, tipo_cella::segno_montagna);
  EXPECT_EQ(m.celle[99].tipo, tipo_cella::segno_montagna);

  // Beginning before chainage 0: markers keep their places (cell -20 counts 1).
  auto n = con_celle(101);
  int32_t i2 = -1000, f2 = 500, t2 = 11;
  memo_montagna(n, i2, f2, t2);
  EXPECT_EQ(n.celle[0].montagna, 1);
  EXPECT_EQ(n.celle[9].montagna, 1);
  EXPECT_EQ(n.celle[10].montagna, 0);
  EXPECT_EQ(n.celle[3].tipo, tipo_cella::segno_montagna);  // counter 24
  EXPECT_EQ(n.celle[7].tipo, tipo_cella::segno_montagna);
  EXPECT_EQ(n.celle[2].tipo, 0);

  auto o = con_celle(101);
  o.n_montagne = capacita_montagne;
  int32_t a = 0, b = 100, t = 1;
  memo_montagna(o, a, b, t);
  EXPECT_EQ(o.codice_errore, errore::fuori_celle);
  EXPECT_EQ(o.n_montagne, capacita_montagne);
  EXPECT_EQ(o.celle[0].montagna, 0);
}

TEST(ProgressiveOrdina, OrdersTheReferencesByTheirStart) {
  using T = std::array<int32_t, 3>;
  struct {
    const char* nome;
    T tre, due, uno;          // as read into rows 81, 82, 83
    T r81, r82, r83;          // after the sort
  } casi[] = {
      {"shipped line", {131450, 227550, 1}, {100000, -100000, 0}, {0, 187550, 0},
       {131450, 227650, 1}, {100000, -100000, 0}, {0, 187550, 0}},
      {"any order in", {0, 187550, 0}, {131450, 227550, 1}, {100000, -100000, 0},
       {131450, 227650, 1}, {100000, -100000, 0}, {0, 187550, 0}},
      {"two largest starts equal", {100000, 1, 0}, {100000, 2, 0}, {0, 3, 1},
       {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
      {"equal followers: uno before due", {5000, 1, 0}, {0, 2, 0}, {0, 3, 0},
       {5000, 1, 0}, {0, 3, 0}, {0, 2, 0}},
      {"equal followers: uno before tre", {0, 1, 0}, {5000, 2, 0}, {0, 3, 0},
       {5000, 2, 0}, {0, 3, 0}, {0, 1, 0}},
      {"equal followers: due before tre", {0, 1, 0}, {0, 2, 0}, {5000, 3, 0},
       {5000, 3, 0}, {0, 2, 0}, {0, 1, 0}},
      {"all starts 0, only tre has a reading", {0, 5000, 0}, {0, 0, 0}, {0, 0, 0},
       {0, 5000, 0}, {0, 0, 0}, {0, 0, 0}},
      {"all starts 0, uno has a reading", {0, 5000, 0}, {0, 0, 0}, {0, 700, 1},
       {0, 800, 1}, {0, 0, 0}, {0, 5000, 0}},
      {"all starts 0, due has a reading", {0, 5000, 1}, {0, 700, 0}, {0, 0, 0},
       {0, 700, 0}, {0, 5100, 1}, {0, 0, 0}},
      {"starts summing to 0 but not all 0", {-50, 5000, 0}, {50, 0, 0}, {0, 0, 0},
       {-50, 5000, 0}, {50, 0, 0}, {0, 0, 0}},
      {"nothing", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    modello m;
    auto metti = [&](int r, const T& t) {
      m.voci[r].inizio = t[0];
      m.voci[r].fine = t[1];
      m.voci[r].posizione = t[2];
    };
    metti(81, c.tre);
    metti(82, c.due);
    metti(83, c.uno);
    progressive_ordina(m);
    auto riga = [&](int r) { return T{m.voci[r].inizio, m.voci[r].fine, m.voci[r].posizione}; };
    EXPECT_EQ(riga(81), c.r81);
    EXPECT_EQ(riga(82), c.r82);
    EXPECT_EQ(riga(83), c.r83);
  }
}

}  // namespace
}  // namespace scenario
