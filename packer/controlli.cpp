#include "packer/controlli.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "model/modello.h"
#include "packer/costruttori.h"

namespace scenario {
namespace {

std::string n(int64_t v) { return std::to_string(v); }

// The two multiples of `passo` around v (v itself is not one).
std::pair<int64_t, int64_t> multipli_vicini(int64_t v, int32_t passo) {
  int64_t sotto = v / passo * passo;
  if (sotto > v) sotto -= passo;
  return {sotto, sotto + passo};
}

// "12:05:00" for a time as written (values out of range kept as they are).
std::string ora(int64_t h, int64_t m, int64_t s) {
  auto due = [](int64_t v) { return (v >= 0 && v < 10 ? "0" : "") + std::to_string(v); };
  return due(h) + ":" + due(m) + ":" + due(s);
}

// The longest text a packed item row holds, in bytes.
constexpr size_t testo_massimo = 65535;

}  // namespace

// ---- explanations of recorded errors ----

spiegazione non_multiplo(int64_t valore, int32_t passo, const std::string& cosa) {
  const auto [sotto, sopra] = multipli_vicini(valore, passo);
  spiegazione s;
  s.rimedio = "make " + cosa + " " + n(sotto) + " or " + n(sopra) + " (the nearest multiples of " +
              n(passo) + ")";
  return s;
}

spiegazione fuori_linea(int64_t x, int32_t margine, int32_t lunghezza) {
  spiegazione s;
  const int64_t binario = int64_t{lunghezza} + estensione;
  if (x < 0) {
    s.significato = "a record lies before the start of the line";
  } else {
    s.significato = "a record lies too close to the end of the track, or beyond it";
    s.dettaglio = "the track ends at " + n(binario) + " m (the route's " + n(lunghezza) +
                  " m and " + n(estensione) + " m beyond it), and this record must stand " +
                  n(margine) + " m before that at least";
  }
  s.rimedio = "the loader reads no further record of this source: correct the chainage, or the "
              "route length";
  return s;
}

spiegazione stazioni_vicine(const diagnosi& d, int32_t posizione, int32_t inizio,
                            int32_t posizione_prec, int32_t fine_prec, const std::string& nome_prec,
                            const luogo& dove_prec) {
  spiegazione s;
  const std::string prec = "the previous station, " + tra_apici(nome_prec);
  if (posizione <= posizione_prec) {
    s.dettaglio = "stations must stand in order along the line, and this one (" + n(posizione) +
                  " m) comes after " + prec + " (" + n(posizione_prec) + " m) in the file";
    s.rimedio = "put the station records in the order of their chainages";
  } else {
    s.dettaglio = "its area begins at " + n(inizio) + " m, but " + prec + " ends at " +
                  n(fine_prec) + " m, and " + n(int64_t{fine_prec} + 350) +
                  " m is the nearest allowed";
    s.rimedio = "move the station further along, or shorten one of the two areas";
  }
  s.note.push_back({dove_prec, prec + ", at " + d.riga_di(dove_prec)});
  return s;
}

// ---- the records ----

void controlla_oltre_fine(const in_lettura& r, size_t i, int64_t x, int32_t lunghezza,
                          const char* cosa) {
  if (x <= lunghezza) return;
  r.avvisa(specie::oltre_fine, i,
           std::string(cosa) + " at " + n(x) + " m lies " + n(x - lunghezza) +
               " m past the route's end (" + n(lunghezza) + " m), on the " + n(estensione) +
               " m of track the loader adds after it, which the train reaches only by running "
               "past the end: it is packed there; check its chainage");
}

void controlla_primo_profilo(const in_lettura& r, int32_t x, const char* profilo, const char* riga,
                             const char* unita) {
  if (arrotonda(static_cast<double>(x) / 50.0) <= 0) return;
  r.avvisa(specie::valore, 1,
           std::string("the first ") + profilo + " row is at " + n(x) + " m: from 0 to " + n(x) +
               " m the " + profilo + " is packed as 0" + unita + "; put `" + riga + "` first");
}

void controlla_velocita(const in_lettura& r, int32_t v) {
  if (v % 5 == 0) return;
  r.avvisa(specie::valore, 2,
           "speeds are kept in steps of 5 km/h: " + n(v) + " km/h is packed as " +
               n(int64_t{arrotonda(static_cast<double>(v) / 5.0)} * 5) + " km/h");
}

void controlla_byte(const in_lettura& r, size_t i, int64_t valore, int64_t minimo, int64_t massimo,
                    const std::string& cosa) {
  if (valore >= minimo && valore <= massimo) return;
  r.avvisa(specie::valore, i,
           cosa + " " + n(valore) + " is outside " + n(minimo) + " to " + n(massimo) +
               ", which is all one byte holds: it is packed as " +
               n(basso8(valore - minimo) + minimo));
}

void controlla_ora(const in_lettura& r, size_t i, int64_t ore, int64_t minuti, int64_t secondi,
                   const char* cosa) {
  size_t sbagliato = i;
  if (ore < 0 || ore > 23) sbagliato = i;
  else if (minuti < 0 || minuti > 59) sbagliato = i + 1;
  else if (secondi < 0 || secondi > 59) sbagliato = i + 2;
  else return;
  const int64_t totale = (ore * 60 + minuti) * 60 + secondi;
  std::string letta = totale >= 0 ? ora(totale / 3600, totale / 60 % 60, totale % 60) : n(totale) + " s";
  r.avvisa(specie::valore, sbagliato,
           std::string(cosa) + " " + ora(ore, minuti, secondi) +
               " is not a time of day (hours 0 to 23, minutes and seconds 0 to 59): it is packed "
               "as " + n(totale) + " seconds after midnight, " + letta);
}

void controlla_segnale(const in_lettura& r, const std::array<int32_t, 11>& v) {
  // Fields: 1 posizione, 2 sx, 3 s1, 4 s2, 5 s3, 6 rapp, 7 dx, 8 d1, 9 d2, 10 d3, 11 tempo.
  static const char* const nomi[] = {"", "left code", "left value 1", "left value 2",
                                     "left value 3", "repeat flag", "right code", "right value 1",
                                     "right value 2", "right value 3"};
  for (size_t k = 1; k <= 9; ++k) {
    const bool codice = k == 1 || k == 6;
    const int32_t massimo = codice ? 2 : 9;
    if (v[k] >= 0 && v[k] <= massimo) continue;
    r.avvisa(specie::valore, k + 1,
             std::string("signal ") + nomi[k] + " " + n(v[k]) + " is outside 0 to " + n(massimo) +
                 ": the loader packs each left value with its right one as left x 10 + right (and "
                 "the repeat flag x 10 + left code x 3 + right code), so it runs into its neighbour "
                 "and the signal shows otherwise than written");
    break;
  }
  const int32_t tempo = v[10];
  if (v[1] != 2 && tempo != 0) {
    r.avvisa(specie::valore, 11,
             "the timing " + n(tempo) + " is kept only when the left code is 2: here it is packed "
             "as 0");
  } else if (tempo >= 1 && tempo <= 100) {
    r.avvisa(specie::valore, 11,
             "a timing of 1 to 100 is raised to 101: " + n(tempo) + " is packed as 101");
  } else if (v[1] == 2 && (tempo < 0 || tempo > 255)) {
    r.avvisa(specie::valore, 11,
             "the timing " + n(tempo) + " is outside 0 to 255, which is all one byte holds: it is "
             "packed as " + n(basso8(tempo)));
  }
}

void controlla_rallentamento(const in_lettura& r, int32_t x, int32_t l, int32_t f_ta) {
  const celle_rallentamento c = celle_di_rallentamento(x, l);
  if (l < 0) {
    r.avvisa(specie::valore, 3,
             "a slowdown's length is negative (" + n(l) + " m): its end cell comes before its "
             "start; give the length in metres from the start");
  } else if (c.fine == c.inizio) {
    r.avvisa(specie::valore, 3,
             "a slowdown " + n(l) + " m long has its start and its end in one 50 m cell: only the "
             "start is packed, so the slowdown has no end; make it 50 m long at least");
  }
  if (x <= ultimo_rallentamento_senza_avviso && f_ta != 0)
    r.avvisa(specie::valore, 5,
             "a slowdown starting at " + n(ultimo_rallentamento_senza_avviso) + " m or before gets "
             "no warning board, so none of the four marker cells that this field asks for");
}

void controlla_codice(const in_lettura& r, int32_t codice) {
  if (codice <= 32767) return;
  r.avvisa(specie::valore, 2,
           "the code " + n(codice) + " does not fit the 16-bit field that keeps it: it is packed as " +
               n(basso16(codice)));
}

void controlla_indicatori(const in_lettura& r, const std::array<int32_t, 8>& v) {
  // v: vas, vbs, vcs, strisces, vad, vbd, vcd, strisced at fields 2 to 9.
  for (size_t k : {size_t{0}, size_t{1}, size_t{2}, size_t{4}, size_t{5}, size_t{6}}) {
    const int32_t s = v[k];
    if (s % 5 == 0 && s >= 0 && s <= 495) continue;
    const bool sinistra = k < 3;
    const int32_t vs = sinistra ? s : v[k - 4];
    const int32_t vd = sinistra ? v[k + 4] : s;
    const int64_t combinato = arrotonda(static_cast<double>(vd) / 5.0 + static_cast<double>(vs) * 20.0);
    r.avvisa(specie::valore, k + 2,
             std::string("speed indicator speeds must be multiples of 5 from 0 to 495 km/h: ") +
                 n(s) + " on the " + (sinistra ? "left" : "right") + " is packed with the other "
                 "side's into one number (left / 5 x 100 + right / 5 = " + n(combinato) +
                 "), which reads back as left " + n(combinato / 100 * 5) + " and right " +
                 n(combinato % 100 * 5) + " km/h");
  }
  for (size_t k : {size_t{3}, size_t{7}}) {
    if (v[k] >= 0 && v[k] <= 9) continue;
    r.avvisa(specie::valore, k + 2,
             "stripes must be 0 to 9: the left and right counts are packed as one number (left x 10 "
             "+ right), so " + n(v[k]) + " runs into the other side's");
  }
}

void controlla_montagna(const in_lettura& r, int32_t inizio, int32_t fine, int32_t tipo_scritto,
                        int32_t tipo_preso, const std::optional<luogo>& prec) {
  if (fine <= inizio)
    r.avvisa(specie::valore, 2,
             "the zone ends at " + n(fine) + " m, not after its start (" + n(inizio) +
                 " m): no cell is marked");
  const int32_t atteso = tipo_scritto > 10 ? tipo_scritto - 10 : tipo_scritto;
  if (tipo_preso != atteso) {
    std::vector<nota> note;
    if (prec) note.push_back({*prec, "the previous zone, at " + r.d.riga_di(*prec)});
    r.avvisa(specie::valore, 3,
             "this zone begins 150 m or less after the previous zone ends, so the loader packs its "
             "type as " + n(tipo_preso) + ", not " + n(atteso) + "; leave more room between them, or "
             "write them as one zone",
             false, std::move(note));
  }
}

void controlla_nome(const in_lettura& r, size_t i, std::string_view nome, const char* cosa,
                    bool virgolette) {
  const std::string c = cosa;
  if (nome.size() > testo_massimo) {
    r.avvisa(specie::testo, i,
             c + " is " + n(static_cast<int64_t>(nome.size())) + " characters long, and a packed "
             "text holds " + n(testo_massimo) + " at most: nothing can be packed; shorten it",
             true);
    return;
  }
  if (nome.empty() && !virgolette) {
    r.avvisa(specie::testo, i, c + " is empty");
    return;
  }
  if (virgolette) {
    r.avvisa(specie::testo, i,
             c + " begins with a double quote, so the loader reads it up to the closing quote, "
             "without the quotes, and drops whatever follows up to the comma or the line's end: "
             "it is packed as " + tra_apici(nome) + "; write it without quotes");
    return;
  }
  const size_t controllo = nome.find_first_of(std::string_view("\t\x01\x02\x03\x04\x05\x06\x07\x08"
                                                               "\x0B\x0C\x0E\x0F\x10\x11\x12\x13"
                                                               "\x14\x15\x16\x17\x18\x19\x1A\x1B"
                                                               "\x1C\x1D\x1E\x1F\x7F", 30));
  if (controllo != std::string_view::npos) {
    const auto b = static_cast<unsigned char>(nome[controllo]);
    r.avvisa(specie::testo, i,
             c + " holds " + (b == '\t' ? std::string("a tab") : "the control character " + n(b)) +
                 ", which is packed as it is and shown by the simulator as no letter; write a blank");
    return;
  }
  if (nome.back() == ' ') {
    r.avvisa(specie::testo, i,
             c + " " + tra_apici(nome) + " ends in blanks, which are packed as part of it; remove "
             "them");
  }
}

void controlla_cartello(const in_lettura& r, size_t i, std::string_view testo) {
  // (a)(b)(c): three bracketed texts of one width.
  std::vector<size_t> larghezze;
  size_t k = 0;
  bool forma = true;
  while (forma && k < testo.size() && larghezze.size() < 3) {
    if (testo[k] != '(') {
      forma = false;
      break;
    }
    const size_t chiusa = testo.find(')', k + 1);
    if (chiusa == std::string_view::npos || testo.substr(k + 1, chiusa - k - 1).find('(') != std::string_view::npos) {
      forma = false;
      break;
    }
    larghezze.push_back(chiusa - k - 1);
    k = chiusa + 1;
  }
  while (k < testo.size() && testo[k] == ' ') ++k;
  forma = forma && larghezze.size() == 3 && k == testo.size();
  if (!forma) {
    r.avvisa(specie::testo, i,
             "a direction board's text is three bracketed texts, such as `(Ponte)(fiume)(Reno )`: " +
                 tra_apici(testo) + " is packed as it is, and the simulator shows its lines "
                 "otherwise than written");
    return;
  }
  if (larghezze[0] != larghezze[1] || larghezze[1] != larghezze[2])
    r.avvisa(specie::testo, i,
             "the three texts of a direction board are of one width, padded with blanks, such as "
             "`(Ponte)(fiume)(Reno )`: here they are " + n(static_cast<int64_t>(larghezze[0])) +
                 ", " + n(static_cast<int64_t>(larghezze[1])) + " and " +
                 n(static_cast<int64_t>(larghezze[2])) + " characters wide");
}

void controlla_nome_curva(const in_lettura& r, std::string_view nome) {
  std::string minuscolo;
  for (char c : nome) minuscolo += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  while (!minuscolo.empty() && (minuscolo.back() == ' ' || minuscolo.back() == '\t')) minuscolo.pop_back();
  if (minuscolo.size() == 7 && minuscolo.starts_with("curva") &&
      (minuscolo[5] == 'd' || minuscolo[5] == 's') && minuscolo[6] >= '1' && minuscolo[6] <= '6')
    return;
  int classe = 0;
  for (int c = 1; c <= 6 && classe == 0; ++c)
    if (nome.find(static_cast<char>('0' + c)) != std::string_view::npos) classe = c;
  if (classe == 0) return;  // no class digit: error 103
  const bool sinistra = minuscolo.find('s') != std::string::npos;
  const std::string letta = std::string("curva") + (sinistra ? "s" : "d") + static_cast<char>('0' + classe);
  r.avvisa(specie::nome_record, 0,
           "the loader reads " + tra_apici(nome) + " as " + tra_apici(letta) + ", a curve to the " +
               (sinistra ? "left (the name holds an s)" : "right (the name holds no s)") +
               " of class " + n(classe) + " (the first of the digits 1 to 6 it holds): write `curvad" +
               n(classe) + "` for a right-hand curve or `curvas" + n(classe) + "` for a left-hand one");
}

void controlla_curva_dopo(const in_lettura& r, int32_t s, int32_t j,
                          const std::optional<luogo>& prec) {
  if (s >= j - 1) return;
  std::vector<nota> note;
  if (prec) note.push_back({*prec, "the curve before it, at " + r.d.riga_di(*prec)});
  r.avvisa(specie::ordine, 1,
           "this curve starts at " + n(s) + " m, before the plan laid so far ends (" + n(j - 1) +
               " m): the loader lays it from " + n(j - 1) + " m on; curves must follow one another "
               "along the line without overlapping",
           false, std::move(note));
}

void controlla_opzioni_stazione(const in_lettura& r, int tipo, int32_t lunghezza, int o5, int o4,
                                bool prima) {
  if (o5 != 0 && (prima || lunghezza < 600))
    r.avvisa(specie::valore, 5,
             std::string("the second option is packed as 0 ") +
                 (prima ? "at the first station" : "at a station shorter than 600 m") +
                 ": it counts only at a later station of 600 m or more");
  if (o4 != 0 && (prima || (tipo >= 5 && tipo <= 8)))
    r.avvisa(specie::valore, 6,
             std::string("the third option (which lengthens the station area by 50 m) is packed as "
                         "0 ") +
                 (prima ? "at the first station" : "at a terminus or origin (classes 5 to 8)"));
}

// ---- the sources as a whole ----

void controlla_mancanti(diagnosi& d, const luogo& dove, const std::vector<record_atteso>& attesi) {
  for (const record_atteso& a : attesi)
    if (!a.letto)
      d.avvisa(specie::mancante, dove,
               "the source has no `" + a.nome + "` record: " + a.effetto);
}

void controlla_zone(diagnosi& d, const std::array<zona_scritta, 3>& scritte,
                    const std::array<std::array<int32_t, 3>, 3>& ordinate, int32_t lunghezza) {
  bool zeri = true, scritte_zero = true;
  for (size_t z = 0; z < 3; ++z) {
    for (int32_t v : ordinate[z]) zeri = zeri && v == 0;
    for (int32_t v : scritte[z].valori) scritte_zero = scritte_zero && v == 0;
  }
  if (zeri && !scritte_zero) {
    for (const zona_scritta& z : scritte)
      if (z.dove) {
        d.avvisa(specie::valore, *z.dove,
                 "the loader packs all three kilometre zones as 0, 0, 0: it cannot order them when "
                 "two start at the same chainage, or all three at 0 with no reading above 0; give "
                 "each zone a start of its own");
        return;
      }
  }
  // Rows in decreasing order of start: row r applies from its start up to
  // the start of row r - 1 (the route's end for the first).
  int64_t fine = lunghezza;
  for (size_t k = 0; k < 3; ++k) {
    const auto& [inizio, salvato, direzione] = ordinate[k];
    if (inizio >= fine || inizio > lunghezza) continue;
    const int64_t da = std::max<int64_t>(inizio, 0);
    const int64_t minima = direzione == zona_discendente
                               ? lettura_chilometrica<int64_t>(lettura_a_zero(salvato, direzione), direzione, fine)
                               : lettura_chilometrica<int64_t>(lettura_a_zero(salvato, direzione), direzione, da);
    const int64_t dove_minima = direzione == zona_discendente ? fine : da;
    fine = inizio;
    if (minima >= 0) continue;
    // The record this row came from: the zone written with the same start and direction.
    for (const zona_scritta& z : scritte)
      if (z.dove && z.valori[0] == inizio && z.valori[2] == direzione) {
        d.avvisa(specie::valore, *z.dove,
                 "kilometre readings in this zone fall below 0 (" + n(minima) + " m at chainage " +
                     n(dove_minima) + " m), and are packed so: check its reading at chainage 0 and "
                     "its direction (0 rising, 1 falling)");
        break;
      }
  }
}

// ---- profile order ----

void ordine_profilo::riga(diagnosi& d, const luogo& dove, int32_t x) {
  const letta r{dove, x, arrotonda(static_cast<double>(x) / 50.0)};
  if (sospesa_) {
    const letta s = *sospesa_;
    sospesa_.reset();
    if (r.cella > ultima_->cella) {
      // The row before the suspect and the one after it are in order: the
      // suspect is the misplaced one.
      avvisa_bassa(d, s, *ultima_);
      ultima_ = r;
    } else {
      // Both later rows lie below: the row before them was misplaced.
      avvisa_alta(d, *ultima_, s);
      ultima_ = s;
      if (r.cella > s.cella) ultima_ = r;
      else sospesa_ = r;
    }
    return;
  }
  if (!ultima_ || r.cella > ultima_->cella) {
    ultima_ = r;
    return;
  }
  sospesa_ = r;
}

void ordine_profilo::fine(diagnosi& d) {
  if (sospesa_) avvisa_bassa(d, *sospesa_, *ultima_);
  sospesa_.reset();
}

void ordine_profilo::avvisa_bassa(diagnosi& d, const letta& bassa, const letta& prima) {
  d.avvisa(specie::ordine, bassa.dove,
           std::string(nome_) + " rows must stand in ascending order of chainage, one 50 m cell "
           "apart at least: this row (" + n(bassa.x) + " m) does not lie beyond the row before it (" +
               n(prima.x) + " m), so the value of the row before it reaches one cell at most; "
               "move it to its place",
           false, {{prima.dove, "the row before it, at " + d.riga_di(prima.dove)}});
}

void ordine_profilo::avvisa_alta(diagnosi& d, const letta& alta, const letta& dopo) {
  d.avvisa(specie::ordine, alta.dove,
           std::string(nome_) + " rows must stand in ascending order of chainage: this row (" +
               n(alta.x) + " m) comes before rows of lower chainage, so the loader fills up to " +
               n(alta.x) + " m with the value before it, and each later row up to there only carries "
               "the value one cell on; move it to its place",
           false, {{dopo.dove, "the next row, at " + d.riga_di(dopo.dove) + " (" + n(dopo.x) + " m)"}});
}

}  // namespace scenario
