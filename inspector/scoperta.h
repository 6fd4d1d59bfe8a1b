#pragma once
// Finding the scenarios a folder holds from the names of their packed
// files: <route>_linea.dat, <route>_<train>.sim and <route>_<train>.dat.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ispettore {

// One scenario found in a folder, and which of its packed files are there.
struct scenario_trovato {
  std::string linea;  // route title, as in the file names
  std::string treno;  // train designation
  bool con_linea = false;  // <route>_linea.dat
  bool con_voci = false;   // <route>_<train>.sim
  bool con_celle = false;  // <route>_<train>.dat
};

// The route title that an item file holds (record 85), UTF-8, given the
// item file's name; nothing when it cannot be read or decoded.
using titolo_voci = std::function<std::optional<std::string>(const std::string& nome_voci)>;

// The scenarios that the file names show, sorted by route, then train: one
// for each item or track file. The name before the extension is split at
// the end of the longest route title that has a line file in the list and
// is followed by "_"; without one, when the name holds more than one "_",
// after the route title that `titolo` reads from the item file of that
// name (when it begins the name and is followed by "_"); else at the first
// "_". A .dat file is a line file when it ends in "_linea.dat" and no item
// file shares its name. Names without "_" and other files are left out.
std::vector<scenario_trovato> trova_scenari(const std::vector<std::string>& nomi,
                                            const titolo_voci& titolo = {});

// Route titles of the line files in the list that no scenario found by
// trova_scenari uses.
std::vector<std::string> linee_senza_treno(const std::vector<std::string>& nomi);

// The names of the entries in `cartella` (files, folders, links, pipes:
// what stands at a packed file's name is told when it is read), UTF-8, in
// no set order. Throws piattaforma::ErroreFile when the folder cannot be
// listed.
std::vector<std::string> nomi_in_cartella(const std::string& cartella);

}  // namespace ispettore
