#pragma once
// The error codes that the loader, the record builders and the cab-code
// pass record in codice_errore, in one table: each code with what it means
// for the scenario author and whether posizione_errore carries a chainage
// for it. The named codes below are taken from the table, so a name for a
// code without an entry does not compile.

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

// One entry of the error table.
struct voce_errore {
  int32_t codice;
  std::string_view significato;  // one line of English, what the author should look at
  bool con_posizione;            // posizione_errore holds the chainage of the fault
};

// Every code that codice_errore can hold; 0 is "no error". Codes 11 to 13
// come from the cab-code pass, 16 to 21 from the record builders, the rest
// from the loader (15 from both). Codes 14 and 23 are not used.
inline constexpr voce_errore tabella_errori[] = {
    {0, "no error", false},
    {1, "line source: route length above 1000000 m, or so far below 0 that no track is left", false},
    {2, "line source: a chainage reference is not a multiple of 50 m", false},
    {3, "line source: first cab-signalling chainage not a multiple of 50 m", false},
    {4, "line source: last cab-signalling chainage not a multiple of 50 m", false},
    {5, "line source: cab-signalling keyword names neither 4 nor 9 codes", false},
    {6, "line source: direction board on a cell already taken", true},
    {7, "train source: cab-code point on a cell already taken", true},
    {8, "train source: station chainage not a multiple of 50 m", true},
    {9, "train source: station length not a multiple of 100 m", true},
    {10, "train source: more stations than the item table holds", false},
    {11, "cab codes: a signal before a slowdown warning board has no room for a code cell", true},
    {12, "cab codes: no free cell for an approach code before a slowdown", true},
    {13, "cab codes: no free cell for a code inside a slowdown or before the signal after it", true},
    {15,
     "a record reaches outside the line (too close to or beyond its end, before its start), or "
     "there are more mountain zones or direction boards than the tables hold",
     true},
    {16, "train source: signal on a cell already taken", true},
    {17, "train source: slowdown warning board on a cell already taken", true},
    {18, "train source: slowdown start on a cell already taken", true},
    {19, "train source: slowdown end on a cell already taken", true},
    {20, "train source: a cell before a slowdown warning board is already taken", true},
    {21, "line source: speed indicator boards on a cell already taken", true},
    {22, "train source: station area begins less than 350 m after the previous one ends", true},
    {24, "train source: station stop point at or before cell 1", false},
    {25,
     "a source file could not be read (missing file, field past the end, or a value that does "
     "not fit its field)",
     false},
    {101, "the line source file does not exist", false},
    {102, "line source: no [generale] section", false},
    {103, "line source: curve keyword without a class digit 1 to 6, or the plan passes 1000000 m",
     false},
};

// True when the table has an entry for `codice`.
constexpr bool ha_voce(int32_t codice) {
  for (const voce_errore& v : tabella_errori)
    if (v.codice == codice) return true;
  return false;
}

// The entry of `codice`, or nullptr when the table has none.
constexpr const voce_errore* cerca_errore(int32_t codice) {
  for (const voce_errore& v : tabella_errori)
    if (v.codice == codice) return &v;
  return nullptr;
}

// Error codes by name, as the loader, the builders and the pass set them.
namespace errore {

// `codice` itself; fails to compile when the table has no entry for it.
consteval int32_t dalla_tabella(int32_t codice) {
  if (!ha_voce(codice)) throw "an error code without an entry in tabella_errori";
  return codice;
}

inline constexpr int32_t nessuno = dalla_tabella(0);
inline constexpr int32_t lunghezza = dalla_tabella(1);
inline constexpr int32_t progressiva = dalla_tabella(2);
inline constexpr int32_t inizio_codici = dalla_tabella(3);
inline constexpr int32_t fine_codici = dalla_tabella(4);
inline constexpr int32_t sistema_codici = dalla_tabella(5);
inline constexpr int32_t cartello_occupato = dalla_tabella(6);
inline constexpr int32_t codice_occupato = dalla_tabella(7);
inline constexpr int32_t stazione_posizione = dalla_tabella(8);
inline constexpr int32_t stazione_lunghezza = dalla_tabella(9);
inline constexpr int32_t troppe_stazioni = dalla_tabella(10);
inline constexpr int32_t segnale_senza_codice = dalla_tabella(11);
inline constexpr int32_t gruppo_avvicinamento = dalla_tabella(12);
inline constexpr int32_t codice_periodico = dalla_tabella(13);
inline constexpr int32_t fuori_celle = dalla_tabella(15);
inline constexpr int32_t segnale_occupato = dalla_tabella(16);
inline constexpr int32_t avviso_occupato = dalla_tabella(17);
inline constexpr int32_t inizio_occupato = dalla_tabella(18);
inline constexpr int32_t fine_occupato = dalla_tabella(19);
inline constexpr int32_t prima_avviso_occupata = dalla_tabella(20);
inline constexpr int32_t indicatori_occupato = dalla_tabella(21);
inline constexpr int32_t stazioni_vicine = dalla_tabella(22);
inline constexpr int32_t fermata_troppo_presto = dalla_tabella(24);
inline constexpr int32_t lettura = dalla_tabella(25);
inline constexpr int32_t manca_linea = dalla_tabella(101);
inline constexpr int32_t manca_generale = dalla_tabella(102);
inline constexpr int32_t curva = dalla_tabella(103);

}  // namespace errore

// What the code means, from the table; "unknown error" for a code without
// an entry.
std::string descrizione_errore(int32_t codice);

// True when posizione_errore carries a chainage for this code (false for a
// code without an entry).
bool errore_con_posizione(int32_t codice);

}  // namespace scenario
