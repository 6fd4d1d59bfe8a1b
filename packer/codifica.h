#pragma once
// Fixed-width little-endian encoding of the packed files' fields: the
// writers append to a byte string or fill a buffer sized beforehand, the
// readers decode at an offset.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace scenario {

// Stores v at `dove` as sizeof v bytes, lowest first (two's complement for
// signed values, IEEE 754 for a double). On a little-endian host that is
// the value's own bytes, copied as one word. Requires sizeof v bytes at `dove`.
template <typename T>
inline void scrivi_le(char* dove, T v) {
  static_assert(std::is_arithmetic_v<T>);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(dove, &v, sizeof v);
  } else {
    using parola = std::conditional_t<sizeof(T) == 1, uint8_t,
                   std::conditional_t<sizeof(T) == 2, uint16_t,
                   std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
    const auto u = std::bit_cast<parola>(v);
    for (size_t i = 0; i < sizeof v; ++i) dove[i] = static_cast<char>((u >> (8 * i)) & 0xFF);
  }
}

// Reads a T stored by scrivi_le at `da`. Requires sizeof(T) bytes there.
template <typename T>
inline T leggi_le(const char* da) {
  static_assert(std::is_arithmetic_v<T>);
  if constexpr (std::endian::native == std::endian::little) {
    T v;
    std::memcpy(&v, da, sizeof v);
    return v;
  } else {
    using parola = std::conditional_t<sizeof(T) == 1, uint8_t,
                   std::conditional_t<sizeof(T) == 2, uint16_t,
                   std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
    parola u = 0;
    for (size_t i = 0; i < sizeof(T); ++i) u |= static_cast<parola>(static_cast<unsigned char>(da[i])) << (8 * i);
    return std::bit_cast<T>(u);
  }
}

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
