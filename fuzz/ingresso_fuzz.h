#pragma once
// One fuzz input run through the whole packer, or read as the authors'
// packer reads it, in a folder held in memory. Two fuzz targets, one for
// each: the packer's runs several times faster, and each keeps a corpus of
// its own paths.
//
// Input layout (both): byte 0 holds flags (bit 0: build the plan geometry,
// j = 1; bit 1: no line source file at all; the other bits are not read);
// the rest is the line source up to the first NUL byte, then the train
// source. Without a NUL byte there is no train source file.

#include <cstdint>
#include <string_view>

namespace scenario {

// Runs memorizza_percorso on the input and returns how it ended: the
// recorded codice_errore (0 when none), or 1250 / 1251 when a header check
// stopped it; when there were no track cells to pack, the code the loader
// recorded, or -1 when it recorded none. Any other outcome (an exception,
// a crash) is a fault of the packer.
int32_t esegui_ingresso_fuzz(std::string_view ingresso);

// Reads the input's sources as the authors' packer does: the loader with
// its checks, the driver's documents made from what it loaded, then the
// packer's second half (impacchetta) with the cab-code pass traced to its
// records; and, where the loader stopped, the sources read again going on
// past every stop. Every place told is turned into a line and column, as
// the report does. Returns how the packing ended, as esegui_ingresso_fuzz
// does (the same outcome for the same input; without a line source, that
// function's own).
int32_t esegui_lettura_autore_fuzz(std::string_view ingresso);

// True for an outcome the packer may end with: -1 (no track cells and no
// code recorded), a header check (1250, 1251), or a code with an entry in
// the error table. Any other code is a fault: the build would report it as
// "unknown error".
bool esito_ammesso(int32_t esito);

}  // namespace scenario
