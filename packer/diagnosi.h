#pragma once
// What the loader and the cab-code pass can tell an author about the
// sources beyond the model: every error where it was recorded, and warnings
// for what the loader reads otherwise than its author most likely meant.
// Filled only when asked for; it never changes what is packed.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
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

// One error as the loader or the pass recorded it.
struct errore_registrato {
  int32_t codice = 0;
  int32_t posizione = 0;       // posizione_errore as it was set with the code
  std::optional<luogo> dove;   // the record it was recorded at, if any
  std::string dettaglio;       // for a failed read: what could not be read
};

// One warning: the place and what the author should know.
struct avviso {
  luogo dove;
  std::string testo;
};

// Where a source field stands for the checks on record names: in the line
// source's [generale] block, in the line source after it, or in the train source.
enum class contesto : uint8_t { testata_linea, corpo_linea, treno };

class diagnosi {
 public:
  std::vector<errore_registrato> errori;
  std::vector<avviso> avvisi;

  // The loader read a field in a record name's place that no rule takes.
  // `dati` is the source text the offset refers to.
  void campo_non_riconosciuto(contesto c, luogo dove, std::string_view campo,
                              std::string_view dati);
  // The loader read a record named `nome` whose last field starts at
  // `ultimo_campo`: a record that ran on to a later line is reported.
  void record_letto(luogo dove, std::string_view nome, size_t ultimo_campo,
                    std::string_view dati);
  // The loader skipped `campo` as a comment (it holds a hyphen).
  void commento(contesto c, luogo dove, std::string_view campo, std::string_view dati);
  // A record name that `n` rules took, each reading its own fields.
  void piu_regole(luogo dove, std::string_view nome, int n);
  // The rest of the line of `dove` is read as names no rule takes, as the
  // loader means to (a curve's fields without the plan): nothing to report.
  void ignora_riga(luogo dove, std::string_view dati);

  // Records that own a cell the cab-code pass may record an error at.
  void segnale(int32_t cella, luogo dove) { segnali_[cella] = dove; }
  void rallentamento(int32_t inizio, int32_t fine, luogo dove) {
    rallentamenti_.push_back({inizio, fine, dove});
  }
  // The record that an error of the cab-code pass at cell `n` traces back
  // to: the signal (11), the slowdown starting there (12), the slowdown
  // whose walk or end holds the cell (13); nothing when none does.
  std::optional<luogo> luogo_del_passo(int32_t codice, int32_t n) const;

 private:
  struct tratto {
    int32_t inizio;
    int32_t fine;
    luogo dove;
  };
  std::map<int32_t, luogo> segnali_;
  std::vector<tratto> rallentamenti_;
  // The line (by the offset of its start) whose further fields are already
  // accounted for by a warning, so they are not reported one by one.
  std::optional<std::pair<sorgente, size_t>> riga_spiegata_;
  // The line starts of each source, built once on the first warning in it
  // (with the text they were built from, to tell if it changed).
  struct righe_sorgente {
    const char* testo = nullptr;
    size_t dimensione = 0;
    piattaforma::tavola_righe righe;
  };
  righe_sorgente righe_[2];
  const piattaforma::tavola_righe& righe(sorgente s, std::string_view dati);
  size_t inizio_riga(sorgente s, std::string_view dati, size_t scostamento) {
    return righe(s, dati).inizio(scostamento);
  }
};

// The record names as the builder writes them, for the context.
const std::vector<std::string_view>& nomi_noti(contesto c);

// The known name closest to `campo` (letter case ignored) when it is near
// enough to be a slip of the keyboard; nothing otherwise.
std::optional<std::string_view> nome_vicino(contesto c, std::string_view campo);

}  // namespace scenario
