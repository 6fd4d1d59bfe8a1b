#pragma once
// The loader's checks for an author: what a record holds that the loader
// reads otherwise than its author most likely meant, and for each error it
// records, what exactly is wrong and what to do. The loader calls them as it
// reads, only when a diagnosi is asked for; they read the values the loader
// read and never change what is packed.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "packer/diagnosi.h"

namespace scenario {

// The record being read: where its name and each field read so far begin.
struct in_lettura {
  diagnosi& d;
  sorgente file;
  const std::vector<size_t>& campi;  // [0] the record name, then each field in order

  // Field i (0: the record name); the record name when there is no field i.
  luogo campo(size_t i) const { return {file, i < campi.size() ? campi[i] : campi.front()}; }
  // Warns (or, with `errore`, reports an error of the checks) at field i.
  void avvisa(specie t, size_t i, std::string testo, bool errore = false,
              std::vector<nota> note = {}) const {
    d.avvisa(t, campo(i), std::move(testo), errore, std::move(note));
  }
};

// What the author is told about an error besides its code's meaning.
struct spiegazione {
  std::string significato;  // replaces the meaning when not empty
  std::string dettaglio;
  std::string rimedio;
  std::vector<nota> note;
};

// ---- explanations of recorded errors ----

// A value that must be a multiple of `passo`: the two nearest that are.
spiegazione non_multiplo(int64_t valore, int32_t passo, const std::string& cosa);
// A record past the end of the track (code 15): where the track ends, how
// far before it a record must stand, and that the rest of the source is not
// read. `lunghezza` is the route length.
spiegazione fuori_linea(int64_t x, int32_t margine, int32_t lunghezza);
// A station area that begins less than 350 m after the previous one ends,
// or a station placed before the previous one (code 22).
spiegazione stazioni_vicine(const diagnosi& d, int32_t posizione, int32_t inizio,
                            int32_t posizione_prec, int32_t fine_prec, const std::string& nome_prec,
                            const luogo& dove_prec);

// ---- the records ----

// A record whose chainage x (field i) lies past the route's end but still
// on the track the loader adds after it.
void controlla_oltre_fine(const in_lettura& r, size_t i, int64_t x, int32_t lunghezza,
                          const char* cosa);
// The first row of a profile (speed, adhesion) at chainage x: the cells
// before it take the value 0. `riga` is the row to put first.
void controlla_primo_profilo(const in_lettura& r, int32_t x, const char* profilo,
                             const char* riga, const char* unita);
// A speed row's speed (field 2), kept in steps of 5 km/h.
void controlla_velocita(const in_lettura& r, int32_t v);
// A value kept in one byte (field i), packed wrapped when out of range.
void controlla_byte(const in_lettura& r, size_t i, int64_t valore, int64_t minimo,
                    int64_t massimo, const std::string& cosa);
// A time of day: hours, minutes and seconds at fields i, i + 1, i + 2.
void controlla_ora(const in_lettura& r, size_t i, int64_t ore, int64_t minuti, int64_t secondi,
                   const char* cosa);
// A signal's eleven numbers, as memo_segnale combines them.
void controlla_segnale(const in_lettura& r, const std::array<int32_t, 11>& v);
// A slowdown at x, l metres long, with the marker flag f_ta.
void controlla_rallentamento(const in_lettura& r, int32_t x, int32_t l, int32_t f_ta);
// A cab-code point's code, kept in 16 bits.
void controlla_codice(const in_lettura& r, int32_t codice);
// Speed indicator boards: the six speeds (left a, b, c then right a, b, c)
// at fields 2-4 and 6-8, the stripes at fields 5 and 9.
void controlla_indicatori(const in_lettura& r, const std::array<int32_t, 8>& v);
// A mountain zone as written and the type memo_montagna kept; `prec` is the
// previous zone's record, if any.
void controlla_montagna(const in_lettura& r, int32_t inizio, int32_t fine, int32_t tipo_scritto,
                        int32_t tipo_preso, const std::optional<luogo>& prec);
// A station name or board text as read (field i), `virgolette` when its
// field began with a double quote: empty, a tab or control character,
// trailing blanks, the quote, or longer than a packed text holds.
void controlla_nome(const in_lettura& r, size_t i, std::string_view nome, const char* cosa,
                    bool virgolette);
// A direction board's text: three bracketed texts of one width.
void controlla_cartello(const in_lettura& r, size_t i, std::string_view testo);
// A curve record's name as the loader reads it (side, class digit).
void controlla_nome_curva(const in_lettura& r, std::string_view nome);
// A curve starting at s while the plan has already been laid to metre j.
void controlla_curva_dopo(const in_lettura& r, int32_t s, int32_t j,
                          const std::optional<luogo>& prec);
// A station's options forced to 0 by the loader: o5 (field 5) when the
// length is below 600 m or at the first station, o4 (field 6) for classes 5
// to 8 or at the first station.
void controlla_opzioni_stazione(const in_lettura& r, int tipo, int32_t lunghezza, int o5, int o4,
                                bool prima);

// ---- the sources as a whole ----

// Header records of one source that are missing: each name with whether it
// was read; warned at `dove` (the [generale] line).
struct record_atteso {
  std::string nome;
  bool letto = false;
  std::string effetto;  // what the loader packs instead
};
void controlla_mancanti(diagnosi& d, const luogo& dove, const std::vector<record_atteso>& attesi);

// The three kilometre zones as written (uno, due, tre: start, reading at 0,
// direction) and as the loader sorted them (rows 81 to 83), with the route
// length: zones the sort zeroed, and readings that fall below 0.
struct zona_scritta {
  std::array<int32_t, 3> valori{};  // start, reading at chainage 0, direction
  std::optional<luogo> dove;        // the record, when there was one
};
void controlla_zone(diagnosi& d, const std::array<zona_scritta, 3>& scritte,
                    const std::array<std::array<int32_t, 3>, 3>& ordinate, int32_t lunghezza);

// Rows of one profile (gradient, speed, adhesion) in the order read. A row
// whose cell does not lie beyond the one before it is out of order; which
// of the two was misplaced is told by the row after them, and only that one
// is warned.
class ordine_profilo {
 public:
  explicit ordine_profilo(const char* nome) : nome_(nome) {}
  // A row at chainage x, at `dove` (its chainage field).
  void riga(diagnosi& d, const luogo& dove, int32_t x);
  // The source has no further row.
  void fine(diagnosi& d);

 private:
  struct letta {
    luogo dove;
    int32_t x = 0;
    int32_t cella = 0;
  };
  void avvisa_bassa(diagnosi& d, const letta& bassa, const letta& prima);
  void avvisa_alta(diagnosi& d, const letta& alta, const letta& dopo);
  const char* nome_;
  std::optional<letta> ultima_;   // the last row in order
  std::optional<letta> sospesa_;  // a row not beyond ultima_, to be judged by the next
};

}  // namespace scenario
