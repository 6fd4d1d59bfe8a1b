#include "packer/codifica.h"

#include <stdexcept>

namespace scenario {
namespace {

// Appends v in its own width, little-endian.
template <typename T>
void metti(std::string& uscita, T v) {
  char byte[sizeof v];
  scrivi_le(byte, v);
  uscita.append(byte, sizeof v);
}

// Checks that `n` bytes at `da` lie inside `byte`; throws std::out_of_range.
void entro(std::string_view byte, size_t da, size_t n) {
  if (da > byte.size() || byte.size() - da < n)
    throw std::out_of_range("field at byte " + std::to_string(da) + " runs past the end");
}

}  // namespace

void metti_fisso8(std::string& uscita, uint8_t v) { uscita.push_back(static_cast<char>(v)); }
void metti_fisso16(std::string& uscita, uint16_t v) { metti(uscita, v); }
void metti_fisso32(std::string& uscita, uint32_t v) { metti(uscita, v); }
void metti_doppio(std::string& uscita, double v) { metti(uscita, v); }

void metti_testo(std::string& uscita, std::string_view testo) {
  if (testo.size() > 0xFFFF) throw std::length_error("text field longer than 65535 bytes");
  metti_fisso16(uscita, static_cast<uint16_t>(testo.size()));
  uscita.append(testo);
}

uint16_t leggi_fisso16(std::string_view byte, size_t da) {
  entro(byte, da, 2);
  return leggi_le<uint16_t>(byte.data() + da);
}
uint32_t leggi_fisso32(std::string_view byte, size_t da) {
  entro(byte, da, 4);
  return leggi_le<uint32_t>(byte.data() + da);
}
uint64_t leggi_fisso64(std::string_view byte, size_t da) {
  entro(byte, da, 8);
  return leggi_le<uint64_t>(byte.data() + da);
}
double leggi_doppio(std::string_view byte, size_t da) {
  entro(byte, da, 8);
  return leggi_le<double>(byte.data() + da);
}

}  // namespace scenario
