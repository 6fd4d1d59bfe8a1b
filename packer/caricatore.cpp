#include "packer/caricatore.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "model/identita.h"
#include "packer/costruttori.h"
#include "platform/cartella_programma.h"
#include "platform/errore_file.h"
#include "platform/lettore_campi.h"
#include "platform/windows1252.h"

namespace scenario {
namespace {

using piattaforma::ErroreLettura;

// Curve lines may not carry the plan past this metre.
constexpr int32_t ultimo_metro_curve = 1000000;

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

// The steps of one loader call over the two sources.
//
// How the load ends when something is wrong, and what that does to the
// two source files (codes in model/errori.h):
//  - No line source (101): nothing is read, nothing deleted.
//  - Rejection, rifiuta / rifiuta_a: the file being read is closed and
//    deleted, the code (and its chainage) recorded, and Rifiuto ends the
//    whole load; a train source not yet read stays on disk. A builder's
//    code (memo_*) is turned into a rejection at the record's chainage.
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
class Caricatore {
 public:
  Caricatore(modello& m, piattaforma::Disco& disco, const sorgenti_caricamento& s)
      : m_(m), disco_(disco), linea_(s.linea), treno_(s.treno), elimina_(s.elimina),
        d_(s.rapporto) {}

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
      if (d_) d_->errori.push_back({m_.codice_errore, m_.posizione_errore, std::nullopt, {}});
      return;
    }
    sorgente_linea();
    sorgente_treno();
  }

  // Records code 25 for a failed read, with `motivo` and the place of the
  // field that could not be read; requires the code already set.
  void registra_fallimento(const std::string& motivo) {
    if (!d_) return;
    std::string dettaglio = motivo;
    std::optional<luogo> dove;
    if (f_) {
      dove = luogo_record();
      const auto rc = piattaforma::trova_riga_colonna(f_->dati(), f_->inizio_campo());
      dettaglio += " (line " + std::to_string(rc.riga) + ", column " + std::to_string(rc.colonna) + ")";
      if (rc.riga > piattaforma::trova_riga_colonna(f_->dati(), inizio_record_).riga)
        dettaglio += "; the record's line ends before all its fields";
    }
    d_->errori.push_back({m_.codice_errore, m_.posizione_errore, dove, dettaglio});
  }

 private:
  // ---- reading ----

  // Reads the next field into riga; requires an open source.
  void leggi_riga() { m_.riga = f_->leggi_testo(); }
  // True when the open source has no field left.
  bool fine_file() const { return f_->fine_file(); }
  // Reads the next field as a 32-bit number; requires an open source.
  int32_t n32() { return f_->leggi_32(); }

  // ---- what is told to the author (only with diagnosi) ----

  // The place of the record being read.
  luogo luogo_record() const { return {file_, inizio_record_}; }

  // Notes where the record named by riga begins; requires an open source.
  void segna_record() {
    inizio_record_ = f_->inizio_campo();
    riconosciuti_ = 0;
    if (d_) nome_record_ = m_.riga;
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

  // After a record: tells the diagnosi a name no rule took, a record that
  // ran on to a later line, or one that several rules took.
  void esito_record() {
    if (!d_) return;
    if (riconosciuti_ == 0) {
      d_->campo_non_riconosciuto(contesto_, luogo_record(), nome_record_, f_->dati());
      return;
    }
    d_->record_letto(luogo_record(), nome_record_, f_->inizio_campo(), f_->dati());
    if (riconosciuti_ > 1) d_->piu_regole(luogo_record(), nome_record_, riconosciuti_);
  }

  // Tells the diagnosi about the field in riga that is skipped as a comment.
  void commento() {
    if (d_) d_->commento(contesto_, {file_, f_->inizio_campo()}, m_.riga, f_->dati());
  }

  // Records the error just set in codice_errore at the record being read.
  void registra() {
    if (d_) d_->errori.push_back({m_.codice_errore, m_.posizione_errore, luogo_record(), {}});
  }

  // Warns at the record being read.
  void avvisa(std::string testo) {
    if (d_) d_->avvisi.push_back({luogo_record(), std::move(testo)});
  }

  // Warns when a profile row at chainage x lies in or before the cell the
  // profile has reached: it then only carries the previous value one cell on.
  void controlla_ordine(int32_t cursore, int32_t x, const char* profilo) {
    const int32_t c = arrotonda(static_cast<double>(x) / 50.0);
    if (d_ && c > 0 && c <= cursore)
      avvisa(std::string(profilo) + " rows must stand in ascending order of chainage, one 50 m "
             "cell apart at least: this one (" + std::to_string(x) +
             " m) does not lie beyond the previous one, so it only carries the previous value "
             "one cell on");
  }

  // Warns when a value kept in one byte does not fit it.
  void controlla_byte(int64_t valore, int64_t minimo, int64_t massimo, const std::string& cosa) {
    if (d_ && (valore < minimo || valore > massimo))
      avvisa(cosa + " " + std::to_string(valore) + " is outside " + std::to_string(minimo) +
             " to " + std::to_string(massimo) + ", which is all one byte holds: it is packed as " +
             std::to_string(basso8(valore - minimo) + minimo));
  }

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

  // Rejects the file being read: it is deleted, the code recorded, and the
  // loader returns. Requires the path of the file being read in corrente_.
  [[noreturn]] void rifiuta(int32_t codice) {
    f_.reset();
    if (elimina_) disco_.elimina(corrente_);
    m_.codice_errore = codice;
    registra();
    throw Rifiuto{};
  }
  // The same, recording the chainage that goes with the code.
  [[noreturn]] void rifiuta_a(int32_t codice, int32_t posizione) {
    m_.posizione_errore = posizione;
    rifiuta(codice);
  }

  // Range check with margin on chainage x: passes when (x + margine) / 50
  // is within the cells; otherwise records 15 at x and returns false, which
  // ends the reading of the current file.
  bool entro(int32_t x, int margine) {
    if ((static_cast<double>(x) + margine) / 50.0 <= limite_celle(m_)) return true;
    m_.codice_errore = errore::fuori_celle;
    m_.posizione_errore = x;
    registra();
    return false;
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

  // Profile fill from the cursor to the third-to-last cell, at least one cell.
  void riempi_fino_in_fondo(uint8_t cella::*campo, int32_t& cursore, uint8_t valore) {
    do {
      scrivi_profilo(campo, cursore, valore);
      ++cursore;
    } while (cursore < limite_celle(m_) - 2);
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
      if (j_ > m_.lunghezza_estesa) rifiuta_a(errore::fuori_celle, inizio);
      const int64_t ultima = std::max<int64_t>(
          j_, std::min<int64_t>({fine, m_.lunghezza_estesa, ultimo_metro_curve}));
      righe_piano(m_.planimetria, ultima - j_ + 1, curva, k);
      j_ = static_cast<int32_t>(ultima + 1);
      if (j_ > ultimo_metro_curve) rifiuta(errore::curva);
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
    do {
      leggi_riga();
      if (fine_file()) rifiuta(errore::manca_generale);
    } while (!contiene_ci(m_.riga, "[generale]"));

    testata_linea();

    progressive_ordina(m_);
    m_.n_montagne = 0;
    contatore_cartelli_ = riga_primo_cartello;
    cursore_pendenza_ = 0;
    j_ = 2;
    // A line source that gave no route length has no cells: refused here,
    // before anything uses the cells or the plan (code 25).
    if (!lunghezza_letta_) {
      inizio_record_ = 0;
      rifiuta(errore::lettura);
    }
    if (m_.con_planimetria != 0) {
      m_.planimetria.metti_intero(0, 0);
      m_.planimetria.metti_intero(0, 1);
    }

    contesto_ = contesto::corpo_linea;
    for (;;) {
      if (fine_file()) break;
      leggi_riga();
      if (fine_file()) break;
      if (!salta_commenti()) break;
      segna_record();
      const bool avanti = record_linea();
      esito_record();
      if (!avanti) break;
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
      for (int i = 0; i < 10; ++i)
        if (contiene(m_.riga, "-")) {
          commento();
          leggi_riga();
        }
      segna_record();
      const std::string r = m_.riga;

      if (regola_ci(r, "percorso", "lunghezza")) {
        const int32_t lunghezza = n32();
        m_.voci[riga_treno].fine = lunghezza;
        // A length so far below 0 that no cell would exist, or (with the
        // plan) no rows 0 and 1, is refused like a length above the limit.
        if (lunghezza > lunghezza_massima || ultima_cella(lunghezza) < 0 ||
            (m_.con_planimetria != 0 && int64_t{lunghezza} + estensione < 1))
          rifiuta(errore::lunghezza);
        lunghezza_letta_ = true;
        m_.lunghezza_estesa = lunghezza + estensione;
        m_.celle.assign(static_cast<size_t>(ultima_cella(lunghezza)) + 1, cella{});
        if (m_.con_planimetria != 0) m_.planimetria.crea(m_.lunghezza_estesa);
      }
      if (regola(r, "tre", "progressiva")) terna(riga_progressiva_tre);
      if (regola(r, "due", "progressiva")) terna(riga_progressiva_due);
      if (regola(r, "uno", "progressiva")) terna(riga_progressiva_uno);
      if (regola(r, "sfondo", "uno")) m_.voci[riga_linea].inizio = n32();
      if (regola(r, "sfondo", "due")) m_.voci[riga_linea].posizione = n32();
      if (regola(r, "sfondo", "tre")) m_.voci[riga_linea].fine = n32();
      if (regola(r, "segnali", "ripetizione")) {
        voce& v = m_.voci[riga_codici];
        v.inizio = n32();
        v.fine = n32();
        if (v.inizio % 50 != 0) rifiuta(errore::inizio_codici);
        if (v.fine % 50 != 0) rifiuta(errore::fine_codici);
        if (contiene(r, "4"))
          v.posizione = 4;
        else if (contiene(r, "9"))
          v.posizione = 9;
        else
          rifiuta(errore::sistema_codici);
        if (v.fine == 0) v.posizione = 0;
      }
      esito_record();
      const size_t primo = r.find_first_not_of(" \t");
      const bool trattino = primo != std::string::npos && r[primo] == '-';
      if (!trattino && contiene(r, "[") && contiene(r, "]")) return;
    }
  }

  // Reads one chainage reference into a row of voci.
  void terna(int riga) {
    voce& v = m_.voci[riga];
    v.inizio = n32();
    v.fine = n32();
    v.posizione = n32();
    if (d_ && !progressiva_errata_ && (v.inizio % 50 != 0 || v.fine % 50 != 0))
      progressiva_errata_ = luogo_record();
  }

  // Interprets one field of the line body. False when a range check failed.
  bool record_linea() {
    const std::string r = m_.riga;

    if (regola_ci(r, "pendenza")) {
      const int32_t x = n32();
      const int32_t g = n32();
      if (!entro(x, 100)) return false;
      controlla_ordine(cursore_pendenza_, x, "gradient");
      controlla_byte(g, -100, 155, "gradient");
      riempi_profilo(&cella::pendenza, cursore_pendenza_, x, basso8(int64_t{pendenza_prec_} + 100));
      pendenza_prec_ = g;
    }

    const bool curva = regola_ci(r, "curva");
    // Without the plan a curve's fields are read as further record names,
    // which no rule takes.
    if (curva && m_.con_planimetria == 0 && d_) d_->ignora_riga(luogo_record(), f_->dati());
    if (curva && m_.con_planimetria != 0) {
      const int32_t s = n32();
      const int32_t l = n32();
      if (!entro(s, 100)) return false;
      double k = 0;
      bool classe = false;
      for (size_t i = 0; i < curvatura_classe.size() && !classe; ++i)
        if (contiene(r, std::string(1, static_cast<char>('1' + i)))) {
          k = curvatura_classe[i];
          classe = true;
        }
      if (!classe) rifiuta(errore::curva);
      if (contiene_ci(r, "s")) k = -k;
      righe_curva(s, false, 0, s);
      righe_curva(int64_t{s} + l, true, k, s);
    }

    if (regola_ci(r, "montagna")) {
      int32_t inizio = n32();
      int32_t fine = n32();
      int32_t tipo = n32();
      if (!entro(inizio, 100)) return false;
      memo_montagna(m_, inizio, fine, tipo);
      if (m_.codice_errore > 0) rifiuta_a(m_.codice_errore, inizio);
    }

    if (regola_ci(r, "indicatori_v")) {
      const int32_t posizione = n32();
      int32_t vas = n32(), vbs = n32(), vcs = n32(), strisces = n32();
      int32_t vad = n32(), vbd = n32(), vcd = n32(), strisced = n32();
      if (!entro(posizione, 100)) return false;
      memo_indicatori_v_max(m_, posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced);
      if (m_.codice_errore > 0) rifiuta_a(m_.codice_errore, posizione);
    }

    if (regola_ci(r, "indicat", "cartello")) {
      const int32_t x = n32();
      leggi_riga();
      if (!entro(x, 100)) return false;
      const int32_t c = cella_elemento(x);
      // A board before chainage -75 has no cell: rejected with 15.
      if (!dentro_celle(m_, c)) rifiuta_a(errore::fuori_celle, x);
      if (!libera(m_.celle[c])) rifiuta_a(errore::cartello_occupato, x);
      // Boards take rows 80 down to 1; row 0 stays unused, so an 81st board
      // is rejected with 15.
      if (contatore_cartelli_ < 1) rifiuta_a(errore::fuori_celle, x);
      m_.celle[c].tipo = tipo_cella::cartello_indicatore;
      m_.celle[c].valore1 = basso16(contatore_cartelli_);
      m_.voci[contatore_cartelli_].nome = m_.riga;
      --contatore_cartelli_;
    }
    return true;
  }

  // ---- train source ----

  // Reads the train source, deletes it, closes the speed and adhesion
  // profiles and checks the chainage references. Requires the line source read.
  void sorgente_treno() {
    corrente_ = treno_;
    file_ = sorgente::treno;
    inizio_record_ = 0;
    contesto_ = contesto::treno;
    // A train source that is not there is a failure of the data (code 25);
    // one that is there but cannot be read is a file failure.
    if (!disco_.esiste(treno_)) throw ErroreLettura("the train source does not exist");
    f_.emplace(disco_.leggi(treno_));
    while (!fine_file()) {
      leggi_riga();
      if (contiene_ci(m_.riga, "[generale]")) break;
    }
    cursore_aderenza_ = 0;
    cursore_velocita_ = 0;
    k_ = riga_prima_stazione;

    for (;;) {
      if (fine_file()) break;
      leggi_riga();
      if (fine_file()) break;
      if (!salta_commenti()) break;
      segna_record();
      const bool avanti = record_treno();
      esito_record();
      if (!avanti) break;
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
      if (d_)
        d_->errori.push_back({m_.codice_errore, m_.posizione_errore, progressiva_errata_, {}});
    }
  }

  // Interprets one field of the train source. False when a range check failed.
  bool record_treno() {
    const std::string r = m_.riga;

    if (regola_ci(r, "frenata", "massa")) m_.voci[riga_treno].inizio = n32();
    if (regola_ci(r, "vetture")) m_.voci[riga_treno].posizione = n32();

    if (regola_ci(r, "velocit")) {
      const int32_t x = n32();
      const int32_t v = n32();
      if (!entro(x, 100)) return false;
      controlla_ordine(cursore_velocita_, x, "speed");
      if (d_ && v % 5 != 0)
        avvisa("speeds are kept in steps of 5 km/h: " + std::to_string(v) + " km/h is packed as " +
               std::to_string(int64_t{arrotonda(static_cast<double>(v) / 5.0)} * 5) + " km/h");
      riempi_velocita(x);
      velocita_prec_ = v;
    }

    if (regola_ci(r, "aderenza")) {
      const int32_t x = n32();
      const int32_t a = n32();
      if (!entro(x, 100)) return false;
      controlla_ordine(cursore_aderenza_, x, "adhesion");
      controlla_byte(a, 0, 255, "adhesion");
      riempi_profilo(&cella::aderenza, cursore_aderenza_, x, basso8(aderenza_prec_));
      aderenza_prec_ = a;
    }

    if (regola_ci(r, "orologio")) {
      voce& v = m_.voci[riga_codici];
      v.dato3 = f_->leggi_16();
      v.dato4 = f_->leggi_16();
      v.dato5 = f_->leggi_16();
    }
    if (regola_ci(r, "sabbia")) m_.voci[riga_codici].dato1 = f_->leggi_16();

    if (regola_ci(r, "segnale")) {
      const int32_t posizione = n32();
      int32_t sx = n32(), s1 = n32(), s2 = n32(), s3 = n32(), rapp = n32();
      int32_t dx = n32(), d1 = n32(), d2 = n32(), d3 = n32(), tempo = n32();
      if (!entro(posizione, 100)) return false;
      memo_segnale(m_, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo);
      if (m_.codice_errore > 0) rifiuta_a(m_.codice_errore, posizione);
      if (d_) d_->segnale(cella_elemento(posizione), luogo_record());
    }

    if (regola_ci(r, "rallentamento")) {
      const int32_t x = n32();
      int32_t v = n32(), l = n32(), f_tt = n32();
      const int32_t f_ta = n32();
      int32_t d_v = n32();
      if (!entro(x, 100)) return false;
      memo_rallentamento(m_, x, v, l, f_tt, f_ta, d_v);
      if (m_.codice_errore > 0) rifiuta_a(m_.codice_errore, x);
      if (d_) d_->rallentamento(cella_elemento(x), cella_elemento(int64_t{x} + l), luogo_record());
    }

    if (regola_ci(r, "abbattimento")) {
      const int32_t x = n32();
      const int32_t codice = n32();
      if (!entro(x, 100)) return false;
      const int32_t c = arrotonda(static_cast<double>(x) / 50.0);
      // A code point before chainage -25 has no cell: rejected with 15.
      if (!dentro_celle(m_, c)) rifiuta_a(errore::fuori_celle, x);
      if (!libera(m_.celle[c])) rifiuta_a(errore::codice_occupato, x);
      if (codice > 0) {
        m_.celle[c].tipo = tipo_cella::codice;
        m_.celle[c].valore1 = basso16(codice);
      } else {
        m_.celle[c].tipo = tipo_cella::rimozione_codice;
      }
    }

    if (regola_ci(r, "stazione")) return stazione();
    return true;
  }

  // The station steps for row k of voci. False when the range check failed.
  bool stazione() {
    voce& r = m_.voci[k_];
    r.posizione = n32();
    if (!entro(r.posizione, 800)) return false;
    if (r.posizione % 50 != 0) rifiuta_a(errore::stazione_posizione, r.posizione);
    r.tipo = f_->leggi_8();
    const int32_t lunghezza = n32();
    if (lunghezza % 100 != 0) rifiuta_a(errore::stazione_lunghezza, r.posizione);

    r.opzione1 = f_->leggi_8();
    r.opzione5 = f_->leggi_8();
    r.opzione4 = f_->leggi_8();
    r.dato1 = f_->leggi_16();
    r.dato2 = f_->leggi_16();
    r.opzione2 = f_->leggi_8();
    r.dato3 = f_->leggi_16();
    r.dato4 = f_->leggi_16();
    r.dato5 = f_->leggi_16();
    r.opzione3 = f_->leggi_8();
    const int64_t ore = n32();
    const int64_t minuti = n32();
    const int64_t secondi = n32();
    r.orario = intero32(static_cast<double>((ore * 60 + minuti) * 60 + secondi));
    r.nome = f_->leggi_testo();

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
      if (e <= 1) rifiuta(errore::fermata_troppo_presto);
      const int32_t c = arrotonda(e);
      // A stop cell past the last cell is rejected with 15 at the station.
      if (!dentro_celle(m_, c)) rifiuta_a(errore::fuori_celle, r.posizione);
      m_.celle[c].tipo = tipo_cella::fermata;
      m_.celle[c].valore1 = basso16(k_);
    }

    if (k_ > riga_prima_stazione && int64_t{r.inizio} - 350 < m_.voci[k_ - 1].fine)
      rifiuta_a(errore::stazioni_vicine, r.posizione);

    ++k_;
    if (k_ >= contatore_cartelli_) rifiuta(errore::troppe_stazioni);
    return true;
  }

  modello& m_;
  piattaforma::Disco& disco_;
  const std::string linea_;
  const std::string treno_;
  const bool elimina_;    // delete each source once read, or rejected
  diagnosi* const d_;     // where to tell the author; null: nobody asks
  std::string corrente_;  // the source being read, deleted on a rejection
  std::optional<piattaforma::LettoreCampi> f_;

  // Where the record being read begins, and how many rules took its name.
  sorgente file_ = sorgente::linea;
  size_t inizio_record_ = 0;
  int riconosciuti_ = 0;
  contesto contesto_ = contesto::testata_linea;
  std::string nome_record_;                  // kept only with diagnosi
  std::optional<luogo> progressiva_errata_;  // a chainage reference off the 50 m grid

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
