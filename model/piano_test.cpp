#include "model/piano.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "packer/codifica.h"

namespace scenario {
namespace {

// Row r of a column, in rows 0 to R of which 0 to n - 1 are assigned.
double x_di(int32_t r) { return r * 0.5 - 3; }
double y_di(int32_t r) { return -r * 0.25; }

// The packed line file written entry by entry: every row of column x,
// then of column y, each a type code and its value.
std::string atteso(int32_t ultima, int32_t n) {
  std::string b;
  for (int colonna = 0; colonna < 2; ++colonna)
    for (int32_t r = 0; r <= ultima; ++r) {
      if (r >= n) {
        metti_fisso16(b, variante::vuota);
      } else if (r < 2) {
        metti_fisso16(b, variante::intero);
        metti_fisso16(b, static_cast<uint16_t>(colonna == 0 ? -r : 7 * r));
      } else {
        metti_fisso16(b, variante::doppio);
        metti_doppio(b, colonna == 0 ? x_di(r) : y_di(r));
      }
    }
  return b;
}

// Every number of rows a table of R rows can be left with: none, rows 0
// and 1 only, some, those the loader usually assigns (0 to R - 2), and
// rows up to R - 1 and R, which a curve can reach.
TEST(Piano, BytesAreThePackedLineFileForEveryFill) {
  struct caso { int32_t ultima, righe; };
  for (const caso c : {caso{1, 0}, caso{1, 2}, caso{2, 2}, caso{2, 3}, caso{3, 2}, caso{3, 4},
                       caso{10, 0}, caso{10, 1}, caso{10, 2}, caso{10, 6}, caso{10, 9}, caso{10, 10},
                       caso{10, 11}}) {
    SCOPED_TRACE("R " + std::to_string(c.ultima) + ", rows " + std::to_string(c.righe));
    piano p;
    p.crea(c.ultima);
    for (int32_t r = 0; r < c.righe; ++r) {
      if (r < 2)
        p.metti_intero(static_cast<int16_t>(-r), static_cast<int16_t>(7 * r));
      else
        p.metti_doppio(x_di(r), y_di(r));
    }
    EXPECT_THROW(p.byte(), std::logic_error);  // still open
    for (int32_t r = 0; r < c.righe; ++r) {
      EXPECT_EQ(p.valore(0, r), r < 2 ? -r : x_di(r));
      EXPECT_EQ(p.valore(1, r), r < 2 ? 7 * r : y_di(r));
    }
    p.chiudi();
    p.chiudi();  // a second time changes nothing
    const std::string b = atteso(c.ultima, c.righe);
    EXPECT_EQ(p.byte(), b);
    EXPECT_EQ(b.size(), 2 * byte_colonna(c.ultima, c.righe));
    for (int32_t r = 0; r <= c.ultima; ++r) {
      const variante v = p.voce(1, r);
      EXPECT_EQ(v.tipo, r >= c.righe ? variante::vuota : r < 2 ? variante::intero : variante::doppio);
      if (r < c.righe) {
        EXPECT_EQ(v.valore, r < 2 ? 7 * r : y_di(r));
      }
    }
  }
}

TEST(Piano, RowsComeInOrderAndOnlyWhileTheTableIsOpen) {
  piano p;
  EXPECT_FALSE(p.presente());
  EXPECT_THROW(p.metti_intero(0, 0), std::logic_error);  // not created
  EXPECT_THROW(p.crea(0), std::logic_error);
  p.crea(3);
  EXPECT_THROW(p.metti_doppio(1, 1), std::logic_error);  // rows 0 and 1 first
  p.metti_intero(0, 0);
  p.metti_intero(0, 1);
  EXPECT_THROW(p.metti_intero(0, 2), std::logic_error);
  p.metti_doppio(0, 2);
  p.metti_doppio(0, 3);
  EXPECT_THROW(p.metti_doppio(0, 4), std::logic_error);  // past row R
  p.chiudi();
  EXPECT_THROW(p.metti_doppio(0, 4), std::logic_error);
  p.svuota();
  EXPECT_FALSE(p.presente());
  EXPECT_THROW(p.byte(), std::logic_error);
}

// Rows assigned in runs give the same bytes as one at a time, runs that
// cross the layout's room included; a run longer than the rows left is
// refused whole.
TEST(Piano, RunsOfRowsAreRowsOneAtATime) {
  for (const int32_t righe : {3, 9, 10, 11}) {
    SCOPED_TRACE("rows " + std::to_string(righe));
    piano p;
    p.crea(10);
    p.metti_intero(0, 0);
    p.metti_intero(-1, 7);
    int32_t r = 2;
    auto prossima = [&](double& x, double& y) {
      x = x_di(r);
      y = y_di(r);
      ++r;
    };
    p.metti_doppi(0, prossima);
    p.metti_doppi(1, prossima);
    EXPECT_THROW(p.metti_doppi(10, prossima), std::logic_error);  // 9 rows left
    EXPECT_EQ(p.righe(), 3);
    p.metti_doppi(righe - 3, prossima);
    p.chiudi();
    EXPECT_EQ(p.byte(), atteso(10, righe));
  }
}

// A table made again in the memory an earlier one left (svuota keeps it)
// starts empty all the same: its bytes are those of a fresh piano's.
TEST(Piano, ATableMadeAgainInKeptMemoryStartsEmpty) {
  piano p;
  int32_t r = 2;
  auto prossima = [&](double& x, double& y) {
    x = x_di(r);
    y = y_di(r);
    ++r;
  };
  p.crea(40);
  p.metti_intero(0, 0);
  p.metti_intero(-1, 7);
  p.metti_doppi(39, prossima);
  p.chiudi();
  p.svuota();
  p.crea(10);
  p.metti_intero(0, 0);
  p.metti_intero(-1, 7);
  r = 2;
  p.metti_doppi(3, prossima);
  p.chiudi();
  EXPECT_EQ(p.byte(), atteso(10, 5));
}

}  // namespace
}  // namespace scenario
