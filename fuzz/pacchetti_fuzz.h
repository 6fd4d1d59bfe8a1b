#pragma once
// One fuzz input run through the inspector as the three packed files of a
// scenario, in a folder held in memory: read, checked, listed and, when
// asked, drawn. The inspector's work must stay within a bound derived from
// what the input's item file declares, whatever the other two files hold.
//
// Input layout: byte 0 holds flags (bit 0: no packed line file; bit 1: the
// listing as JSON; bit 2: draw the SVG too); bytes 1 to 4 and 5 to 8 the
// lengths of the item file and of the track file, 32-bit little-endian
// (cut to the bytes that follow); then the item file, the track file, and
// the rest is the packed line file.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ispettore {

// How one input ended.
struct esito_pacchetti {
  int stato = 0;          // the inspector's exit status
  size_t picco = 0;       // most heap bytes held at once while it ran (0 where not measured)
  size_t limite = 0;      // the most it may hold: memoria_ammessa of the input
  bool misurato = false;  // the heap was measured (builds under AddressSanitizer)
};

// Runs the inspector on the input. Throws nothing a sound inspector throws.
esito_pacchetti esegui_pacchetti_fuzz(std::string_view ingresso);

// The most heap bytes the inspection of an input may hold at once: 64 for
// every byte of the three files that a bounded reader may take (the item
// file's bytes up to the largest item file, the others up to what a file of
// the route the item file declares can hold, plus one), and 16 MiB besides.
// Bytes past those bounds add nothing.
size_t memoria_ammessa(std::string_view voci, std::string_view celle,
                       const std::optional<std::string_view>& linea);

// The input that gives the inspector these three files (no line file when
// `linea` is absent) with the flags of byte 0 (bits 1 and 2).
std::string ingresso_pacchetti(uint8_t flag, std::string_view voci, std::string_view celle,
                               const std::optional<std::string_view>& linea);

// The seed inputs, by file name: the small test scenario packed, sound and
// damaged (a track file a few cells too long, line and track files
// swapped, files cut short), each name starting with the exit status it
// must give ("s0-", "s2-").
std::vector<std::pair<std::string, std::string>> semi_pacchetti();

}  // namespace ispettore
