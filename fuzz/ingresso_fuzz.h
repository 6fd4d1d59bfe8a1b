#pragma once
// One fuzz input run through the whole packer, in a folder held in memory.
//
// Input layout: byte 0 holds flags (bit 0: build the plan geometry, j = 1;
// bit 1: no line source file at all; bit 2: read the sources first as the
// authors' packer does, with its checks and the driver's documents, and,
// where the loader stopped, again going on past every stop); the rest is the line source up to
// the first NUL byte, then the train source. Without a NUL byte there is
// no train source file.

#include <cstdint>
#include <string_view>

namespace scenario {

// Runs memorizza_percorso on the input and returns how it ended: the
// recorded codice_errore (0 when none), or 1250 / 1251 when a header check
// stopped it; when there were no track cells to pack, the code the loader
// recorded, or -1 when it recorded none. Any other outcome (an exception,
// a crash) is a fault of the packer.
int32_t esegui_ingresso_fuzz(std::string_view ingresso);

}  // namespace scenario
