#include "packer/codifica.h"

#include <bit>
#include <stdexcept>

namespace scenario {
namespace {

// Appends the low `n` bytes of v, lowest first.
void metti_byte(std::string& uscita, uint64_t v, size_t n) {
  char byte[8];
  for (size_t i = 0; i < n; ++i) byte[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  uscita.append(byte, n);
}

// The `n` bytes at `da` as an unsigned number, lowest first.
uint64_t leggi_byte(std::string_view byte, size_t da, size_t n) {
  if (da > byte.size() || byte.size() - da < n)
    throw std::out_of_range("field at byte " + std::to_string(da) + " runs past the end");
  uint64_t v = 0;
  for (size_t i = 0; i < n; ++i) v |= uint64_t{static_cast<unsigned char>(byte[da + i])} << (8 * i);
  return v;
}

}  // namespace

void metti_fisso8(std::string& uscita, uint8_t v) { uscita.push_back(static_cast<char>(v)); }
void metti_fisso16(std::string& uscita, uint16_t v) { metti_byte(uscita, v, 2); }
void metti_fisso32(std::string& uscita, uint32_t v) { metti_byte(uscita, v, 4); }
void metti_doppio(std::string& uscita, double v) {
  metti_byte(uscita, std::bit_cast<uint64_t>(v), 8);
}

void metti_testo(std::string& uscita, std::string_view testo) {
  if (testo.size() > 0xFFFF) throw std::length_error("text field longer than 65535 bytes");
  metti_fisso16(uscita, static_cast<uint16_t>(testo.size()));
  uscita.append(testo);
}

uint16_t leggi_fisso16(std::string_view byte, size_t da) {
  return static_cast<uint16_t>(leggi_byte(byte, da, 2));
}
uint32_t leggi_fisso32(std::string_view byte, size_t da) {
  return static_cast<uint32_t>(leggi_byte(byte, da, 4));
}
uint64_t leggi_fisso64(std::string_view byte, size_t da) { return leggi_byte(byte, da, 8); }
double leggi_doppio(std::string_view byte, size_t da) {
  return std::bit_cast<double>(leggi_fisso64(byte, da));
}

}  // namespace scenario
