#pragma once
// What the loader and the cab-code pass can tell an author about the
// sources beyond the model: every error where it was recorded, with what to
// do and the other records it involves, and warnings for what the loader
// reads otherwise than its author most likely meant. Filled only when asked
// for; it never changes what is packed.
//
// Every place is found in time that does not grow with the size of the
// source (a line index built once per source), and only the first
// `mostrati_per_specie` diagnostics of each kind are kept: the rest are
// counted, so that a source of millions of faulty lines is checked in time
// and memory linear in its size.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/lettore_campi.h"

namespace scenario {

// The two source texts.
enum class sorgente : uint8_t { linea, treno };

// A place in a source: the byte offset of a record's (or a field's) first
// character.
struct luogo {
  sorgente file = sorgente::linea;
  size_t scostamento = 0;
  bool operator==(const luogo&) const = default;
};

// Another record that a diagnostic involves, and how.
struct nota {
  luogo dove;
  std::string testo;
};

// One error as the loader or the pass recorded it.
struct errore_registrato {
  int32_t codice = 0;
  int32_t posizione = 0;       // posizione_errore as it was set with the code
  std::optional<luogo> dove;   // the field it was recorded at, if any
  std::string significato;     // replaces the error table's meaning when not empty
  std::string dettaglio;       // what exactly is wrong, after the meaning
  std::string rimedio;         // what to do, when there is one thing to do
  std::vector<nota> note;
  bool dopo_arresto = false;   // found after the loader had stopped reading
};

// What a warning is about. The limit on how many are kept counts each kind
// apart; an error of the checks (no code recorded) is a kind too.
enum class specie : uint8_t {
  nome_sconosciuto,    // a record name no rule takes: the line is lost
  campo_avanzato,      // a field left over at the end of a record's line
  nome_tagliato,       // a name or text cut at a comma
  riga_continua,       // a record that ran on to the next line
  commento,            // a hyphen in a record name, a comment with a comma
  piu_regole,          // a record name two rules take
  fuori_posto,         // a [generale] record outside its block, or the reverse
  ordine,              // profile rows or stations out of order
  valore,              // a value packed otherwise than written
  nome_record,         // a record name that reads as another (curve side)
  testo,               // a station name or board text that packs oddly
  oltre_fine,          // a record past the route's end
  mancante,            // a record the sources lack
  codifica,            // the bytes of a source
  conseguenza,         // what an earlier error stopped
  numero
};

// One warning, or an error of the checks (no code): the place and what the
// author should know.
struct avviso {
  luogo dove;
  std::string testo;
  specie tipo = specie::valore;
  bool errore = false;         // the data is certainly wrong, though the loader took it
  std::vector<nota> note;
  bool dopo_arresto = false;   // found after the loader had stopped reading
};

// Diagnostics of one kind that were counted but not kept: how many and
// where the first of them stands.
struct omissione {
  bool errore = false;
  std::string cosa;  // "errors of code 8", "warnings of this kind"
  size_t quanti = 0;
  luogo primo;
  bool dopo_arresto = false;
};

// Where a source field stands for the checks on record names: in the line
// source's [generale] block, in the line source after it, or in the train source.
enum class contesto : uint8_t { testata_linea, corpo_linea, treno };

class diagnosi {
 public:
  // Diagnostics of one kind kept one by one; the rest are only counted.
  static constexpr size_t mostrati_per_specie = 100;

  // With `solo_dopo_arresto`, only what is found after the loader stopped
  // is kept (a second reading that goes on past the stop).
  explicit diagnosi(bool solo_dopo_arresto = false) : solo_dopo_(solo_dopo_arresto) {}

  // ---- the sources ----

  // The text of source `s` as the loader reads it: its line index is built
  // once here (the text itself is not kept).
  void testo_sorgente(sorgente s, std::string_view dati);
  // Line and column of a place; requires its source's text given.
  piattaforma::riga_colonna posto(const luogo& l) const;
  // "line N" of a place, for messages.
  std::string riga_di(const luogo& l) const;
  // Offset of the first byte of the line that holds a place.
  size_t inizio_riga(const luogo& l) const;

  // ---- what is kept ----

  const std::vector<errore_registrato>& errori() const { return errori_; }
  const std::vector<avviso>& avvisi() const { return avvisi_; }
  // The kinds whose diagnostics were partly only counted.
  std::vector<omissione> omissioni() const;

  // Keeps an error (each code is a kind of its own).
  void errore(errore_registrato e);
  // True when a diagnostic of kind `t` at `dove` (an error of the checks
  // when `errore`) is to be kept: call before composing its text. Counts it
  // either way; errors and warnings of one kind are counted apart.
  bool da_tenere(specie t, const luogo& dove, bool errore = false);
  // Keeps a warning (or an error of the checks) that da_tenere admitted.
  void aggiungi(avviso a);
  // da_tenere, then aggiungi.
  void avvisa(specie t, const luogo& dove, std::string testo, bool errore = false,
              std::vector<nota> note = {});

  // ---- where the loader stopped ----

  // The loader stops reading source `s` (or, with `tutto`, everything)
  // after what was just recorded: what is found from now on in it is
  // marked as found after the stop.
  void arresto(sorgente s, bool tutto);
  // True when the loader has stopped reading source `s`.
  bool fermato(sorgente s) const { return fermo_tutto_ || fermo_[static_cast<size_t>(s)]; }
  // While on, what is kept is about a source as a whole, found once it has
  // been read to its end: kept unmarked, even in a second reading (which
  // tells it only for a source where the loader stopped, so only once).
  void riepilogo(bool attivo) { riepilogo_ = attivo; }
  // The last error kept gets a note at `dove`: the loader also stopped
  // reading there because of it (an error that only follows from it).
  void conseguenza(const luogo& dove, std::string testo);

  // ---- the checks on record names ----

  // The loader read a field in a record name's place that no rule takes.
  // `dati` is the source text the offset refers to.
  void campo_non_riconosciuto(contesto c, luogo dove, std::string_view campo,
                              std::string_view dati, bool dopo_testo);
  // The loader read a record named `nome` whose last field starts at
  // `ultimo_campo`: a record that ran on to a later line is reported.
  // `inghiottito` says whether the line it ran on to began with a record name.
  void record_letto(luogo dove, std::string_view nome, size_t ultimo_campo, bool inghiottito);
  // The loader skipped `campo` as a comment (it holds a hyphen).
  void commento(contesto c, luogo dove, std::string_view campo, std::string_view dati);
  // A field holding a hyphen that the loader read as a record name all the
  // same: `massimo` comments in a row are skipped, no more.
  void commento_di_troppo(luogo dove, std::string_view campo, int massimo, bool preso);
  // A record name that `n` rules took, each reading its own fields.
  void piu_regole(luogo dove, std::string_view nome, int n);
  // The rest of the line of `dove` is read as names no rule takes, as the
  // loader means to (a curve's fields without the plan): nothing to report.
  void ignora_riga(luogo dove);

  // ---- who holds a cell ----

  // Records that claim cell `cella`: `cosa` says what of it ("the signal",
  // "the warning board of the slowdown"). The last claim is kept.
  void occupa(int32_t cella, const luogo& dove, const char* cosa);
  // "the cell is held by the signal at line 77", at that record; nothing
  // when no record claimed the cell.
  std::optional<nota> chi_occupa(int32_t cella) const;
  // The record that an error of the cab-code pass traces back to: the one
  // that claimed cell `origine` (the signal for 11, the slowdown's start
  // cell for 12 and 13).
  std::optional<luogo> luogo_del_passo(int32_t origine) const;
  // The record that claimed cell `cella` last; nothing when none did.
  std::optional<luogo> record_della_cella(int32_t cella) const { return luogo_del_passo(cella); }

  // ---- where the rest of the model comes from ----
  //
  // For a drawing that names each feature's source line: the records that
  // fill the model otherwise than by claiming a cell. Kept only when asked
  // for with tieni_origini (one place per profile row, so a source of
  // millions of rows costs nothing when nobody asks).

  // The profiles, each filled from rows that hold from a cell on.
  enum class profilo : uint8_t { pendenza, velocita, aderenza };

  void tieni_origini(bool si) { origini_ = si; }
  // The station at item row `riga` was read from the record at `dove`.
  void origine_voce(int riga, const luogo& dove);
  // The value of profile `p` from cell `cella` on was read from the row at
  // `dove`; the loader's cursor never moves back, so the cells come in
  // ascending order (a later row at the same cell replaces the earlier).
  void origine_profilo(profilo p, int32_t cella, const luogo& dove);
  // A mountain zone from cell `cella` was read from the record at `dove`.
  void origine_montagna(int32_t cella, const luogo& dove);
  // What was kept: nothing when no record is known.
  std::optional<luogo> record_della_voce(int riga) const;
  std::optional<luogo> record_del_profilo(profilo p, int32_t cella) const;
  std::optional<luogo> record_della_montagna(int32_t cella) const;

 private:
  struct occupante {
    luogo dove;
    const char* cosa = nullptr;
  };
  struct conteggio {
    size_t visti = 0;
    luogo primo_omesso;
    bool primo_dopo_arresto = false;
  };
  // Counts one diagnostic of key `chiave`: true while under the limit.
  bool conta(int chiave, const luogo& dove);
  bool dopo(const luogo& l) const { return !riepilogo_ && fermato(l.file); }
  // The line of a place, by the offset of its start.
  std::pair<sorgente, size_t> riga_della(const luogo& l) const { return {l.file, inizio_riga(l)}; }

  bool solo_dopo_ = false;
  bool riepilogo_ = false;
  std::vector<errore_registrato> errori_;
  std::vector<avviso> avvisi_;
  std::map<int, conteggio> conteggi_;  // by kind: specie x 2 (+ 1 for errors), or 1000 + a code
  std::array<piattaforma::indice_righe, 2> indici_;
  std::array<bool, 2> fermo_{};
  bool fermo_tutto_ = false;
  // By cell, only those claimed: a line of 20,001 cells with a few
  // records costs a few entries.
  std::map<int32_t, occupante> celle_;
  bool origini_ = false;
  std::map<int, luogo> voci_;
  std::array<std::vector<std::pair<int32_t, luogo>>, 3> profili_;
  std::map<int32_t, luogo> montagne_;
  // The line (by the offset of its start) whose further fields are already
  // accounted for by a diagnostic, so they are not reported one by one.
  std::optional<std::pair<sorgente, size_t>> riga_spiegata_;
};

// The record names as the builder writes them, for the context.
const std::vector<std::string_view>& nomi_noti(contesto c);

// The known name closest to `campo` (letter case ignored) when it is near
// enough to be a slip of the keyboard; nothing otherwise.
std::optional<std::string_view> nome_vicino(contesto c, std::string_view campo);

// The text between backquotes, as names are quoted in messages, cut when
// it is long (piattaforma::citazione).
std::string tra_apici(std::string_view s);

}  // namespace scenario
