#pragma once
// The slowdown order form of an author's scenario, made from its run: one
// numbered row for each slowdown of the train source, in its order, with
// the stations it lies between (or the station it lies in), the reading
// where it begins, its speed and its length. A page holds 26 rows, as the
// builder's own form does; more slowdowns take more pages, none gives the
// blank form. Lines are Windows-1252, without line ends.

#include <string>
#include <vector>

#include "documents/corsa.h"

namespace documenti {

// Table lines on one page of the form.
inline constexpr size_t righe_per_modulo = 26;

// Where a slowdown beginning at chainage x lies: the name of the station
// whose area holds x, else "A - B" for the stations either side ("A -" past
// the last, "- B" before the first); empty when there is no station.
std::string luogo_rallentamento(const corsa& c, int32_t x);

// The whole form, one string per line: 46 lines a page.
std::vector<std::string> genera_rallentamenti(const corsa& c);

}  // namespace documenti
