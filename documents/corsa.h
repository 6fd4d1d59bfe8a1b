#pragma once
// The run as the driver's documents show it, read off the model that the
// loader filled: the stations with their times, the kilometre readings,
// the speed limits, the changes of kilometre zone, the coded stretches of
// cab signalling, the code points and the slowdowns. Every document made
// from the sources takes its facts from here, so that the three agree with
// one another and with what is packed. Text is Windows-1252.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/letture.h"
#include "model/modello.h"

namespace documenti {

// The stop value the sources give a stop of several minutes, whose arrival
// time they do not hold.
inline constexpr uint8_t sosta_lunga = 99;

// How the timetable treats a station.
enum class genere_fermata : uint8_t {
  origine,   // the first station: departure only
  fermata,   // a stop: arrival (departure less the stop) and departure
  lunga,     // a stop of several minutes: departure only, the arrival unknown
  transito,  // passed without stopping; the time, when the source gives one, is a passing time
  termine,   // the last station: arrival only
};

// One station of the run.
struct stazione_corsa {
  int riga = 0;                 // its row of the item table
  std::string nome;             // Windows-1252, printable (see stampabile)
  int32_t progressiva = 0;      // chainage, metres
  int32_t inizio = 0;           // the station area
  int32_t fine = 0;
  genere_fermata genere = genere_fermata::transito;
  bool senza_protezione = false;  // a stop of class 25 or above: no protection signals
  int sosta = 0;                  // the stop in seconds, as the source gives it
  std::optional<int32_t> arrivo;     // seconds since midnight
  std::optional<int32_t> partenza;
  std::optional<int32_t> passaggio;
};

// A speed limit in force from a chainage on, as the cells carry it.
struct limite {
  int32_t progressiva = 0;
  int velocita = 0;  // km/h; 0 where the sources give none
};

// Where one kilometre zone ends and the next begins.
struct cambio_zona {
  int32_t progressiva = 0;
  int64_t lettura_prima = 0;  // the old zone's reading there
  int64_t lettura_dopo = 0;   // the new zone's
};

// A code point of the train source: a code sent from its cell on, or the
// code cancelled there (codice 0).
struct punto_codice {
  int32_t progressiva = 0;  // of its cell
  int codice = 0;
};

// A stretch of chainage, both ends included.
struct tratto {
  int32_t da = 0;
  int32_t a = 0;
};

struct corsa {
  std::string linea;        // route title, Windows-1252
  std::string treno;        // train designation, Windows-1252
  std::string numero;       // the train number, from the designation
  int32_t lunghezza = 0;    // route length, metres
  int percentuale = 0;      // braked-mass percentage
  int vetture = 0;
  std::vector<stazione_corsa> stazioni;  // in the order of the line
  std::vector<scenario::zona_km> zone;
  // The limit at the origin, then every change up to the terminus.
  std::vector<limite> limiti;
  std::vector<cambio_zona> cambi_zona;  // between the origin and the terminus
  int sistema_codici = 0;               // 4 or 9 codes; 0: no cab signalling
  tratto tratto_codici;                 // the stretch the line source equips
  std::vector<punto_codice> punti_codice;  // in the order of the line
  std::vector<scenario::rallentamento> rallentamenti;  // in the order of the train source
};

// Reads the run off a model as the loader left it, before the cab-code
// pass adds its own code cells. A model the loader stopped part-way gives
// what it holds.
corsa corsa_di(const scenario::modello& m);

// The kilometre reading at chainage x; the chainage itself where no zone
// applies.
int64_t lettura(const corsa& c, int64_t x);

// The speed limit in force at chainage x, km/h (0 before every cell of it).
int velocita_a(const corsa& c, int32_t x);

// True when cab signalling is in force at chainage x: within the equipped
// stretch, and the last code point at or before x is not a cancel.
bool codificato(const corsa& c, int32_t x);

// A time as the timetable writes it: "hh.mm", and ".+" after it when the
// seconds are 30 or more (the half minute). `secondi` is taken modulo a day.
std::string ora(int32_t secondi);

// The text with every byte that prints no character in Windows-1252
// (controls, and the five bytes it leaves undefined) turned into "?".
std::string stampabile(std::string_view testo);

// Windows-1252 capitals: a to z and the accented small letters.
std::string maiuscolo(std::string_view testo);

// A fixed text of the program (UTF-8) in Windows-1252.
std::string cp(std::string_view utf8);

}  // namespace documenti
