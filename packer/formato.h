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

// The model holds the plan table in this file's own form, so its layout is
// stated with the table, in model/piano.h: byte_variante (the bytes one
// entry takes: 2 empty, 4 integer, 10 double) and byte_colonna.
using scenario::byte_variante;

// Bytes of the packed line file of a plan with rows 0 to `r` (r = route
// length + 7000): per column rows 0 and 1 integers, 2 to r - 2 doubles,
// r - 1 and r empty, so 10 r - 18 bytes a column (byte_colonna(r, r - 1)
// for r >= 3).
constexpr int64_t byte_pacchetto_linea(int64_t r) { return 20 * r - 36; }

// ---- Header slots, stamped by the packer after the cab-code pass. ----

// The cell whose valore1 and valore2 carry the header stamp and the
// identity code codice_gara_og.
inline constexpr size_t cella_testata = 1;
// The stamps: voci[riga_linea].dato1 and celle[cella_testata].valore1.
inline constexpr int16_t marca_voci = 610;
inline constexpr int16_t marca_celle = 5121;

}  // namespace scenario::formato
