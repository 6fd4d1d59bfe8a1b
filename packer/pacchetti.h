#pragma once
// The two identity codes and the byte layouts of the three packed files:
// every field written in its own width, little-endian, one after the other.

#include <cstdint>
#include <string>
#include <string_view>

#include "model/modello.h"
#include "packer/codifica.h"

namespace scenario {

// Windows-1252 lower case of one byte: A-Z, the accented capitals
// 0xC0-0xDE (not 0xD7, the multiplication sign) and the four capitals
// 0x8A, 0x8C, 0x8E, 0x9F map to their small letters; every other byte stays.
unsigned char minuscola_1252(unsigned char c);

// The first 25 bytes of the identity string: the train designation
// (voci[86].nome) and the route title (voci[85].nome), Windows-1252 bytes,
// lower-cased, then the filler "aabbccddeeffgghhiillmmnnoo".
std::string stringa_gara(const modello& m);

// The position-weighted sum 1 c(1) + ... + 25 c(25) of the identity
// string's bytes (0 to 82875): stored in voci[85].orario.
int32_t codice_gara_st(const modello& m);

// The plain sum c(1) + ... + c(25) of the identity string's bytes (0 to
// 6375): stored in cell 1's valore2.
int32_t codice_gara_og(const modello& m);

// Bytes of the packed line file: column 0 (x) of planimetria, then column 1
// (y), each entry a 16-bit type code (0 empty, 2 integer, 5 double) and its
// value. They are the plan table's own bytes, valid while m lives. Requires
// a closed plan table (throws std::logic_error otherwise).
std::string_view pacchetto_linea(const modello& m);

// Bytes of the packed item file: the 87 rows of voci, 34 bytes each plus
// the length of its name. Throws std::length_error for a name over 65535 bytes.
std::string pacchetto_voci(const modello& m);

// Bytes of the packed track file: every cell of celle, 15 bytes each.
std::string pacchetto_celle(const modello& m);

}  // namespace scenario
