#pragma once
// Fixed-width little-endian encoding of the packed files' fields: the
// writers append to a byte string, the readers decode at an offset.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

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
