#pragma once
// The scenario model: the line cut into 50 m track cells, the 87-row item
// table and the plan geometry, as the loader fills them and the packer
// writes them. Plain data, but for the plan table, which is kept in the
// packed line file's own form (model/piano.h); the procedures that fill
// the model take it explicitly.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/errori.h"
#include "model/piano.h"

namespace scenario {

// One 50 m cell of track; cell k covers chainage 50 k to 50 k + 50.
struct cella {
  uint8_t tipo = 0;       // cell type code, see tipo_cella; 0 = free
  int16_t valore1 = 0;    // four data fields, meaning per tipo
  int16_t valore2 = 0;
  int16_t valore3 = 0;
  int16_t valore4 = 0;
  uint8_t tempo = 0;      // signal timing value
  uint8_t preavviso = 0;  // approach marker (81..84 before a stop, 10*(3sx+dx)+n before a signal)
  uint8_t montagna = 0;   // mountain-zone type, 0 outside zones
  uint8_t velocita = 0;   // line speed in units of 5 km/h
  uint8_t pendenza = 0;   // gradient per mille + 100
  uint8_t aderenza = 0;   // adhesion value
};

// Cell type codes held in cella::tipo.
namespace tipo_cella {
inline constexpr uint8_t libera = 0;
inline constexpr uint8_t segnale = 1;
inline constexpr uint8_t fine_rallentamento = 2;
inline constexpr uint8_t inizio_rallentamento = 3;
inline constexpr uint8_t avviso_rallentamento = 4;
inline constexpr uint8_t prima_avviso = 5;
inline constexpr uint8_t indicatori_v_max = 6;
inline constexpr uint8_t fermata = 10;
inline constexpr uint8_t segno_montagna = 11;
inline constexpr uint8_t codice = 12;
inline constexpr uint8_t rimozione_codice = 13;
inline constexpr uint8_t cartello_indicatore = 14;
}  // namespace tipo_cella

// A cell is free when nothing claims it: type 0, or only a mountain marker.
inline bool libera(const cella& c) {
  return c.tipo == tipo_cella::libera || c.tipo == tipo_cella::segno_montagna;
}

// One row of the item table: a station, a board text or header values.
struct voce {
  uint8_t tipo = 0;
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t posizione = 0;
  uint8_t opzione1 = 0;
  std::string nome;  // Windows-1252 bytes
  int16_t dato1 = 0;
  int16_t dato2 = 0;
  int16_t dato3 = 0;
  int16_t dato4 = 0;
  int16_t dato5 = 0;
  uint8_t opzione2 = 0;
  uint8_t opzione3 = 0;
  uint8_t opzione4 = 0;
  uint8_t opzione5 = 0;
  int32_t orario = 0;  // seconds since midnight
};

// The item table voci: 87 rows, 0 to 86. What each row holds:
//
//   row 0       not used; stays reset.
//   rows 1 up   stations, in the order of the train source: station k in
//               row k. tipo = station class; posizione = chainage of the
//               station, a multiple of 50; inizio, fine = chainages where
//               the station area begins and ends (derived from the class and
//               the length); nome = station name; orario = time of day in
//               seconds since midnight; opzione3 = stop in seconds. The
//               other option fields take the source's values as they come,
//               in this order after the length: opzione1, opzione5,
//               opzione4, dato1, dato2, opzione2, dato3, dato4, dato5,
//               opzione3 (opzione4 and opzione5 may be forced to 0).
//   rows 80 down  direction-board texts, in the order of the line source:
//               the first board in row 80, the next in 79; only nome is set.
//               Stations stop before they would reach a board's row.
//   rows 81-83  the three kilometre zones ("progressiva chilometrica"
//               lines), in the order progressive_ordina leaves them:
//               inizio = chainage from which the zone applies; fine = the
//               reading at chainage 0, plus 100 when the reading falls;
//               posizione = direction, 1 when the reading falls with the
//               chainage (zona_discendente), anything else when it grows.
//   row 84      inizio = braked-mass percentage; fine = route length in
//               metres; posizione = number of coaches.
//   row 85      inizio, posizione, fine = backgrounds one, two, three;
//               nome = route title (Windows-1252); dato1 = header stamp 610
//               and orario = identity code codice_gara_st, both stamped by
//               the packer.
//   row 86      inizio, fine = first and last chainage of cab signalling;
//               posizione = codes of the cab-signalling system (4 or 9, 0
//               when the last chainage is 0); nome = train designation
//               (Windows-1252); dato1 = sand; dato3, dato4, dato5 = clock
//               hours, minutes, seconds.
//
// Fields not named for a row stay 0.
inline constexpr int righe_voci = 87;            // rows 0 to 86
inline constexpr int riga_prima_stazione = 1;    // stations fill 1 upwards
inline constexpr int riga_primo_cartello = 80;   // boards fill 80 downwards
inline constexpr int riga_progressiva_tre = 81;  // 81..83: kilometre zones
inline constexpr int riga_progressiva_due = 82;
inline constexpr int riga_progressiva_uno = 83;
inline constexpr int riga_treno = 84;   // braked mass, length, coaches
inline constexpr int riga_linea = 85;   // backgrounds, route title, stamps
inline constexpr int riga_codici = 86;  // cab-signalling stretch, train, sand, clock

// Station classes (tipo of a station row): from this class up a station
// is passed without a stop cell (a halt without protection signals).
inline constexpr uint8_t classe_senza_fermata = 25;

// Direction of a kilometre zone (posizione of rows 81-83) whose reading
// falls with the chainage, and what is added to its stored reading.
inline constexpr int32_t zona_discendente = 1;
inline constexpr int32_t aggiunta_discendente = 100;

// The reading, in metres, at chainage 0 of a kilometre zone as the loader
// stores it (rows 81 to 83: `salvato` in fine, `direzione` in posizione):
// the stored value, less what the loader adds to a falling zone's.
inline int64_t lettura_a_zero(int32_t salvato, int32_t direzione) {
  return direzione == zona_discendente ? int64_t{salvato} - aggiunta_discendente : int64_t{salvato};
}

// Kilometre reading, in metres, at chainage x (int64_t or double) of a zone
// whose reading at chainage 0 is `a_zero`: that plus x, or less x when the
// zone's reading falls.
template <typename T>
T lettura_chilometrica(int64_t a_zero, int32_t direzione, T x) {
  return direzione == zona_discendente ? static_cast<T>(a_zero) - x : static_cast<T>(a_zero) + x;
}

inline constexpr int32_t lunghezza_massima = 1000000;  // longest route, metres
inline constexpr int32_t estensione = 7000;            // cells reach 7000 m beyond the end
inline constexpr int capacita_montagne = 1000;         // mountain zones a line may hold

// A slowdown of the train source as the builder placed it, for the
// documents: its cells say only where it begins and ends, in whole cells.
struct rallentamento {
  int32_t inizio = 0;     // chainage where it begins, metres, as the source gives it
  int32_t velocita = 0;   // km/h
  int32_t lunghezza = 0;  // metres
};

// The whole model of one scenario.
struct modello {
  // Scenario identity, UTF-8; every variable file name is formed from it.
  std::string linea;  // route title
  std::string treno;  // train designation

  // Track cells 0 to N; empty until the loader reads the route length.
  std::vector<cella> celle;

  std::array<voce, righe_voci> voci;

  // Plan geometry, one point (x, y) per metre 0 to lunghezza_estesa, held
  // as the packed line file carries it. Absent unless con_planimetria.
  piano planimetria;

  // Mountain zones 1 to n_montagne (index 0 unused).
  std::vector<int32_t> inizio_montagna = std::vector<int32_t>(capacita_montagne + 1);
  std::vector<int32_t> fine_montagna = std::vector<int32_t>(capacita_montagne + 1);
  int32_t n_montagne = 0;

  // The slowdowns whose start and end cells the builder placed, in the
  // order of the train source. Not packed: the cells carry them.
  std::vector<rallentamento> rallentamenti;

  int32_t con_planimetria = 0;   // not 0: build the plan and write the line file
  int32_t lunghezza_estesa = 0;  // route length + 7000
  std::string riga;              // field most recently read from a source

  int32_t codice_errore = 0;     // an entry of tabella_errori (model/errori.h); 0 = none
  int32_t posizione_errore = 0;  // chainage of the error, for codes that have one
};

// A row that holds nothing: every number 0 and no name.
bool vuota(const voce& v);

// The rows of the item table in use. Boards take rows 80 downward, one per
// direction-board cell (type 14); stations take rows 1 upward, up to the
// first empty row below the boards.
struct righe_usate {
  int primo_cartello = riga_primo_cartello + 1;  // lowest board row; 81: no board
  int ultima_stazione = 0;                       // highest station row; 0: none
};

// The rows in use in m.voci, the boards counted from m.celle (which may be
// empty).
righe_usate righe_della_tabella(const modello& m);

// Rounds to the nearest integer, an exact half to the even neighbour
// (2.5 gives 2, 3.5 gives 4). Every float-to-integer conversion of the
// packer uses it. Requires a value within the 32-bit range.
int32_t arrotonda(double x);

// Index of the last track cell for a route of `lunghezza` metres: the cells
// reach 7000 m beyond the end, (lunghezza + 7000) / 50 rounded.
inline int32_t ultima_cella(int32_t lunghezza) {
  return arrotonda((static_cast<double>(lunghezza) + estensione) / 50.0);
}

// Upper bound of celle (its last index); -1 when celle is absent.
inline int32_t limite_celle(const modello& m) { return static_cast<int32_t>(m.celle.size()) - 1; }

}  // namespace scenario
