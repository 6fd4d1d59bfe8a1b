#include "packer/caricatore.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "model/identita.h"
#include "packer/controlli.h"
#include "packer/costruttori.h"
#include "packer/formato.h"
#include "platform/cartella_programma.h"
#include "platform/errore_file.h"
#include "platform/lettore_campi.h"
#include "platform/windows1252.h"

namespace scenario {
namespace {

using piattaforma::ErroreLettura;

// Curve lines may not carry the plan past this metre.
constexpr int32_t ultimo_metro_curve = 1000000;

// The longest record name the checks keep: far beyond any record's.
constexpr size_t nome_massimo = 200;

// Thrown once a rejection has been carried out: the loader returns at once.
struct Rifiuto {};

// Substring test that matches letter case exactly.
bool contiene(std::string_view riga, std::string_view s) { return riga.find(s) != std::string_view::npos; }

// Substring test that ignores the case of ASCII letters.
bool contiene_ci(std::string_view riga, std::string_view s) {
  if (s.size() > riga.size()) return false;
  // ASCII letters only, as std::tolower does in the "C" locale the program
  // keeps, without a call per byte.
  auto minuscola = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 0; i + s.size() <= riga.size(); ++i) {
    size_t n = 0;
    while (n < s.size() && minuscola(riga[i + n]) == minuscola(s[n])) ++n;
    if (n == s.size()) return true;
  }
  return false;
}

// A whole value for a 32-bit field, rounded; throws ErroreLettura when it
// does not fit (the field would overflow).
int32_t intero32(double v) {
  if (!(v >= -2147483648.0 && v <= 2147483647.0))
    throw ErroreLettura("a value does not fit a 32-bit field");
  return arrotonda(v);
}

// Thrown, when the loader goes on past its stops for the checks, once a
// record that stops the real loader has been reported: the rest of its line
// is skipped and the reading goes on with the next record.
struct Salta {};

// The steps of one loader call over the two sources.
//
// How the load ends when something is wrong, and what that does to the
// two source files (codes in model/errori.h):
//  - No line source (101): nothing is read, nothing deleted.
//  - Rejection, rifiuta / rifiuta_a: the file being read is closed and
//    deleted, the code (and its chainage) recorded, and Rifiuto ends the
//    whole load; a train source not yet read stays on disk. A builder's
//    code (memo_*) is turned into a rejection at the record's chainage, and
//    so is a code left from an earlier file (15 of the line source at the
//    train source's first builder record).
//  - Range check failed, entro returns false (15): only the reading of the
//    current file ends; it is deleted and its profiles closed as after a
//    complete read, and the load goes on with the next file.
//  - Failure of the data, ErroreLettura (a field that is not a number or
//    does not fit, a read past the end, a missing train source):
//    memorizza_dati deletes whichever sources are still there and records
//    25.
//  - Failed file operation, piattaforma::ErroreFile (a source that cannot
//    be opened, read or deleted): not a data error. It leaves the loader
//    and ends the build before anything is packed; the sources stay as
//    they are.
//  - Chainage references not multiples of 50 (2): recorded after the train
//    source is read and deleted; nothing stops.
// With fino_in_fondo each of these stops is reported as above, and then,
// instead of stopping, the record is skipped (Salta) and the reading goes
// on; the diagnosi marks what is found from there on.
class Caricatore {
 public:
  Caricatore(modello& m, piattaforma::Disco& disco, const sorgenti_caricamento& s)
      : m_(m), disco_(disco), linea_(s.linea), treno_(s.treno), elimina_(s.elimina),
        d_(s.rapporto), continua_(s.fino_in_fondo && s.rapporto != nullptr && !s.elimina) {}

  // However the reading ended, no plan row is assigned after it: the rows
  // left are laid down empty, and the table is ready to be written.
  ~Caricatore() { m_.planimetria.chiudi(); }

  // Runs the whole load. Throws Rifiuto after a rejection, ErroreLettura on
  // a failure of the data, piattaforma::ErroreFile on a failed file operation.
  void esegui() {
    // The identity in Windows-1252; a character the code page lacks becomes "?".
    m_.voci[riga_linea].nome = piattaforma::in_windows1252_o_punto(m_.linea);
    m_.voci[riga_codici].nome = piattaforma::in_windows1252_o_punto(m_.treno);
    if (!disco_.esiste(linea_)) {
      m_.codice_errore = errore::manca_linea;
      if (d_) {
        errore_registrato e;
        e.codice = m_.codice_errore;
        e.posizione = m_.posizione_errore;
        d_->errore(std::move(e));
      }
      return;
    }
    try {
      sorgente_linea();
    } catch (const Salta&) {
      // Only when going on past the stops: a line source that gives no
      // cells; the train source is still checked, against the longest line.
      celle_di_riserva();
    }
    sorgente_treno();
    if (d_ && !continua_) controlla_cella_testata();
  }

  // Records code 25 for a failed read, with `motivo`, at the field that
  // could not be read; requires the code already set. The loader stops.
  void registra_fallimento(const std::string& motivo) {
    if (!d_) return;
    errore_registrato e;
    e.codice = m_.codice_errore;
    e.posizione = m_.posizione_errore;
    e.dettaglio = motivo;
    if (f_) {
      const luogo campo{file_, f_->inizio_campo()};
      e.dove = campo;
      if (d_->inizio_riga(campo) != d_->inizio_riga(luogo_record()))
        e.note.push_back({luogo_record(), "the record " + tra_apici(nome_record_) +
                                              " that the field belongs to begins here: its line "
                                              "ends before all its fields"});
    }
    d_->errore(std::move(e));
    ferma(true);
  }

 private:
  // ---- reading ----

  // Reads the next field into riga; requires an open source.
  void leggi_riga() { m_.riga = f_->leggi_testo(); }
  // True when the open source has no field left.
  bool fine_file() const { return f_->fine_file(); }
  // Read the next field of the record as a number or as text, noting where
  // it begins; require an open source.
  int32_t n32() { return annota(f_->leggi_32()); }
  int16_t n16() { return annota(f_->leggi_16()); }
  uint8_t n8() { return annota(f_->leggi_8()); }
  std::string testo() { return annota(f_->leggi_testo()); }
  template <class T>
  T annota(T valore) {
    campi_.push_back(f_->inizio_campo());
    return valore;
  }

  // ---- what is told to the author (only with diagnosi) ----

  // The place of the record being read, and of its field i (0: its name).
  luogo luogo_record() const { return {file_, inizio_record_}; }
  luogo luogo_campo(size_t i) const {
    return {file_, i < campi_.size() ? campi_[i] : inizio_record_};
  }
  // The record being read, for the checks; requires a diagnosi.
  in_lettura lettura() const { return {*d_, file_, campi_}; }

  // Notes where the record named by riga begins; requires an open source.
  void segna_record() {
    inizio_record_ = f_->inizio_campo();
    riconosciuti_ = 0;
    campi_.clear();
    campi_.push_back(inizio_record_);
    if (d_) {
      // Kept cut: a name longer than any record's is never near one.
      nome_record_ = m_.riga.substr(0, nome_massimo);
      commento_come_nome_ = contiene(m_.riga, "-");
    }
  }

  // A rule's test on a record name (letter case ignored): true when the
  // name holds `a` and `b`. Counts the rules that take the name.
  bool regola_ci(std::string_view r, std::string_view a, std::string_view b = {}) {
    const bool presa = contiene_ci(r, a) && (b.empty() || contiene_ci(r, b));
    riconosciuti_ += presa ? 1 : 0;
    return presa;
  }
  // The same with letter case matched exactly.
  bool regola(std::string_view r, std::string_view a, std::string_view b) {
    const bool presa = contiene(r, a) && contiene(r, b);
    riconosciuti_ += presa ? 1 : 0;
    return presa;
  }

  // After a record: tells the diagnosi a name no rule took, a comment read
  // as a record name, a record that ran on to a later line, or one that
  // several rules took.
  void esito_record(int commenti_ammessi) {
    if (!d_) return;
    if (riconosciuti_ > 0) ++riconosciuti_file_;
    if (commento_come_nome_) {
      d_->commento_di_troppo(luogo_record(), nome_record_, commenti_ammessi, riconosciuti_ > 0);
      if (riconosciuti_ == 0) return;
    }
    if (riconosciuti_ == 0) {
      const bool dopo_testo = riga_con_testo_ == d_->inizio_riga(luogo_record());
      d_->campo_non_riconosciuto(contesto_, luogo_record(), nome_record_, f_->dati(), dopo_testo);
      return;
    }
    const size_t ultimo = f_->inizio_campo();
    d_->record_letto(luogo_record(), nome_record_, ultimo, inizia_con_nome(ultimo));
    if (riconosciuti_ > 1) d_->piu_regole(luogo_record(), nome_record_, riconosciuti_);
  }

  // True when the line that holds offset `o` begins with a field that is
  // not a number: a record name, or a section header.
  bool inizia_con_nome(size_t o) const {
    const std::string& dati = f_->dati();
    size_t i = d_->inizio_riga({file_, o});
    while (i < dati.size() && (dati[i] == ' ' || dati[i] == '\t')) ++i;
    if (i >= dati.size()) return false;
    const char c = dati[i];
    return !(c == '-' || c == '+' || c == ',' || (c >= '0' && c <= '9'));
  }

  // Tells the diagnosi about the field in riga that is skipped as a comment.
  void commento() {
    if (d_) d_->commento(contesto_, {file_, f_->inizio_campo()}, m_.riga, f_->dati());
  }

  // Keeps the error just set in codice_errore at `dove`, with `s`.
  void registra(std::optional<luogo> dove, spiegazione s) {
    if (!d_) return;
    errore_registrato e;
    e.codice = m_.codice_errore;
    e.posizione = m_.posizione_errore;
    e.dove = dove;
    e.significato = std::move(s.significato);
    e.dettaglio = std::move(s.dettaglio);
    e.rimedio = std::move(s.rimedio);
    e.note = std::move(s.note);
    d_->errore(std::move(e));
  }

  // The loader stops reading the current file (or, with `tutto`, both).
  void ferma(bool tutto) {
    fermo_[static_cast<size_t>(file_)] = true;
    fermo_tutto_ = fermo_tutto_ || tutto;
    if (d_) d_->arresto(file_, tutto);
  }
  // True when the loader has stopped reading source `s`.
  bool fermato(sorgente s) const { return fermo_tutto_ || fermo_[static_cast<size_t>(s)]; }
  // True when what is told of source `s` as a whole is told by this
  // reading: by the loader that read it to its end, or by the one going on
  // past a stop in it, so that it is told once.
  bool riepiloga(sorgente s) const { return d_ && fermato(s) == continua_; }

  // The comment skip of the body and train loops: up to two fields holding
  // a hyphen are passed over. False when the end of the file is reached.
  bool salta_commenti() {
    for (int i = 0; i < 2; ++i)
      if (contiene(m_.riga, "-")) {
        commento();
        leggi_riga();
        if (fine_file()) return false;
      }
    return true;
  }

  // Reads record after record to the end of the file, up to two comment
  // fields before each passed over; `record` reads one and returns false
  // when the loader stops there.
  template <class F>
  void leggi_corpo(F record) {
    for (;;) {
      if (fine_file()) break;
      leggi_riga();
      if (fine_file()) break;
      bool avanti = true;
      passo([&] {
        if (!salta_commenti()) {
          avanti = false;
          return;
        }
        segna_record();
        avanti = record();
        esito_record(2);
      });
      if (!avanti) break;
    }
  }

  // Runs one record's steps. Going on past the stops, a record that stops
  // the loader (Salta) or whose field cannot be read is reported and the
  // rest of its line skipped: false then. Otherwise the steps run as they
  // are, and whatever they throw leaves the loader.
  template <class F>
  bool passo(F passi) {
    if (!continua_) {
      passi();
      return true;
    }
    try {
      passi();
      return true;
    } catch (const Salta&) {
    } catch (const ErroreLettura& e) {
      m_.codice_errore = errore::lettura;
      registra_fallimento(e.what());
      m_.codice_errore = errore::nessuno;
    }
    f_->salta_resto_riga();
    return false;
  }

  // Rejects the file being read at `dove`: it is deleted, the code
  // recorded, and the loader returns. Requires the path of the file being
  // read in corrente_. Going on past the stops, only the record is skipped.
  [[noreturn]] void rifiuta_in(int32_t codice, std::optional<luogo> dove, spiegazione s) {
    if (continua_) {
      m_.codice_errore = codice;
      registra(dove, std::move(s));
      ferma(true);
      // The real loader has stopped: nothing from here on follows from this.
      m_.codice_errore = errore::nessuno;
      throw Salta{};
    }
    f_.reset();
    if (elimina_) disco_.elimina(corrente_);
    m_.codice_errore = codice;
    registra(dove, std::move(s));
    ferma(true);
    throw Rifiuto{};
  }
  // The same at field i of the record (0: its name).
  [[noreturn]] void rifiuta(int32_t codice, size_t campo = 0, spiegazione s = {}) {
    rifiuta_in(codice, luogo_campo(campo), std::move(s));
  }
  // The same, recording the chainage that goes with the code.
  [[noreturn]] void rifiuta_a(int32_t codice, int32_t posizione, size_t campo = 0,
                              spiegazione s = {}) {
    m_.posizione_errore = posizione;
    rifiuta(codice, campo, std::move(s));
  }

  // Range check with margin on chainage x (field i): passes when
  // (x + margine) / 50 is within the cells; otherwise records 15 at x and
  // returns false, which ends the reading of the current file.
  bool entro(int32_t x, int margine, size_t campo) {
    if ((static_cast<double>(x) + margine) / 50.0 <= limite_celle(m_)) return true;
    m_.codice_errore = errore::fuori_celle;
    m_.posizione_errore = x;
    registra(luogo_campo(campo), fuori_linea(x, margine, lunghezza_));
    ferma(false);
    if (continua_) throw Salta{};
    return false;
  }

  // Calls a record builder for the record at chainage x (field i). A code
  // it sets rejects the record, explained by `spiega`; a code left set
  // before the call (15 of the line source, at the train source's first
  // builder record) rejects it too, as a consequence of that earlier error.
  template <class F, class S>
  void costruisci(F costruttore, int32_t x, size_t campo, S spiega) {
    const int32_t prima = m_.codice_errore;
    m_.codice_errore = errore::nessuno;
    costruttore();
    if (m_.codice_errore > 0) {
      const int32_t codice = m_.codice_errore;
      rifiuta_a(codice, x, campo, d_ ? spiega(codice) : spiegazione{});
    }
    m_.codice_errore = prima;
    if (prima > 0 && !fermato(file_)) conseguenza(x);
  }

  // The record at x is rejected with the code already set, which an earlier
  // error left: told as a note of that error, not as an error of its own.
  void conseguenza(int32_t x) {
    const std::string testo =
        "because of this error the loader also stops reading here, at the first record of the "
        "train source that calls a record builder; nothing is wrong with this record";
    if (continua_) {
      ferma(true);
      m_.codice_errore = errore::nessuno;
      return;
    }
    f_.reset();
    if (elimina_) disco_.elimina(corrente_);
    m_.posizione_errore = x;
    if (d_) d_->conseguenza(luogo_record(), testo);
    ferma(true);
    throw Rifiuto{};
  }

  // Cell 1 carries the header stamps of the packed track file in its first
  // two values: a record that leaves either set there makes the packing stop
  // (" Errore n. 1250" or 1251) with nothing written. Told at that record.
  void controlla_cella_testata() {
    if (m_.celle.size() <= static_cast<size_t>(formato::cella_testata)) return;
    const cella& c = m_.celle[formato::cella_testata];
    if (c.valore1 == 0 && c.valore2 == 0) return;
    const auto dove = d_->luogo_del_passo(formato::cella_testata);
    if (!dove) return;
    d_->avvisa(specie::valore, *dove,
               "this record takes cell 1 (the track from 50 to 100 m), whose first two values "
               "carry the packed track file's header and must stay 0: the packing stops with \" "
               "Errore n. " + std::to_string(c.valore1 != 0 ? 1250 : 1251) +
                   "\" and writes nothing; move the record to another cell",
               true);
  }

  // Going on past the stops without a route length: the cells of the
  // longest line, without the plan, so that the rest can still be checked.
  void celle_di_riserva() {
    m_.con_planimetria = 0;
    lunghezza_ = lunghezza_massima;
    lunghezza_letta_ = true;
    m_.lunghezza_estesa = lunghezza_massima + estensione;
    m_.celle.assign(static_cast<size_t>(ultima_cella(lunghezza_massima)) + 1, cella{});
  }

  // Tells the author who held cell c, when a record claimed it.
  spiegazione occupata(int32_t c) const {
    spiegazione s;
    if (auto n = d_->chi_occupa(c)) s.note.push_back(std::move(*n));
    return s;
  }
  // Notes that the record being read holds cell c.
  void occupa(int32_t c, const char* cosa) {
    if (d_) d_->occupa(c, luogo_record(), cosa);
  }

  // ---- profiles ----

  // Writes one profile byte. A cursor pushed past the last cell (a run of
  // lines at one chainage moves it one cell per line) writes nothing there:
  // cells outside celle are skipped.
  void scrivi_profilo(uint8_t cella::*campo, int32_t c, uint8_t valore) {
    if (dentro_celle(m_, c)) m_.celle[static_cast<size_t>(c)].*campo = valore;
  }

  // Profile fill of `campo` up to chainage x: from the cursor, at least one
  // cell when x's cell is above 0, up to that cell.
  void riempi_profilo(uint8_t cella::*campo, int32_t& cursore, int32_t x, uint8_t valore) {
    const int32_t c = arrotonda(static_cast<double>(x) / 50.0);
    if (c <= 0) return;
    do {
      scrivi_profilo(campo, cursore, valore);
      ++cursore;
    } while (cursore < c);
  }

  // Profile fill from the cursor to the third-to-last cell, at least one
  // cell; the cursor ends one past the last. As scrivi_profilo cell by
  // cell, in one pass over the cells inside celle (the longest line has
  // 20,001 of them).
  void riempi_fino_in_fondo(uint8_t cella::*campo, int32_t& cursore, uint8_t valore) {
    const int32_t fine = std::max(cursore + 1, limite_celle(m_) - 2);
    const auto da = static_cast<size_t>(std::max(cursore, 0));
    const size_t a = std::min(static_cast<size_t>(std::max(fine, 0)), m_.celle.size());
    for (size_t c = da; c < a; ++c) m_.celle[c].*campo = valore;
    cursore = fine;
  }

  // The stored speed of the previous speed line, km/h / 5 rounded; throws
  // ErroreLettura when it does not fit 8 bits (above 1277 km/h).
  uint8_t velocita_da_scrivere() const {
    const int32_t q = arrotonda(static_cast<double>(velocita_prec_) / 5.0);
    if (q < 0 || q > 255) throw ErroreLettura("a line speed does not fit its 8-bit field");
    return static_cast<uint8_t>(q);
  }

  // Speed fill up to chainage x: a profile fill that stops once the cursor
  // reaches the last cell.
  void riempi_velocita(int32_t x) {
    const int32_t c = arrotonda(static_cast<double>(x) / 50.0);
    if (c <= 0) return;
    do {
      if (cursore_velocita_ >= limite_celle(m_)) return;
      scrivi_profilo(&cella::velocita, cursore_velocita_, velocita_da_scrivere());
      ++cursore_velocita_;
    } while (cursore_velocita_ < c);
  }

  // ---- plan geometry ----

  // The rows of a curve line from row j_ up to row `fine` (the straight
  // lead-in, or the curve itself), with the checks each row gets: a row
  // past the plan table rejects the curve with 15 at its start, before it
  // is assigned; once the row of the last metre of curves is assigned, a
  // further row is refused. The rows between two checks that can stop are
  // assigned in one run.
  void righe_curva(int64_t fine, bool curva, double k, int32_t inizio) {
    while (j_ <= fine) {
      if (j_ > m_.lunghezza_estesa)
        rifiuta_a(errore::fuori_celle, inizio, 1,
                  {"", "the plan reaches " + std::to_string(m_.lunghezza_estesa) + " m, the end of "
                       "the track, and this curve goes on past it", "", {}});
      const int64_t ultima = std::max<int64_t>(
          j_, std::min<int64_t>({fine, m_.lunghezza_estesa, ultimo_metro_curve}));
      righe_piano(m_.planimetria, ultima - j_ + 1, curva, k);
      j_ = static_cast<int32_t>(ultima + 1);
      if (j_ > ultimo_metro_curve)
        rifiuta(errore::curva, 1,
                {"", "curves may lay the plan up to " + std::to_string(ultimo_metro_curve) +
                         " m, and this one goes on past it", "", {}});
    }
  }

  // ---- line source ----

  // Reads the line source: "[generale]", the header, the body, then deletes
  // it and closes the gradient profile and the plan. Requires it to exist.
  void sorgente_linea() {
    corrente_ = linea_;
    file_ = sorgente::linea;
    inizio_record_ = 0;
    f_.emplace(disco_.leggi(linea_));
    if (d_) d_->testo_sorgente(sorgente::linea, f_->dati());
    do {
      leggi_riga();
      if (fine_file())
        rifiuta_in(errore::manca_generale, luogo{sorgente::linea, 0},
                   {"", "", "put a line `[generale]` before the header records", {}});
    } while (!contiene_ci(m_.riga, "[generale]"));
    generale_[0] = luogo{sorgente::linea, f_->inizio_campo()};

    testata_linea();
    if (d_) controlla_testata_linea();

    progressive_ordina(m_);
    if (d_) controlla_zone(*d_, zone_scritte_, zone_ordinate(), lunghezza_);
    m_.n_montagne = 0;
    contatore_cartelli_ = riga_primo_cartello;
    cursore_pendenza_ = 0;
    j_ = 2;
    // A line source that gave no route length has no cells: refused here,
    // before anything uses the cells or the plan (code 25).
    if (!lunghezza_letta_) {
      if (!lunghezza_vista_) {
        try {
          rifiuta_in(errore::lettura, generale_[0],
                     {"the [generale] block has no `lunghezza percorso` record, so the line has no "
                      "length and there are no track cells: nothing can be packed",
                      "", "add `lunghezza percorso, LENGTH` (in metres) to the block", {}});
        } catch (const Salta&) {
        }
      }
      celle_di_riserva();
    }
    if (m_.con_planimetria != 0) {
      m_.planimetria.metti_intero(0, 0);
      m_.planimetria.metti_intero(0, 1);
    }

    contesto_ = contesto::corpo_linea;
    leggi_corpo([&] { return record_linea(); });
    if (riepiloga(sorgente::linea)) {
      d_->riepilogo(true);
      ordine_pendenza_.fine(*d_);
      d_->riepilogo(false);
    }

    f_.reset();
    if (elimina_) disco_.elimina(linea_);

    riempi_fino_in_fondo(&cella::pendenza, cursore_pendenza_, basso8(int64_t{pendenza_prec_} + 100));
    if (m_.con_planimetria != 0 && j_ <= m_.lunghezza_estesa - 2) {
      righe_piano(m_.planimetria, m_.lunghezza_estesa - 2 - j_ + 1, false, 0);
      j_ = m_.lunghezza_estesa - 1;
    }
  }

  // The header loop: the records of "[generale]" up to the next section
  // header. One field may match several tests.
  void testata_linea() {
    contesto_ = contesto::testata_linea;
    for (;;) {
      if (fine_file()) return;
      leggi_riga();
      if (fine_file()) return;
      bool fine_blocco = false;
      passo([&] { fine_blocco = record_testata(); });
      if (fine_blocco) return;
    }
  }

  // One field of the header loop: its comments skipped, its tests applied.
  // True when it is the next section header, which ends the block.
  bool record_testata() {
    for (int i = 0; i < 10; ++i)
      if (contiene(m_.riga, "-")) {
        commento();
        leggi_riga();
      }
    segna_record();
    // The name moves out of riga, which the record's text fields reuse.
    const std::string r = std::move(m_.riga);

    if (regola_ci(r, "percorso", "lunghezza")) {
      lunghezza_vista_ = true;
      const int32_t lunghezza = n32();
      m_.voci[riga_treno].fine = lunghezza;
      // A length so far below 0 that no cell would exist, or (with the
      // plan) no rows 0 and 1, is refused like a length above the limit.
      if (lunghezza > lunghezza_massima || ultima_cella(lunghezza) < 0 ||
          (m_.con_planimetria != 0 && int64_t{lunghezza} + estensione < 1))
        rifiuta(errore::lunghezza, 1,
                {"", std::to_string(lunghezza) + " m",
                 "give a length from 0 to " + std::to_string(lunghezza_massima) + " m", {}});
      lunghezza_letta_ = true;
      lunghezza_ = lunghezza;
      m_.lunghezza_estesa = lunghezza + estensione;
      m_.celle.assign(static_cast<size_t>(ultima_cella(lunghezza)) + 1, cella{});
      if (m_.con_planimetria != 0) m_.planimetria.crea(m_.lunghezza_estesa);
    }
    if (regola(r, "tre", "progressiva")) terna(riga_progressiva_tre, 2);
    if (regola(r, "due", "progressiva")) terna(riga_progressiva_due, 1);
    if (regola(r, "uno", "progressiva")) terna(riga_progressiva_uno, 0);
    if (regola(r, "sfondo", "uno")) {
      m_.voci[riga_linea].inizio = n32();
      sfondi_[0] = true;
    }
    if (regola(r, "sfondo", "due")) {
      m_.voci[riga_linea].posizione = n32();
      sfondi_[1] = true;
    }
    if (regola(r, "sfondo", "tre")) {
      m_.voci[riga_linea].fine = n32();
      sfondi_[2] = true;
    }
    if (regola(r, "segnali", "ripetizione")) {
      ripetizione_vista_ = true;
      voce& v = m_.voci[riga_codici];
      v.inizio = n32();
      v.fine = n32();
      if (v.inizio % 50 != 0)
        rifiuta(errore::inizio_codici, 1, non_multiplo(v.inizio, 50, "the first chainage"));
      if (v.fine % 50 != 0)
        rifiuta(errore::fine_codici, 2, non_multiplo(v.fine, 50, "the last chainage"));
      if (contiene(r, "4"))
        v.posizione = 4;
      else if (contiene(r, "9"))
        v.posizione = 9;
      else
        rifiuta(errore::sistema_codici, 0,
                {"", "",
                 "write 9 (the 9-code system) or 4 (the 4-code system) in the name, such as "
                 "`ripetizione segnali 9 codici`",
                 {}});
      if (v.fine == 0) v.posizione = 0;
      if (d_ && v.fine != 0 && v.fine < v.inizio)
        lettura().avvisa(specie::valore, 2,
                         "the cab-signalling stretch ends (" + std::to_string(v.fine) +
                             " m) before it begins (" + std::to_string(v.inizio) +
                             " m): it is packed so, and covers no chainage");
    }
    esito_record(10);
    const size_t primo = r.find_first_not_of(" \t");
    const bool trattino = primo != std::string::npos && r[primo] == '-';
    return !trattino && contiene(r, "[") && contiene(r, "]");
  }

  // Reads one chainage reference into a row of voci; `n` is its place
  // among the zones as written (uno, due, tre).
  void terna(int riga, size_t n) {
    voce& v = m_.voci[riga];
    v.inizio = n32();
    v.fine = n32();
    v.posizione = n32();
    zone_scritte_[n] = {{v.inizio, v.fine, v.posizione}, luogo_record()};
    if (d_ && !progressiva_errata_ && (v.inizio % 50 != 0 || v.fine % 50 != 0)) {
      const bool inizio = v.inizio % 50 != 0;
      progressiva_errata_ = luogo_campo(inizio ? 1 : 2);
      spiegazione_progressiva_ =
          non_multiplo(inizio ? v.inizio : v.fine, 50,
                       inizio ? "the zone's start" : "the zone's reading");
    }
  }

  // The three zones as the loader sorted them into rows 81 to 83.
  std::array<std::array<int32_t, 3>, 3> zone_ordinate() const {
    std::array<std::array<int32_t, 3>, 3> z{};
    for (int r = 0; r < 3; ++r) {
      const voce& v = m_.voci[riga_progressiva_tre + r];
      z[static_cast<size_t>(r)] = {v.inizio, v.fine, v.posizione};
    }
    return z;
  }

  // The header records the line source lacks.
  void controlla_testata_linea() {
    auto zona = [](const char* nome) {
      return std::string("that kilometre zone is packed as 0, 0, 0; write `") + nome +
             ", 0, 0, 0` for a zone the line does not use";
    };
    controlla_mancanti(
        *d_, generale_[0],
        {{"progressiva chilometrica uno", zone_scritte_[0].dove.has_value(), zona("progressiva chilometrica uno")},
         {"progressiva chilometrica due", zone_scritte_[1].dove.has_value(), zona("progressiva chilometrica due")},
         {"progressiva chilometrica tre", zone_scritte_[2].dove.has_value(), zona("progressiva chilometrica tre")},
         {"sfondo uno", sfondi_[0], "that scenery selector is packed as 0"},
         {"sfondo due", sfondi_[1], "that scenery selector is packed as 0"},
         {"sfondo tre", sfondi_[2], "that scenery selector is packed as 0"},
         {"ripetizione segnali 9 codici", ripetizione_vista_,
          "the line is packed without cab signalling; write `ripetizione segnali 9 codici, 0, 0` "
          "to say so"}});
  }

  // Interprets one field of the line body. False when a range check failed.
  bool record_linea() {
    // The name moves out of riga, which the record's text fields reuse.
    const std::string r = std::move(m_.riga);

    if (regola_ci(r, "pendenza")) {
      const int32_t x = n32();
      const int32_t g = n32();
      if (!entro(x, 100, 1)) return false;
      if (d_) {
        ordine_pendenza_.riga(*d_, luogo_campo(1), x);
        controlla_byte(lettura(), 2, g, -100, 155, "gradient");
        controlla_oltre_fine(lettura(), 1, x, lunghezza_, "a gradient row");
      }
      riempi_profilo(&cella::pendenza, cursore_pendenza_, x, basso8(int64_t{pendenza_prec_} + 100));
      pendenza_prec_ = g;
      if (d_) d_->origine_profilo(diagnosi::profilo::pendenza, cursore_pendenza_, luogo_record());
    }

    const bool curva = regola_ci(r, "curva");
    // Without the plan a curve's fields are read as further record names,
    // which no rule takes.
    if (curva && m_.con_planimetria == 0 && d_) d_->ignora_riga(luogo_record());
    if (curva && m_.con_planimetria != 0) {
      const int32_t s = n32();
      const int32_t l = n32();
      if (!entro(s, 100, 1)) return false;
      if (d_) {
        controlla_nome_curva(lettura(), r);
        controlla_curva_dopo(lettura(), s, j_, curva_prec_);
        controlla_oltre_fine(lettura(), 1, s, lunghezza_, "a curve");
      }
      double k = 0;
      bool classe = false;
      for (size_t i = 0; i < curvatura_classe.size() && !classe; ++i)
        if (contiene(r, std::string(1, static_cast<char>('1' + i)))) {
          k = curvatura_classe[i];
          classe = true;
        }
      if (!classe)
        rifiuta(errore::curva, 0,
                {"", "", "write the class, 1 to 6, after the side, such as `curvad3`", {}});
      if (contiene_ci(r, "s")) k = -k;
      righe_curva(s, false, 0, s);
      righe_curva(int64_t{s} + l, true, k, s);
      curva_prec_ = luogo_record();
    }

    if (regola_ci(r, "montagna")) {
      int32_t inizio = n32();
      int32_t fine = n32();
      int32_t tipo = n32();
      if (!entro(inizio, 100, 1)) return false;
      const int32_t scritto = tipo;
      costruisci([&] { memo_montagna(m_, inizio, fine, tipo); }, inizio, 1, [&](int32_t) {
        return spiegazione{"", "a line holds " + std::to_string(capacita_montagne) +
                                   " mountain zones at most", "join some of them", {}};
      });
      if (d_) {
        // The zone's first cell, as memo_montagna finds it.
        d_->origine_montagna(std::max(arrotonda(static_cast<double>(inizio) / 50.0), 0),
                             luogo_record());
        controlla_montagna(lettura(), inizio, fine, scritto, tipo, montagna_prec_);
        controlla_oltre_fine(lettura(), 1, inizio, lunghezza_, "a mountain zone");
      }
      montagna_prec_ = luogo_record();
    }

    if (regola_ci(r, "indicatori_v")) {
      const int32_t posizione = n32();
      int32_t vas = n32(), vbs = n32(), vcs = n32(), strisces = n32();
      int32_t vad = n32(), vbd = n32(), vcd = n32(), strisced = n32();
      if (!entro(posizione, 100, 1)) return false;
      if (d_) {
        controlla_indicatori(lettura(), {vas, vbs, vcs, strisces, vad, vbd, vcd, strisced});
        controlla_oltre_fine(lettura(), 1, posizione, lunghezza_, "a group of speed indicator boards");
      }
      const int32_t c = cella_elemento(posizione);
      costruisci(
          [&] {
            memo_indicatori_v_max(m_, posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced);
          },
          posizione, 1,
          [&](int32_t codice) {
            return codice == errore::indicatori_occupato ? occupata(c)
                                                         : fuori_linea(posizione, 100, lunghezza_);
          });
      occupa(c, "the speed indicator boards");
    }

    if (regola_ci(r, "indicat", "cartello")) {
      const int32_t x = n32();
      m_.riga = testo();
      if (!entro(x, 100, 1)) return false;
      const int32_t c = cella_elemento(x);
      // A board before chainage -75 has no cell: rejected with 15.
      if (!dentro_celle(m_, c))
        rifiuta_a(errore::fuori_celle, x, 1, fuori_linea(x, 100, lunghezza_));
      if (!libera(m_.celle[c]))
        rifiuta_a(errore::cartello_occupato, x, 1, d_ ? occupata(c) : spiegazione{});
      // Boards take rows 80 down to 1; row 0 stays unused, so an 81st board
      // is rejected with 15.
      if (contatore_cartelli_ < 1)
        rifiuta_a(errore::fuori_celle, x, 1,
                  {"", "a line holds " + std::to_string(riga_primo_cartello) +
                           " direction boards at most", "", {}});
      if (d_) {
        controlla_nome(lettura(), 2, m_.riga, "the board text", tra_virgolette(2));
        // A text cut at a comma is told as such where the rest is read.
        if (!tagliato_a_virgola(2)) controlla_cartello(lettura(), 2, m_.riga);
        controlla_oltre_fine(lettura(), 1, x, lunghezza_, "a direction board");
        riga_con_testo_ = d_->inizio_riga(luogo_campo(2));
      }
      m_.celle[c].tipo = tipo_cella::cartello_indicatore;
      m_.celle[c].valore1 = basso16(contatore_cartelli_);
      m_.voci[contatore_cartelli_].nome = m_.riga;
      --contatore_cartelli_;
      occupa(c, "the direction board");
    }
    return true;
  }

  // True when text field i, as read, ends at a comma (and not at the line's end).
  bool tagliato_a_virgola(size_t i) const {
    if (i >= campi_.size() || tra_virgolette(i)) return false;
    const size_t fine = campi_[i] + m_.riga.size();
    return fine < f_->dati().size() && f_->dati()[fine] == ',';
  }

  // True when field i began with a double quote (read up to the closing one).
  bool tra_virgolette(size_t i) const {
    return i < campi_.size() && campi_[i] < f_->dati().size() && f_->dati()[campi_[i]] == '"';
  }

  // ---- train source ----

  // Reads the train source, deletes it, closes the speed and adhesion
  // profiles and checks the chainage references. Requires the line source read.
  void sorgente_treno() {
    corrente_ = treno_;
    file_ = sorgente::treno;
    inizio_record_ = 0;
    riconosciuti_file_ = 0;
    contesto_ = contesto::treno;
    // A train source that is not there is a failure of the data (code 25);
    // one that is there but cannot be read is a file failure.
    if (!disco_.esiste(treno_)) throw ErroreLettura("the train source does not exist");
    f_.emplace(disco_.leggi(treno_));
    if (d_) d_->testo_sorgente(sorgente::treno, f_->dati());
    bool generale = false;
    while (!fine_file()) {
      leggi_riga();
      if (contiene_ci(m_.riga, "[generale]")) {
        generale = true;
        generale_[1] = luogo{sorgente::treno, f_->inizio_campo()};
        break;
      }
    }
    cursore_aderenza_ = 0;
    cursore_velocita_ = 0;
    k_ = riga_prima_stazione;

    leggi_corpo([&] { return record_treno(); });
    if (riepiloga(sorgente::treno)) {
      d_->riepilogo(true);
      controlla_fine_treno(generale);
      d_->riepilogo(false);
    }

    f_.reset();
    if (elimina_) disco_.elimina(treno_);

    riempi_fino_in_fondo(&cella::velocita, cursore_velocita_, velocita_da_scrivere());
    riempi_fino_in_fondo(&cella::aderenza, cursore_aderenza_, basso8(aderenza_prec_));

    bool progressiva_errata = false;
    for (int riga = riga_progressiva_tre; riga <= riga_progressiva_uno; ++riga)
      if (m_.voci[riga].inizio % 50 != 0 || m_.voci[riga].fine % 50 != 0) progressiva_errata = true;
    if (progressiva_errata) {
      m_.codice_errore = errore::progressiva;
      if (d_) {
        errore_registrato e;
        e.codice = m_.codice_errore;
        e.posizione = m_.posizione_errore;
        e.dove = progressiva_errata_;
        e.rimedio = spiegazione_progressiva_.rimedio;
        d_->errore(std::move(e));
      }
    }
  }

  // What the train source lacks as a whole, once it is read.
  void controlla_fine_treno(bool generale) {
    ordine_velocita_.fine(*d_);
    ordine_aderenza_.fine(*d_);
    if (!generale) {
      d_->avvisa(specie::mancante, {sorgente::treno, 0},
                 "the train source has no `[generale]` line, so the loader reads none of it: the "
                 "train is packed without coaches, stations or speeds; put `[generale]` on its "
                 "first line",
                 true);
      return;
    }
    if (riconosciuti_file_ == 0) {
      d_->avvisa(specie::mancante, generale_[1],
                 "the train source holds no record the loader recognises: the train is packed "
                 "without coaches, stations or speeds",
                 true);
      return;
    }
    controlla_mancanti(
        *d_, generale_[1],
        {{"numero vetture", vetture_, "the train is packed with 0 coaches"},
         {"percentuale massa frenata", massa_, "the train is packed with 0 % braked mass"},
         {"sabbia", sabbia_, "the train is packed without sand"},
         {"orologio", orologio_, "the run is packed to start at 00:00:00"},
         {"stazione", stazioni_ > 0, "the train has no origin, stop or terminus"},
         {"velocita", velocita_viste_,
          "the line speed is packed as 0 km/h everywhere; put `velocita, 0, SPEED` first"},
         {"aderenza", aderenza_vista_,
          "the adhesion is packed as 0 everywhere; put `aderenza, 0, VALUE` first"}});
  }

  // Interprets one field of the train source. False when a range check failed.
  bool record_treno() {
    // The name moves out of riga, which the record's text fields reuse.
    const std::string r = std::move(m_.riga);

    if (regola_ci(r, "frenata", "massa")) {
      m_.voci[riga_treno].inizio = n32();
      massa_ = true;
    }
    if (regola_ci(r, "vetture")) {
      m_.voci[riga_treno].posizione = n32();
      vetture_ = true;
    }

    if (regola_ci(r, "velocit")) {
      const int32_t x = n32();
      const int32_t v = n32();
      if (!entro(x, 100, 1)) return false;
      if (d_) {
        ordine_velocita_.riga(*d_, luogo_campo(1), x);
        if (!velocita_viste_) controlla_primo_profilo(lettura(), x, "speed", "velocita, 0, SPEED", " km/h");
        controlla_velocita(lettura(), v);
        controlla_oltre_fine(lettura(), 1, x, lunghezza_, "a speed row");
      }
      velocita_viste_ = true;
      riempi_velocita(x);
      velocita_prec_ = v;
      if (d_) d_->origine_profilo(diagnosi::profilo::velocita, cursore_velocita_, luogo_record());
    }

    if (regola_ci(r, "aderenza")) {
      const int32_t x = n32();
      const int32_t a = n32();
      if (!entro(x, 100, 1)) return false;
      if (d_) {
        ordine_aderenza_.riga(*d_, luogo_campo(1), x);
        if (!aderenza_vista_) controlla_primo_profilo(lettura(), x, "adhesion", "aderenza, 0, VALUE", "");
        controlla_byte(lettura(), 2, a, 0, 255, "adhesion");
        controlla_oltre_fine(lettura(), 1, x, lunghezza_, "an adhesion row");
      }
      aderenza_vista_ = true;
      riempi_profilo(&cella::aderenza, cursore_aderenza_, x, basso8(aderenza_prec_));
      aderenza_prec_ = a;
      if (d_) d_->origine_profilo(diagnosi::profilo::aderenza, cursore_aderenza_, luogo_record());
    }

    if (regola_ci(r, "orologio")) {
      voce& v = m_.voci[riga_codici];
      v.dato3 = n16();
      v.dato4 = n16();
      v.dato5 = n16();
      orologio_ = true;
      if (d_) controlla_ora(lettura(), 1, v.dato3, v.dato4, v.dato5, "the start time");
    }
    if (regola_ci(r, "sabbia")) {
      m_.voci[riga_codici].dato1 = n16();
      sabbia_ = true;
    }

    if (regola_ci(r, "segnale")) {
      const int32_t posizione = n32();
      int32_t sx = n32(), s1 = n32(), s2 = n32(), s3 = n32(), rapp = n32();
      int32_t dx = n32(), d1 = n32(), d2 = n32(), d3 = n32(), tempo = n32();
      if (!entro(posizione, 100, 1)) return false;
      if (d_) {
        controlla_segnale(lettura(), {posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo});
        controlla_oltre_fine(lettura(), 1, posizione, lunghezza_, "a signal");
      }
      const int32_t c = cella_elemento(posizione);
      costruisci(
          [&] { memo_segnale(m_, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo); },
          posizione, 1,
          [&](int32_t codice) {
            return codice == errore::segnale_occupato ? occupata(c)
                                                      : fuori_linea(posizione, 100, lunghezza_);
          });
      occupa(c, "the signal");
    }

    if (regola_ci(r, "rallentamento")) {
      const int32_t x = n32();
      int32_t v = n32(), l = n32(), f_tt = n32();
      const int32_t f_ta = n32();
      int32_t d_v = n32();
      if (!entro(x, 100, 1)) return false;
      if (d_) {
        controlla_rallentamento(lettura(), x, l, f_ta);
        controlla_oltre_fine(lettura(), 1, x, lunghezza_, "a slowdown");
      }
      const celle_rallentamento c = celle_di_rallentamento(x, l);
      costruisci([&] { memo_rallentamento(m_, x, v, l, f_tt, f_ta, d_v); }, x, 1,
                 [&](int32_t codice) { return rallentamento_respinto(codice, c, x); });
      occupa(c.fine, "the end of the slowdown");
      occupa(c.inizio, "the start of the slowdown");
      if (x > ultimo_rallentamento_senza_avviso) {
        occupa(c.avviso, "the warning board of the slowdown");
        if (f_ta != 0)
          for (int32_t i = 0; i < 4; ++i)
            occupa(c.prima - i, "a marker cell before the warning board of the slowdown");
      }
    }

    if (regola_ci(r, "abbattimento")) {
      const int32_t x = n32();
      const int32_t codice = n32();
      if (!entro(x, 100, 1)) return false;
      const int32_t c = arrotonda(static_cast<double>(x) / 50.0);
      // A code point before chainage -25 has no cell: rejected with 15.
      if (!dentro_celle(m_, c)) rifiuta_a(errore::fuori_celle, x, 1, fuori_linea(x, 100, lunghezza_));
      if (!libera(m_.celle[c]))
        rifiuta_a(errore::codice_occupato, x, 1, d_ ? occupata(c) : spiegazione{});
      if (d_) {
        controlla_codice(lettura(), codice);
        controlla_oltre_fine(lettura(), 1, x, lunghezza_, "a cab-code point");
      }
      if (codice > 0) {
        m_.celle[c].tipo = tipo_cella::codice;
        m_.celle[c].valore1 = basso16(codice);
      } else {
        m_.celle[c].tipo = tipo_cella::rimozione_codice;
      }
      occupa(c, "the cab-code point");
    }

    if (regola_ci(r, "stazione")) return stazione();
    return true;
  }

  // Why a slowdown at x with cells c was refused with `codice`.
  spiegazione rallentamento_respinto(int32_t codice, const celle_rallentamento& c, int32_t x) const {
    switch (codice) {
      case errore::avviso_occupato: return occupata(c.avviso);
      case errore::inizio_occupato: return occupata(c.inizio);
      case errore::fine_occupato: return occupata(c.fine);
      case errore::prima_avviso_occupata:
        for (int32_t i = 0; i < 4; ++i)
          if (dentro_celle(m_, c.prima - i) && !libera(m_.celle[static_cast<size_t>(c.prima - i)]))
            return occupata(c.prima - i);
        return {};
      default: return fuori_linea(x, 100, lunghezza_);
    }
  }

  // The station steps for row k of voci. False when the range check failed.
  bool stazione() {
    voce& r = m_.voci[k_];
    r.posizione = n32();
    if (!entro(r.posizione, 800, 1)) return false;
    if (r.posizione % 50 != 0)
      rifiuta_a(errore::stazione_posizione, r.posizione, 1,
                non_multiplo(r.posizione, 50, "the station's chainage"));
    r.tipo = n8();
    const int32_t lunghezza = n32();
    if (lunghezza % 100 != 0)
      rifiuta_a(errore::stazione_lunghezza, r.posizione, 3,
                non_multiplo(lunghezza, 100, "the station's length"));

    r.opzione1 = n8();
    r.opzione5 = n8();
    r.opzione4 = n8();
    r.dato1 = n16();
    r.dato2 = n16();
    r.opzione2 = n8();
    r.dato3 = n16();
    r.dato4 = n16();
    r.dato5 = n16();
    r.opzione3 = n8();
    const int64_t ore = n32();
    const int64_t minuti = n32();
    const int64_t secondi = n32();
    r.orario = intero32(static_cast<double>((ore * 60 + minuti) * 60 + secondi));
    r.nome = testo();
    ++stazioni_;
    if (d_) d_->origine_voce(k_, luogo_record());

    if (d_) {
      const in_lettura c = lettura();
      controlla_opzioni_stazione(c, r.tipo, lunghezza, r.opzione5, r.opzione4,
                                 k_ == riga_prima_stazione);
      if (ore != 0 || minuti != 0 || secondi != 0)
        controlla_ora(c, 14, ore, minuti, secondi, "the scheduled time");
      controlla_nome(c, 17, r.nome, "the station name", tra_virgolette(17));
      controlla_oltre_fine(c, 1, r.posizione, lunghezza_, "a station");
      riga_con_testo_ = d_->inizio_riga(luogo_campo(17));
    }

    const double p = r.posizione;
    const double l = lunghezza;
    if (r.tipo == 5 || r.tipo == 6) {
      r.fine = intero32(p + 150);
      r.inizio = intero32(p - l);
      r.opzione4 = 0;
    } else if (r.tipo == 7 || r.tipo == 8) {
      r.inizio = intero32(p - l);
      r.fine = intero32(p + l);
      r.opzione4 = 0;
    } else {
      r.inizio = intero32(p - l / 2);
      r.fine = intero32(p + l / 2 + (r.opzione4 != 0 ? 50 : 0));
    }

    if (lunghezza < 600) r.opzione5 = 0;
    if (k_ == riga_prima_stazione) {
      r.opzione4 = 0;
      r.opzione5 = 0;
    }

    if (r.tipo < classe_senza_fermata && r.tipo != 5 && r.tipo != 6)
      for (int32_t n = 1; n <= 4; ++n) {
        const double e = r.fine / 50.0 - n - 1;
        // Markers past the last cell (a very long station) are skipped.
        if (e > 1 && dentro_celle(m_, arrotonda(e)))
          m_.celle[static_cast<size_t>(arrotonda(e))].preavviso = basso8(80 + n);
      }

    if (r.tipo < classe_senza_fermata) {
      const double e = r.fine / 50.0 - 1;
      if (e <= 1)
        rifiuta(errore::fermata_troppo_presto, 1,
                {"", "the station's area ends at " + std::to_string(r.fine) +
                         " m, and its stop point, 50 m before that end, must lie beyond 100 m",
                 "move the station further along", {}});
      const int32_t c = arrotonda(e);
      // A stop cell past the last cell is rejected with 15 at the station.
      if (!dentro_celle(m_, c))
        rifiuta_a(errore::fuori_celle, r.posizione, 1, fuori_linea(r.posizione, 800, lunghezza_));
      if (d_ && !libera(m_.celle[c])) {
        std::vector<nota> note;
        if (auto n = d_->chi_occupa(c)) note.push_back(std::move(*n));
        lettura().avvisa(specie::valore, 1,
                         "the station's stop cell (chainage " + std::to_string(int64_t{c} * 50) +
                             " m) already holds a feature, which the stop cell replaces: that "
                             "feature is lost; move one of them",
                         false, std::move(note));
      }
      m_.celle[c].tipo = tipo_cella::fermata;
      m_.celle[c].valore1 = basso16(k_);
      occupa(c, "the stop cell of the station");
    }

    if (k_ > riga_prima_stazione && int64_t{r.inizio} - 350 < m_.voci[k_ - 1].fine) {
      const voce& prec = m_.voci[k_ - 1];
      rifiuta_a(errore::stazioni_vicine, r.posizione, 1,
                d_ ? stazioni_vicine(*d_, r.posizione, r.inizio, prec.posizione, prec.fine,
                                     prec.nome, stazione_prec_)
                   : spiegazione{});
    }
    stazione_prec_ = luogo_record();

    // Going on past the stops, the rows stay below the boards' rows.
    if (continua_ && k_ + 1 >= contatore_cartelli_) rifiuta(errore::troppe_stazioni, 0, troppe());
    ++k_;
    if (k_ >= contatore_cartelli_) rifiuta(errore::troppe_stazioni, 0, troppe());
    return true;
  }

  // How many stations the item table holds beside the line's boards.
  spiegazione troppe() const {
    const int boards = riga_primo_cartello - contatore_cartelli_;
    return {"", "with the line's " + std::to_string(boards) + " direction boards, the item table "
                "holds " + std::to_string(std::max(0, contatore_cartelli_ - 2)) +
                " stations",
            "", {}};
  }

  modello& m_;
  piattaforma::Disco& disco_;
  const std::string linea_;
  const std::string treno_;
  const bool elimina_;    // delete each source once read, or rejected
  diagnosi* const d_;     // where to tell the author; null: nobody asks
  const bool continua_;   // go on past the stops, for the checks
  std::string corrente_;  // the source being read, deleted on a rejection
  std::optional<piattaforma::LettoreCampi> f_;

  // Where the record being read begins, its fields, and how many rules
  // took its name.
  sorgente file_ = sorgente::linea;
  size_t inizio_record_ = 0;
  std::vector<size_t> campi_;
  int riconosciuti_ = 0;
  contesto contesto_ = contesto::testata_linea;
  bool fermo_[2] = {false, false};
  bool fermo_tutto_ = false;

  // What the checks keep (only with diagnosi).
  std::string nome_record_;                  // cut at nome_massimo
  bool commento_come_nome_ = false;          // the record name holds a hyphen
  std::optional<luogo> progressiva_errata_;  // a chainage reference off the 50 m grid
  spiegazione spiegazione_progressiva_;
  std::array<luogo, 2> generale_{};          // the [generale] line of each source
  std::array<zona_scritta, 3> zone_scritte_{};
  std::array<bool, 3> sfondi_{};
  bool ripetizione_vista_ = false;
  bool lunghezza_vista_ = false;
  bool vetture_ = false, massa_ = false, sabbia_ = false, orologio_ = false;
  bool velocita_viste_ = false, aderenza_vista_ = false;
  int stazioni_ = 0;
  size_t riconosciuti_file_ = 0;             // records recognised in the source being read
  std::optional<size_t> riga_con_testo_;     // line of the last name or board text read
  std::optional<luogo> curva_prec_, montagna_prec_;
  luogo stazione_prec_;
  ordine_profilo ordine_pendenza_{"gradient"};
  ordine_profilo ordine_velocita_{"speed"};
  ordine_profilo ordine_aderenza_{"adhesion"};

  int32_t lunghezza_ = 0;  // the route length read
  int32_t pendenza_prec_ = 0;
  int32_t cursore_pendenza_ = 0;
  int32_t velocita_prec_ = 0;  // speed before the first line: 0
  int32_t cursore_velocita_ = 0;
  int32_t aderenza_prec_ = 0;  // adhesion before the first line: 0
  int32_t cursore_aderenza_ = 0;
  int32_t j_ = 2;
  int32_t contatore_cartelli_ = riga_primo_cartello;
  int32_t k_ = riga_prima_stazione;  // the row of the next station
  bool lunghezza_letta_ = false;
};

}  // namespace

void righe_piano(piano& p, int64_t n, bool curva, double k) {
  if (n <= 0) return;
  const int32_t j = p.righe();
  if (j < 2) throw std::logic_error("the plan recurrence needs rows 0 and 1 assigned");
  // The two rows before the next one, carried along instead of read back.
  double x0 = p.valore(0, j - 2), y0 = p.valore(1, j - 2);
  double x1 = p.valore(0, j - 1), y1 = p.valore(1, j - 1);
  auto avanza = [&](double x2, double y2) {
    x0 = x1;
    y0 = y1;
    x1 = x2;
    y1 = y2;
  };
  if (curva)
    p.metti_doppi(n, [&](double& x2, double& y2) {
      const double dx = x1 - x0;
      const double dy = y1 - y0;
      x2 = x1 + dx + k * dy;
      y2 = y1 + dy - k * dx;
      avanza(x2, y2);
    });
  else
    p.metti_doppi(n, [&](double& x2, double& y2) {
      x2 = x1 + (x1 - x0);
      y2 = y1 + (y1 - y0);
      avanza(x2, y2);
    });
}

// Reads both sources in `cartella` into the model, deleting them.
void memorizza_dati(modello& m, piattaforma::Disco& disco, const std::string& cartella) {
  memorizza_dati(m, disco,
                 sorgenti_caricamento{
                     piattaforma::unisci_percorso(cartella, nome_sorgente_linea(m.linea)),
                     piattaforma::unisci_percorso(cartella, nome_sorgente_treno(m.linea, m.treno)),
                     true, nullptr});
}

// Reads both sources into the model; see the header. A failure of the
// data leaves code 25 and, when the sources are deleted, neither behind.
void memorizza_dati(modello& m, piattaforma::Disco& disco, const sorgenti_caricamento& s) {
  Caricatore caricatore(m, disco, s);
  std::string motivo;
  try {
    caricatore.esegui();
    return;
  } catch (const Rifiuto&) {
    return;
  } catch (const ErroreLettura& e) {
    motivo = e.what();
  }
  // Failure handler for the data (a read past the end, a value too wide, a
  // missing train source). A failed file operation is not handled here: its
  // ErroreFile ends the build, before anything is packed.
  if (s.elimina)
    for (const std::string* p : {&s.linea, &s.treno})
      if (disco.esiste(*p)) disco.elimina(*p);
  m.codice_errore = errore::lettura;
  caricatore.registra_fallimento(motivo);
}

}  // namespace scenario
