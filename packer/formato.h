#pragma once
// The layouts of the three packed files, for the packer that writes them
// and the inspector that reads them back. Every field is written in its own
// width, little-endian, one after the other: no file header, no record
// count, no gap, no checksum. The header values live in reserved records.

#include <cstddef>
#include <cstdint>

#include "model/modello.h"

namespace scenario::formato {

// ---- Packed item file: the 87 rows of voci, one record each. ----

// Bytes of one item record without its name; a record takes this plus the
// length of its name.
inline constexpr size_t byte_voce = 34;

// Byte offsets of the fields inside an item record whose name is n bytes.
namespace campo_voce {
inline constexpr size_t tipo = 0;       // 1 byte
inline constexpr size_t inizio = 1;     // 4 bytes, signed
inline constexpr size_t fine = 5;       // 4 bytes, signed
inline constexpr size_t posizione = 9;  // 4 bytes, signed
inline constexpr size_t opzione1 = 13;  // 1 byte
inline constexpr size_t nome = 14;      // its length n in 2 bytes, then n bytes of Windows-1252
// dato1 to dato5, 2 bytes each, signed.
constexpr size_t dato1(size_t n) { return 16 + n; }
// opzione2 to opzione5, 1 byte each.
constexpr size_t opzione2(size_t n) { return 26 + n; }
// 4 bytes, signed.
constexpr size_t orario(size_t n) { return 30 + n; }
}  // namespace campo_voce

// ---- Packed track file: every cell of celle, cell i at offset 15 i. ----

inline constexpr size_t byte_cella = 15;

// Byte offsets of the fields inside a cell record.
namespace campo_cella {
inline constexpr size_t tipo = 0;       // 1 byte
inline constexpr size_t valore1 = 1;    // valore1 to valore4: 2 bytes each, signed
inline constexpr size_t valore2 = 3;
inline constexpr size_t valore3 = 5;
inline constexpr size_t valore4 = 7;
inline constexpr size_t tempo = 9;      // then one byte each, in this order
inline constexpr size_t preavviso = 10;
inline constexpr size_t montagna = 11;
inline constexpr size_t velocita = 12;
inline constexpr size_t pendenza = 13;
inline constexpr size_t aderenza = 14;
}  // namespace campo_cella

// ---- Packed line file: column x of planimetria, then column y. ----

// Bytes one plan entry of type `tipo` takes: its 16-bit type code (the
// variante kinds: 0 empty, 2 integer, 5 double), then 0, 2 or 8 value
// bytes. 0 for any other type code, which no packed file may hold.
constexpr size_t byte_variante(uint16_t tipo) {
  switch (tipo) {
    case variante::vuota: return 2;
    case variante::intero: return 4;
    case variante::doppio: return 10;
    default: return 0;
  }
}

// Bytes of the packed line file of a plan with rows 0 to `r` (r = route
// length + 7000): per column rows 0 and 1 integers, 2 to r - 2 doubles,
// r - 1 and r empty, so 10 r - 18 bytes a column.
constexpr int64_t byte_pacchetto_linea(int64_t r) { return 20 * r - 36; }

// ---- Header slots, stamped by the packer after the cab-code pass. ----

// The cell whose valore1 and valore2 carry the header stamp and the
// identity code codice_gara_og.
inline constexpr size_t cella_testata = 1;
// The stamps: voci[riga_linea].dato1 and celle[cella_testata].valore1.
inline constexpr int16_t marca_voci = 610;
inline constexpr int16_t marca_celle = 5121;

}  // namespace scenario::formato
