#include "model/piano.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace scenario {

size_t byte_colonna(int64_t ultima_riga, int64_t n) {
  const int64_t interi = std::min<int64_t>(n, 2);
  const int64_t doppi = std::max<int64_t>(n - 2, 0);
  return static_cast<size_t>(interi * int64_t{byte_variante(variante::intero)} +
                             doppi * int64_t{byte_variante(variante::doppio)} +
                             (ultima_riga + 1 - n) * int64_t{byte_variante(variante::vuota)});
}

void piano::crea(int32_t ultima_riga) {
  if (ultima_riga < 1) throw std::logic_error("a plan table needs rows 0 and 1");
  // Nothing is laid out yet: a table that gets no row (a header read
  // again, or refused) costs no buffer of the full size.
  svuota();
  ultima_ = ultima_riga;
}

// Lays the table out for the rows the loader assigns in the end, 0 to
// R - 2 (at least rows 0 and 1), so that in the usual case no byte moves
// later. Every entry is empty (00 00) until assigned: the area comes back
// zero (memory kept from an earlier table is cleared as far as it was used).
void piano::disponi() {
  capienza_ = std::max(2, ultima_ - 1);
  inizio_y_ = byte_colonna(ultima_, capienza_);
  byte_.ridimensiona(0);
  byte_.ridimensiona(2 * inizio_y_);
}

void piano::svuota() {
  ultima_ = -1;
  righe_ = 0;
  capienza_ = 0;
  inizio_y_ = 0;
  chiuso_ = false;
  byte_.ridimensiona(0);
}

// Gives column x room for every row up to R: column y moves up.
void piano::allarga() {
  const int32_t tutte = ultima_ + 1;
  const size_t nuovo_y = byte_colonna(ultima_, tutte);
  const size_t vecchio_y = inizio_y_;
  byte_.ridimensiona(2 * nuovo_y);
  std::memmove(byte_.data() + nuovo_y, byte_.data() + vecchio_y, vecchio_y);
  std::memset(byte_.data() + vecchio_y, 0, nuovo_y - vecchio_y);
  capienza_ = tutte;
  inizio_y_ = nuovo_y;
}

void piano::metti_intero(int16_t x, int16_t y) {
  if (!presente() || chiuso_ || righe_ >= 2)
    throw std::logic_error("plan rows 0 and 1 only are integers, assigned first");
  if (righe_ == 0) disponi();
  for (int colonna = 0; colonna < 2; ++colonna) {
    char* p = byte_.data() + inizio_riga(colonna, righe_);
    scrivi_le<uint16_t>(p, variante::intero);
    scrivi_le<int16_t>(p + 2, colonna == 0 ? x : y);
  }
  ++righe_;
}

// Throws for a row of doubles assigned out of order.
void piano::rifiuta_doppio() {
  throw std::logic_error("a plan row of doubles follows rows 0 and 1, up to row R");
}

variante piano::voce(int colonna, int32_t r) const {
  if (r >= righe_) return {};
  return {r < 2 ? variante::intero : variante::doppio, valore(colonna, r)};
}

void piano::chiudi() {
  if (!presente() || chiuso_) return;
  // Each column is its assigned rows, then zeros: exactly the empty entries
  // of the rows left. Column y moves down next to column x when the rows
  // assigned are not those the layout was made for.
  const size_t colonna = byte_colonna(ultima_, righe_);
  if (righe_ == 0)
    byte_.libera();
  else if (colonna != inizio_y_)
    std::memmove(byte_.data() + colonna, byte_.data() + inizio_y_, colonna);
  byte_.ridimensiona(2 * colonna);
  inizio_y_ = colonna;
  capienza_ = righe_;
  chiuso_ = true;
}

std::string_view piano::byte() const {
  if (!chiuso_) throw std::logic_error("the plan table is still being assigned");
  return {byte_.data(), byte_.size()};
}

}  // namespace scenario
