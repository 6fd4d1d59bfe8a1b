#pragma once
// Fixed-width little-endian encoding of the packed files' fields: the
// writers append to a byte string or fill a buffer sized beforehand, the
// readers decode at an offset. The byte order itself (scrivi_le,
// leggi_le) is stated in model/ordine_byte.h.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "model/ordine_byte.h"

namespace scenario {

// Fills a buffer sized beforehand with fields one after the other, each in
// its own width, little-endian. Requires room for every field written.
class scrittore_byte {
 public:
  explicit scrittore_byte(char* inizio) : p_(inizio) {}
  void fisso8(uint8_t v) { *p_++ = static_cast<char>(v); }
  void fisso16(uint16_t v) { metti(v); }
  void fisso32(uint32_t v) { metti(v); }
  void doppio(double v) { metti(v); }
  // A text field: its length as 16 bits, then its bytes. Requires at most
  // 65535 bytes (checked by the caller, who sized the buffer).
  void testo(std::string_view t) {
    fisso16(static_cast<uint16_t>(t.size()));
    if (!t.empty()) std::memcpy(p_, t.data(), t.size());
    p_ += t.size();
  }
  // Where the next field goes.
  char* posizione() const { return p_; }

 private:
  template <typename T>
  void metti(T v) {
    scrivi_le(p_, v);
    p_ += sizeof v;
  }
  char* p_;
};

// Appends v as 1, 2, 4 or 8 bytes, little-endian (two's complement for
// signed values, IEEE 754 for the double).
void metti_fisso8(std::string& uscita, uint8_t v);
void metti_fisso16(std::string& uscita, uint16_t v);
void metti_fisso32(std::string& uscita, uint32_t v);
void metti_doppio(std::string& uscita, double v);

// Appends a text field: its length as 16 bits, then its bytes. Requires a
// text of at most 65535 bytes (throws std::length_error otherwise).
void metti_testo(std::string& uscita, std::string_view testo);

// Decodes the 2, 4 or 8 bytes at `da`, little-endian. Throws
// std::out_of_range when they are not all inside `byte`.
uint16_t leggi_fisso16(std::string_view byte, size_t da);
uint32_t leggi_fisso32(std::string_view byte, size_t da);
uint64_t leggi_fisso64(std::string_view byte, size_t da);
double leggi_doppio(std::string_view byte, size_t da);

}  // namespace scenario
