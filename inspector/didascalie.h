#pragma once
// What each feature of the drawing says when pointed at (its SVG <title>):
// the kind, where it stands and its values as decoded, in one line.

#include <cstdint>
#include <map>
#include <string>

#include "inspector/elenco.h"

namespace ispettore {

// "chainage 2500 m, km 190.050": a chainage and its reading, when it has one.
std::string dove_sta(const resoconto& r, int64_t progressiva);

// A feature cell: signals with each side and its aspects, boards with
// their texts and speeds, cab codes, slowdowns with their speeds, stops
// with their station's name; then its source line, when it is known.
std::string didascalia(const resoconto& r, const elemento& e);

// "; from FILE:LINE": the source line of the feature whose key is `chiave`
// in `dove` (a map of resoconto::sorgenti), to end its title; empty when
// it is not known.
template <class K>
std::string da_sorgente(const std::map<K, std::string>& dove, K chiave) {
  const auto it = dove.find(chiave);
  return it == dove.end() ? std::string() : "; from " + it->second;
}

// One step of the speed limit: its value and the chainages it runs between.
std::string didascalia_velocita(const resoconto& r, int32_t kmh, int64_t da, int64_t a);

}  // namespace ispettore
