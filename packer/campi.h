#pragma once
// The names of the sources' records and of their fields, in the order the
// fields stand on a record's line. The field reference
// (authoring/riferimento.txt, held to this table by its test), the
// inspector's listing and its JSON name a record and its fields by these
// alone, so that a value listed from the packed files leads back to the
// source line that gave it. A record is named as the shipped sources write
// it; a field name is lower case, its words joined by "_" ("left_code"),
// so that it is one token in every text.

#include <span>
#include <string_view>

namespace scenario::campi {

// One record kind: its name, its source, and its fields in line order (a
// field that holds several numbers, as the clock's, gives one name each).
struct record {
  std::string_view nome;   // "segnale"
  std::string_view fonte;  // "line source" or "train source"
  std::span<const std::string_view> campi;
};

// ---- Field names; several records share some. ----
namespace campo {
inline constexpr std::string_view progressiva = "chainage";
inline constexpr std::string_view lunghezza = "length";
inline constexpr std::string_view inizio = "start";
inline constexpr std::string_view fine = "end";
inline constexpr std::string_view da = "from";
inline constexpr std::string_view a = "to";
inline constexpr std::string_view lettura = "reading";
inline constexpr std::string_view direzione = "direction";
inline constexpr std::string_view valore = "value";
inline constexpr std::string_view pendenza = "gradient";
inline constexpr std::string_view tipo = "type";
inline constexpr std::string_view velocita = "speed";
inline constexpr std::string_view testo = "text";
inline constexpr std::string_view conteggio = "count";
inline constexpr std::string_view percento = "percent";
inline constexpr std::string_view quantita = "amount";
inline constexpr std::string_view ore = "hours";
inline constexpr std::string_view minuti = "minutes";
inline constexpr std::string_view secondi = "seconds";
// Speed-indicator boards: the left and right speed of each of three
// categories, and the stripes of each side.
inline constexpr std::string_view velocita_sx_a = "left_speed_a";
inline constexpr std::string_view velocita_sx_b = "left_speed_b";
inline constexpr std::string_view velocita_sx_c = "left_speed_c";
inline constexpr std::string_view strisce_sx = "left_stripes";
inline constexpr std::string_view velocita_dx_a = "right_speed_a";
inline constexpr std::string_view velocita_dx_b = "right_speed_b";
inline constexpr std::string_view velocita_dx_c = "right_speed_c";
inline constexpr std::string_view strisce_dx = "right_stripes";
// Stations.
inline constexpr std::string_view classe = "class";
inline constexpr std::string_view opzione_1 = "option_1";
inline constexpr std::string_view opzione_2 = "option_2";
inline constexpr std::string_view opzione_3 = "option_3";
inline constexpr std::string_view gruppo_1_a = "group_1_a";
inline constexpr std::string_view gruppo_1_b = "group_1_b";
inline constexpr std::string_view gruppo_1_c = "group_1_c";
inline constexpr std::string_view gruppo_2_a = "group_2_a";
inline constexpr std::string_view gruppo_2_b = "group_2_b";
inline constexpr std::string_view gruppo_2_c = "group_2_c";
inline constexpr std::string_view sosta = "stop";
inline constexpr std::string_view nome = "name";
// Slowdowns: a value packed at the start and the end, the marker cells
// before the warning board, a value packed on all the slowdown's cells.
inline constexpr std::string_view valore_estremi = "ends_value";
inline constexpr std::string_view segnalini = "markers";
inline constexpr std::string_view valore_celle = "cells_value";
// Signals.
inline constexpr std::string_view codice_sx = "left_code";
inline constexpr std::string_view valore_sx_1 = "left_value_1";
inline constexpr std::string_view valore_sx_2 = "left_value_2";
inline constexpr std::string_view valore_sx_3 = "left_value_3";
inline constexpr std::string_view ripetizione = "repeat_flag";
inline constexpr std::string_view codice_dx = "right_code";
inline constexpr std::string_view valore_dx_1 = "right_value_1";
inline constexpr std::string_view valore_dx_2 = "right_value_2";
inline constexpr std::string_view valore_dx_3 = "right_value_3";
inline constexpr std::string_view tempo = "timing";
// Cab-code points.
inline constexpr std::string_view codice = "code";
}  // namespace campo

namespace dettaglio {
using namespace campo;
inline constexpr std::string_view lunghezza_percorso[] = {lunghezza};
inline constexpr std::string_view progressiva_chilometrica[] = {inizio, lettura, direzione};
inline constexpr std::string_view sfondo[] = {valore};
inline constexpr std::string_view ripetizione_segnali[] = {da, a};
inline constexpr std::string_view curva[] = {inizio, lunghezza};
inline constexpr std::string_view pendenza_[] = {da, pendenza};
inline constexpr std::string_view montagna[] = {inizio, fine, tipo};
inline constexpr std::string_view indicatori_v_max[] = {
    progressiva,   velocita_sx_a, velocita_sx_b, velocita_sx_c, strisce_sx,
    velocita_dx_a, velocita_dx_b, velocita_dx_c, strisce_dx};
inline constexpr std::string_view cartello_indicatore[] = {progressiva, testo};
inline constexpr std::string_view numero_vetture[] = {conteggio};
inline constexpr std::string_view massa_frenata[] = {percento};
inline constexpr std::string_view sabbia[] = {quantita};
inline constexpr std::string_view orologio[] = {ore, minuti, secondi};
inline constexpr std::string_view aderenza[] = {da, valore};
inline constexpr std::string_view velocita_[] = {da, velocita};
inline constexpr std::string_view stazione[] = {
    progressiva, classe,     lunghezza,  opzione_1,  opzione_2,  opzione_3,
    gruppo_1_a,  gruppo_1_b, gruppo_1_c, gruppo_2_a, gruppo_2_b, gruppo_2_c,
    sosta,       ore,        minuti,     secondi,    nome};
inline constexpr std::string_view rallentamento[] = {progressiva, velocita,  lunghezza,
                                                     valore_estremi, segnalini, valore_celle};
inline constexpr std::string_view segnale[] = {progressiva, codice_sx,   valore_sx_1, valore_sx_2,
                                               valore_sx_3, ripetizione, codice_dx,   valore_dx_1,
                                               valore_dx_2, valore_dx_3, tempo};
inline constexpr std::string_view abbattimento[] = {progressiva, codice};
}  // namespace dettaglio

// ---- The records. ----
inline constexpr std::string_view linea = "line source";
inline constexpr std::string_view treno = "train source";

inline constexpr record lunghezza_percorso{"lunghezza percorso", linea, dettaglio::lunghezza_percorso};
inline constexpr record progressiva_chilometrica{"progressiva chilometrica", linea,
                                                 dettaglio::progressiva_chilometrica};
inline constexpr record sfondo{"sfondo", linea, dettaglio::sfondo};
inline constexpr record ripetizione_segnali{"ripetizione segnali", linea, dettaglio::ripetizione_segnali};
inline constexpr record curva{"curva", linea, dettaglio::curva};
inline constexpr record pendenza{"pendenza", linea, dettaglio::pendenza_};
inline constexpr record montagna{"montagna", linea, dettaglio::montagna};
inline constexpr record indicatori_v_max{"indicatori_v_max", linea, dettaglio::indicatori_v_max};
inline constexpr record cartello_indicatore{"cartello_indicatore", linea, dettaglio::cartello_indicatore};
inline constexpr record numero_vetture{"numero vetture", treno, dettaglio::numero_vetture};
inline constexpr record massa_frenata{"percentuale massa frenata", treno, dettaglio::massa_frenata};
inline constexpr record sabbia{"sabbia", treno, dettaglio::sabbia};
inline constexpr record orologio{"orologio", treno, dettaglio::orologio};
inline constexpr record aderenza{"aderenza", treno, dettaglio::aderenza};
inline constexpr record velocita{"velocita", treno, dettaglio::velocita_};
inline constexpr record stazione{"stazione", treno, dettaglio::stazione};
inline constexpr record rallentamento{"rallentamento", treno, dettaglio::rallentamento};
inline constexpr record segnale{"segnale", treno, dettaglio::segnale};
inline constexpr record abbattimento{"abbattimento", treno, dettaglio::abbattimento};

// Every record, the line source's first, in the order of the reference.
std::span<const record* const> tutti();

}  // namespace scenario::campi
