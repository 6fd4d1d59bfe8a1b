#pragma once
// The listing of a packed scenario: its header, stations, feature cells,
// mountain zones and profiles in the order of the line, with chainages and
// kilometre readings, as plain text or as one JSON document.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "inspector/flusso_json.h"
#include "model/letture.h"
#include "model/modello.h"

namespace ispettore {

// Kilometre zones and readings: their one home is model/letture.h.
using scenario::formato_km;
using scenario::lettura_km;
using scenario::lettura_zona;
using scenario::zona_km;

// Kilometres as a user gives them (any double): three decimals while they
// are a whole number of metres that an int64_t holds, else in scientific
// form ("1e+308"), "inf" or "nan".
std::string formato_chilometri(double km);

// Seconds since midnight as "hh:mm:ss" (a minus sign before a negative time).
std::string formato_ora(int64_t secondi);

// A station row of the item table.
struct stazione {
  int riga = 0;
  std::string nome;  // UTF-8
  scenario::voce v;  // the record as stored
  std::optional<int32_t> cella_fermata;  // the stop cell that names this row
  std::optional<int64_t> lettura;        // kilometre reading at its chainage
};

// One feature cell, with its values decoded from the combined fields into
// the fields of the source record that gave it (packer/campi.h).
struct elemento {
  int32_t cella = 0;
  // The chainage the author wrote in the source: the cell's start, less
  // 50 m for the kinds placed one cell on (signals, slowdowns, indicator
  // and direction boards).
  int64_t progressiva = 0;
  std::optional<int64_t> lettura;
  uint8_t tipo = 0;
  std::string genere;   // kind, in words, for the drawing: "slowdown start"
  std::string_view record;  // the source record that gives it: "rallentamento"; "" for none
  std::string parte;    // which of the record's cells: "start", "warning board"; "" for its only one
  // The record's fields this cell packs, by their names, in line order;
  // the chainage is progressiva. A cell of an unknown type gives its
  // packed fields by their own names (valore1 ...).
  std::vector<std::pair<std::string, int32_t>> valori;
  std::optional<int32_t> riga;  // the item-table row a stop cell or direction board names
  std::string testo;  // board text or station name, UTF-8
};

// A run of cells with the same non-zero mountain type.
struct zona_montagna {
  int32_t prima = 0;  // first cell
  int32_t ultima = 0;  // last cell
  int tipo = 0;
  std::vector<int32_t> segni;  // cells of type 11 (zone markers) inside it
};

// A point of a profile: from this cell on, the value holds.
struct punto {
  int32_t cella = 0;
  int32_t valore = 0;
};

// Where the features come from in the sources, each as "FILE:LINE", when
// the sources are known (the authors' packer draws what it packed; packed
// files read on their own leave all of it empty): by feature cell, by
// station row, and by the first cell of a profile's run or a mountain zone.
struct provenienze {
  std::map<int32_t, std::string> celle;
  std::map<int, std::string> stazioni;
  std::map<int32_t, std::string> pendenza, velocita, aderenza, montagne;
};

// Everything the listing and the drawing show.
struct resoconto {
  std::string linea;  // route title from record 85, UTF-8
  std::string treno;  // train designation from record 86, UTF-8
  int32_t lunghezza = 0;  // route length, metres
  int32_t ultima_cella = -1;
  std::vector<zona_km> zone;
  std::array<int32_t, 3> sfondi{};  // backgrounds one, two, three
  int32_t codici_da = 0;
  int32_t codici_a = 0;
  int32_t sistema_codici = 0;  // 4, 9 or 0 (none)
  int32_t vetture = 0;
  int32_t massa_frenata = 0;  // percent
  int32_t sabbia = 0;
  std::array<int32_t, 3> orologio{};  // hours, minutes, seconds
  int32_t timbro_voci = 0;
  int32_t timbro_celle = 0;
  int32_t codice_st = 0;
  int32_t codice_og = 0;
  std::vector<stazione> stazioni;
  std::vector<int32_t> codici_del_passo;  // code cells the cab-code pass set (scenario::celle_del_passo)
  std::vector<elemento> elementi;
  std::vector<zona_montagna> montagne;
  std::vector<punto> velocita;  // km/h
  std::vector<punto> pendenza;  // per mille
  std::vector<punto> aderenza;
  provenienze sorgenti;  // the drawing's only; the listing leaves it out
};

// Composes the listing from a decoded model. Requires m.voci decoded;
// m.celle may be empty. Without `con_elementi` the feature cells are left
// out of r.elementi (the writers below then decode them from m one at a
// time, which keeps the memory of a listing small; the drawing needs them).
resoconto componi(const scenario::modello& m, bool con_elementi = true);

// Writes the listing as plain text, UTF-8, one item per line, to `uscita`
// as it is produced; names and texts with control characters escaped. The
// feature cells come from r.elementi, or, when `celle` is given (the model
// r was composed from without its features), from its cells one at a time.
void scrivi_testo(std::ostream& uscita, const resoconto& r, const scenario::modello* celle = nullptr);

// Adds the listing's members (route, train, header, stations, features,
// mountain_zones, profiles) to an open JSON object, each written as it is
// produced, with the same content as the text; `celle` as above.
void scrivi_json(ContenitoreJson& documento, const resoconto& r, const scenario::modello* celle = nullptr);

// The same two as a string and as one JSON object, for small listings.
std::string in_testo(const resoconto& r);
nlohmann::ordered_json in_json(const resoconto& r);

}  // namespace ispettore
