#pragma once
// The byte order of every packed field: little-endian, in the field's own
// width. The plan table (model/piano.h) is held in it, and the packer's
// field codec (packer/codifica.h) is built on it, so the order is stated
// here once.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace scenario {

namespace dettaglio {
// The unsigned word as wide as T.
template <typename T>
using parola_di = std::conditional_t<sizeof(T) == 1, uint8_t,
                  std::conditional_t<sizeof(T) == 2, uint16_t,
                  std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
}  // namespace dettaglio

// Stores v at `dove` as sizeof v bytes, lowest first (two's complement for
// signed values, IEEE 754 for a double). On a little-endian host that is
// the value's own bytes, copied as one word. Requires sizeof v bytes at `dove`.
template <typename T>
inline void scrivi_le(char* dove, T v) {
  static_assert(std::is_arithmetic_v<T>);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(dove, &v, sizeof v);
  } else {
    const auto u = std::bit_cast<dettaglio::parola_di<T>>(v);
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
    using parola = dettaglio::parola_di<T>;
    parola u = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
      u |= static_cast<parola>(static_cast<unsigned char>(da[i])) << (8 * i);
    return std::bit_cast<T>(u);
  }
}

}  // namespace scenario
