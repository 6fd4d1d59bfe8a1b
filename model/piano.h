#pragma once
// The plan table planimetria, held as the packed line file carries it:
// column x (rows 0 to R), then column y, each entry a 16-bit type code and
// its value. The loader assigns the rows in order straight into these
// bytes, and the packer writes them as they stand. The model holds the
// plan in this form, so the layout of the packed line file is stated here;
// packer/formato.h refers to it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/ordine_byte.h"
#include "platform/area_zeri.h"

namespace scenario {

// One entry of the plan table: empty, a 16-bit integer or a double. The
// packed line file records which, so the kind is kept.
struct variante {
  enum : uint16_t { vuota = 0, intero = 2, doppio = 5 };
  uint16_t tipo = vuota;
  double valore = 0;  // holds the integer exactly when tipo is intero
};

// Bytes one plan entry of type `tipo` takes in the packed line file: its
// 16-bit type code, then 0, 2 or 8 value bytes. 0 for any other type code,
// which no packed file may hold.
constexpr size_t byte_variante(uint16_t tipo) {
  switch (tipo) {
    case variante::vuota: return 2;
    case variante::intero: return 4;
    case variante::doppio: return 10;
    default: return 0;
  }
}

class piano {
 public:
  // Creates rows 0 to ultima_riga (R) in both columns, every entry empty.
  // Requires R >= 1.
  void crea(int32_t ultima_riga);
  // Removes the table: there is no plan. Its memory is kept for the next
  // table (a model loaded again lays its plan out in it); destroying the
  // piano gives it back.
  void svuota();

  bool presente() const { return ultima_ >= 0; }
  // R, the last row; -1 without a plan.
  int32_t ultima_riga() const { return ultima_; }
  // Rows 0 to righe() - 1 hold a value; the others are empty.
  int32_t righe() const { return righe_; }

  // Assigns the next row, row righe(): rows 0 and 1 as 16-bit integers,
  // every later one as doubles. Require a table created and not closed, a
  // row left (righe() <= R), and the kind that row takes (throw
  // std::logic_error otherwise).
  void metti_intero(int16_t x, int16_t y);
  void metti_doppio(double x, double y) {
    metti_doppi(1, [&](double& a, double& b) {
      a = x;
      b = y;
    });
  }

  // Assigns the next n rows as doubles, one after the other, each with the
  // values riga(x, y) sets: metti_doppio n times over, its requirements
  // checked once for all n rows. n <= 0 assigns nothing.
  template <class Riga>
  void metti_doppi(int64_t n, Riga&& riga) {
    if (n <= 0) return;
    if (!presente() || chiuso_ || righe_ < 2 || n > int64_t{ultima_} - righe_ + 1) rifiuta_doppio();
    if (righe_ + n > capienza_) allarga();
    constexpr size_t passo = byte_variante(variante::doppio);
    char* px = byte_.data() + inizio_riga(0, righe_);
    char* py = byte_.data() + inizio_riga(1, righe_);
    for (int64_t i = 0; i < n; ++i, px += passo, py += passo) {
      double x = 0, y = 0;
      riga(x, y);
      scrivi_le<uint16_t>(px, variante::doppio);
      scrivi_le(px + 2, x);
      scrivi_le<uint16_t>(py, variante::doppio);
      scrivi_le(py + 2, y);
    }
    righe_ += static_cast<int32_t>(n);
  }

  // The value of row r in `colonna` (0: x, 1: y). Requires r < righe().
  double valore(int colonna, int32_t r) const {
    const char* p = byte_.data() + inizio_riga(colonna, r) + 2;
    return r < 2 ? static_cast<double>(leggi_le<int16_t>(p)) : leggi_le<double>(p);
  }
  // The entry of row r in `colonna`, empty beyond the rows assigned.
  // Requires 0 <= r <= R.
  variante voce(int colonna, int32_t r) const;

  // Ends the assignments: the rows left empty are laid down as empty
  // entries, and byte() is the packed line file from then on. Closing a
  // closed table changes nothing.
  void chiudi();
  bool chiuso() const { return chiuso_; }

  // The packed line file. Requires a closed table (throws std::logic_error).
  std::string_view byte() const;

 private:
  // Offset of row r's type code in `colonna`; requires r < capienza_.
  size_t inizio_riga(int colonna, int32_t r) const {
    const size_t base = colonna == 0 ? 0 : inizio_y_;
    constexpr size_t intero = byte_variante(variante::intero);
    constexpr size_t doppio = byte_variante(variante::doppio);
    return base + (r < 2 ? intero * static_cast<size_t>(r)
                         : 2 * intero + doppio * static_cast<size_t>(r - 2));
  }
  void disponi();
  void allarga();
  [[noreturn]] static void rifiuta_doppio();

  int32_t ultima_ = -1;
  int32_t righe_ = 0;
  // Rows column x has full room for before column y begins: once row 0 is
  // assigned, those the loader assigns in the end (0 to R - 2), all of
  // them once a later row is assigned.
  int32_t capienza_ = 0;
  size_t inizio_y_ = 0;  // where column y begins in byte_
  bool chiuso_ = false;
  // Zero until assigned: an empty entry is 00 00.
  piattaforma::AreaZeri byte_;
};

// Bytes of one packed column of rows 0 to R when rows 0 to n - 1 hold a
// value (at most R + 1): byte_variante of an integer for each of rows 0 and
// 1, of a double for each later row, of an empty entry for each row left.
size_t byte_colonna(int64_t ultima_riga, int64_t n);

}  // namespace scenario
