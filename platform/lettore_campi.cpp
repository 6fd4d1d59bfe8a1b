#include "platform/lettore_campi.h"

#include <algorithm>
#include <utility>

namespace piattaforma {
namespace {

bool spazio(char c) { return c == ' ' || c == '\t'; }
bool fine_riga(char c) { return c == '\r' || c == '\n'; }

}  // namespace

ErroreLettura::ErroreLettura(const std::string& motivo) : std::runtime_error(motivo) {}

LettoreCampi::LettoreCampi(std::string dati) : dati_(std::move(dati)) {}

// True when only blanks and line ends remain after the position.
bool LettoreCampi::fine_file() const {
  for (size_t i = pos_; i < dati_.size(); ++i)
    if (!spazio(dati_[i]) && !fine_riga(dati_[i])) return false;
  return true;
}

// Moves to the first character of the next field; requires one to exist.
void LettoreCampi::salta_a_campo() {
  a_capo_ = false;
  while (pos_ < dati_.size() && (spazio(dati_[pos_]) || fine_riga(dati_[pos_]))) ++pos_;
  inizio_campo_ = pos_;
  if (pos_ >= dati_.size()) {
    a_capo_ = true;
    throw ErroreLettura("read past the end of the file");
  }
}

// Consumes CR LF, a lone CR or a lone LF at the position.
void LettoreCampi::consuma_fine_riga() {
  const size_t prima = pos_;
  if (pos_ < dati_.size() && dati_[pos_] == '\r') ++pos_;
  if (pos_ < dati_.size() && dati_[pos_] == '\n') ++pos_;
  if (pos_ > prima || pos_ >= dati_.size()) a_capo_ = true;
}

// Scans to the next line end and consumes it.
void LettoreCampi::salta_resto_riga() {
  if (a_capo_) return;
  while (pos_ < dati_.size() && !fine_riga(dati_[pos_])) ++pos_;
  consuma_fine_riga();
}

// Reads the next text field and consumes the comma or line end after it.
std::string LettoreCampi::leggi_testo() {
  salta_a_campo();
  std::string testo;
  if (dati_[pos_] == '"') {
    size_t chiusa = dati_.find('"', pos_ + 1);
    if (chiusa == std::string::npos) chiusa = dati_.size();
    testo = dati_.substr(pos_ + 1, chiusa - pos_ - 1);
    pos_ = chiusa < dati_.size() ? chiusa + 1 : chiusa;
    // Whatever follows the closing quote up to the field's end is dropped.
    while (pos_ < dati_.size() && dati_[pos_] != ',' && !fine_riga(dati_[pos_])) ++pos_;
  } else {
    size_t inizio = pos_;
    while (pos_ < dati_.size() && dati_[pos_] != ',' && !fine_riga(dati_[pos_])) ++pos_;
    testo = dati_.substr(inizio, pos_ - inizio);
  }
  if (pos_ < dati_.size() && dati_[pos_] == ',')
    ++pos_;
  else
    consuma_fine_riga();
  return testo;
}

// Reads one number, ending at a blank, comma or line end. When only blanks
// remain before the comma or line end, they and the comma or line end are
// consumed; when another number follows in the same field, the reader
// stops in front of it.
int64_t LettoreCampi::leggi_numero(int64_t minimo, int64_t massimo, const char* bersaglio) {
  salta_a_campo();
  size_t inizio = pos_;
  while (pos_ < dati_.size() && dati_[pos_] != ',' && !spazio(dati_[pos_]) &&
         !fine_riga(dati_[pos_]))
    ++pos_;
  const std::string gettone = dati_.substr(inizio, pos_ - inizio);

  size_t i = 0;
  bool negativo = false;
  if (i < gettone.size() && gettone[i] == '-') {
    negativo = true;
    ++i;
  }
  if (i == gettone.size())
    throw ErroreLettura("no number where one is due: \"" + citazione(gettone) + "\"");
  int64_t valore = 0;
  bool troppo = false;
  for (; i < gettone.size(); ++i) {
    char c = gettone[i];
    if (c < '0' || c > '9')
      throw ErroreLettura("no number where one is due: \"" + citazione(gettone) + "\"");
    // Past 10^12 the value fits no target; stop growing to stay in range.
    if (valore < 1000000000000LL) valore = valore * 10 + (c - '0');
    else troppo = true;
  }
  if (negativo) valore = -valore;
  if (troppo || valore < minimo || valore > massimo)
    throw ErroreLettura(citazione(gettone) + " does not fit " + bersaglio);

  while (pos_ < dati_.size() && spazio(dati_[pos_])) ++pos_;
  if (pos_ < dati_.size() && dati_[pos_] == ',')
    ++pos_;
  else
    consuma_fine_riga();
  return valore;
}

// Reads an 8-bit unsigned number.
uint8_t LettoreCampi::leggi_8() {
  return static_cast<uint8_t>(leggi_numero(0, 255, "an 8-bit unsigned field"));
}

// Reads a 16-bit signed number.
int16_t LettoreCampi::leggi_16() {
  return static_cast<int16_t>(leggi_numero(-32768, 32767, "a 16-bit field"));
}

// Reads a 32-bit signed number.
int32_t LettoreCampi::leggi_32() {
  return static_cast<int32_t>(leggi_numero(INT32_MIN, INT32_MAX, "a 32-bit field"));
}

// Counts the line ends before the offset; requires nothing.
riga_colonna trova_riga_colonna(std::string_view dati, size_t scostamento) {
  riga_colonna rc;
  size_t inizio_riga = 0;
  const size_t fine = scostamento < dati.size() ? scostamento : dati.size();
  for (size_t i = 0; i < fine; ++i) {
    if (dati[i] == '\n' || (dati[i] == '\r' && (i + 1 >= dati.size() || dati[i + 1] != '\n'))) {
      ++rc.riga;
      inizio_riga = i + 1;
    }
  }
  rc.colonna = scostamento - inizio_riga + 1;
  return rc;
}

// True when byte i of `dati` ends a line: LF, or CR not followed by LF.
static bool chiude_riga(std::string_view dati, size_t i) {
  return dati[i] == '\n' || (dati[i] == '\r' && (i + 1 >= dati.size() || dati[i + 1] != '\n'));
}

indice_righe::indice_righe(std::string_view dati) : dimensione_(dati.size()) {
  for (size_t i = 0; i < dati.size(); ++i)
    if (chiude_riga(dati, i)) inizi_.push_back(i + 1);
}

// The last line start at or before the offset.
size_t indice_righe::inizio_riga(size_t scostamento) const {
  const size_t s = std::min(scostamento, dimensione_);
  const auto dopo = std::upper_bound(inizi_.begin(), inizi_.end(), s);
  return *(dopo - 1);
}

riga_colonna indice_righe::dove(size_t scostamento) const {
  const size_t s = std::min(scostamento, dimensione_);
  const auto dopo = std::upper_bound(inizi_.begin(), inizi_.end(), s);
  riga_colonna rc;
  rc.riga = static_cast<size_t>(dopo - inizi_.begin());
  rc.colonna = s - *(dopo - 1) + 1;
  return rc;
}

std::string citazione(std::string_view testo, size_t massimo) {
  if (testo.size() <= massimo) return std::string(testo);
  std::string r(testo.substr(0, massimo));
  r += '\x85';
  return r;
}

}  // namespace piattaforma
