#pragma once
// Decoding of the three packed files from their bytes: every field read in
// its own width, little-endian, one after the other, exactly as the packer
// wrote it. Nothing here touches the disk.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "packer/modello.h"

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

// Bytes of one item record without its name, and of one track cell.
inline constexpr size_t byte_voce = 34;
inline constexpr size_t byte_cella = 15;

// Byte offsets of the fields inside one item record whose name is n bytes long.
namespace campo_voce {
inline constexpr size_t nome = 14;  // the 16-bit length, then the name
inline size_t dato1(size_t n) { return 16 + n; }
inline size_t orario(size_t n) { return 30 + n; }
}  // namespace campo_voce

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

// Decodes the cells of the track file, cell i from offset 15 i. Never throws.
celle_lette leggi_celle(std::string_view byte);

// Decodes the plan entries of the packed line file one after the other,
// both columns in one list (column 0 first): each a 16-bit type code, then
// 0, 2 or 8 value bytes for types 0, 2 and 5. Throws ErroreFormato on any
// other type code or on a value cut short.
std::vector<scenario::variante> leggi_piano(std::string_view byte);

// A plan decoded from a packed line file: column x, then column y, one
// entry per metre, each of the type the file gave it.
using piano_letto = std::array<std::vector<scenario::variante>, 2>;

// Bytes one plan entry of type `tipo` takes (0 for an unknown type).
size_t byte_variante(uint16_t tipo);

}  // namespace ispettore
