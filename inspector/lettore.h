#pragma once
// Decoding of the three packed files from their bytes: every field read in
// its own width, little-endian, one after the other, in the packer's own
// layouts (packer/formato.h). Nothing here touches the disk.
//
// The files may come from anyone, so their reading is bounded by what they
// declare: the item file first (it can hold at most massimo_byte_voci),
// then the route length it gives in record 84 sets how many bytes the
// track file and the line file can hold (byte_celle_attesi,
// byte_linea_attesi). A reader takes at most da_leggere_* bytes of each
// file (Disco::leggi_inizio) and decodes no more than a valid file holds;
// leggi_celle and leggi_piano take that bound as their last argument.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/modello.h"
#include "packer/formato.h"

namespace ispettore {

// Bytes that cannot be decoded any further: the byte offset where decoding
// stopped, the record or entry it belongs to, and why.
class ErroreFormato : public std::runtime_error {
 public:
  ErroreFormato(size_t offset, std::string dove, std::string motivo);

  size_t offset() const { return offset_; }
  const std::string& dove() const { return dove_; }
  const std::string& motivo() const { return motivo_; }

 private:
  size_t offset_;
  std::string dove_;
  std::string motivo_;
};

// The item file decoded: its 87 records, the offset where each begins and
// the bytes they take in all (the file should end there).
struct voci_lette {
  std::array<scenario::voce, scenario::righe_voci> voci;
  std::array<size_t, scenario::righe_voci> inizio{};
  size_t byte_usati = 0;
};

// Decodes the 87 item records from the start of `byte`; bytes after them
// are left to the caller. Throws ErroreFormato when a record is cut short.
voci_lette leggi_voci(std::string_view byte);

// The track file decoded: every whole 15-byte cell, and the bytes left over
// after the last whole one (0 in a sound file).
struct celle_lette {
  std::vector<scenario::cella> celle;
  size_t byte_avanzati = 0;
};

// Decodes the cells of the track file, cell i from offset 15 i, at most
// `massimo_celle` of them. byte_avanzati counts the bytes after the last
// cell decoded (those of further cells too). Never throws.
celle_lette leggi_celle(std::string_view byte,
                        size_t massimo_celle = std::numeric_limits<size_t>::max());

// Decodes the plan entries of the packed line file one after the other,
// both columns in one list (column 0 first), at most `massimo_voci` of
// them: each a 16-bit type code, then 0, 2 or 8 value bytes for types 0, 2
// and 5. Throws ErroreFormato on any other type code or on a value cut
// short.
std::vector<scenario::variante> leggi_piano(
    std::string_view byte, size_t massimo_voci = std::numeric_limits<size_t>::max());

// The largest item file: 87 records, each with a name as long as its
// 16-bit length allows.
inline constexpr size_t massimo_byte_voci = scenario::righe_voci * (scenario::formato::byte_voce + 65535);

// The route length, metres, that the item records give in record 84,
// when it lies in 0 to scenario::lunghezza_massima; nothing otherwise.
std::optional<int32_t> lunghezza_dichiarata(const std::array<scenario::voce, scenario::righe_voci>& voci);

// The same from the bytes of an item file; nothing also when its records
// cannot be decoded.
std::optional<int32_t> lunghezza_dichiarata(std::string_view byte_voci);

// The bytes of a sound track file and of a sound packed line file for a
// route of `lunghezza` metres (0 to scenario::lunghezza_massima): 15 (U + 1)
// with U the last cell, and 20 R - 36 with R = lunghezza + 7000.
uint64_t byte_celle_attesi(int32_t lunghezza);
uint64_t byte_linea_attesi(int32_t lunghezza);

// The most bytes that the 2 (R + 1) plan entries of a line file of route
// length `lunghezza` can take, each of any type: 10 bytes each. A reader
// decodes no entry past them (a wrong type code shifts the rest, and the
// faults are still found where they are).
uint64_t byte_linea_massimi(int32_t lunghezza);

// How many leading bytes of each file a reader takes: what a file of the
// layout can hold (for route length `lunghezza`, or for the longest route
// when it is not known), plus one byte that shows an excess.
inline constexpr size_t da_leggere_voci = massimo_byte_voci + 1;
size_t da_leggere_celle(std::optional<int32_t> lunghezza);
size_t da_leggere_linea(std::optional<int32_t> lunghezza);

// A plan decoded from a packed line file: column x, then column y, one
// entry per metre, each of the type the file gave it.
using piano_letto = std::array<std::vector<scenario::variante>, 2>;

}  // namespace ispettore
