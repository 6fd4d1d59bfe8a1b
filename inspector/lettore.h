#pragma once
// Decoding of the three packed files from their bytes: every field read in
// its own width, little-endian, one after the other, in the packer's own
// layouts (packer/formato.h). Nothing here touches the disk.

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/modello.h"

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

}  // namespace ispettore
