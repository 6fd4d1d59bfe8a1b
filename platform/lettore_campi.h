#pragma once
// Sequential text input field by field over a whole file held in memory:
// comma-separated fields read as text or as whole numbers, a number also
// ending at a blank, as the source files are read back.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace piattaforma {

// A field could not be read: a read past the end of the data, a number that
// does not fit its target, or no whole number where one is due.
class ErroreLettura : public std::runtime_error {
 public:
  explicit ErroreLettura(const std::string& motivo);
};

// Reads the fields of a text one after the other. Blanks (space, tab) and
// line ends (CR, LF) before a field are skipped. A field ends at a comma or
// at a line end, which the read consumes; a number also ends at a blank, so
// one comma-separated field may carry several numbers.
class LettoreCampi {
 public:
  // Takes the bytes to read (Windows-1252, as the file holds them).
  explicit LettoreCampi(std::string dati);

  // True when nothing but blanks and line ends is left: no further field.
  bool fine_file() const;

  // Reads a text field: from its first non-blank character to the next
  // comma or line end, trailing blanks kept. A field that begins with a
  // double quote runs to the closing quote (or the end of the data) and the
  // rest of it up to the comma or line end is dropped. Throws
  // ErroreLettura when no field is left.
  std::string leggi_testo();

  // Read a whole decimal number with an optional leading minus sign into an
  // 8-bit unsigned, 16-bit signed or 32-bit signed target. Throw
  // ErroreLettura when no field is left, when the field holds no such
  // number, or when the value does not fit the target.
  uint8_t leggi_8();
  int16_t leggi_16();
  int32_t leggi_32();

  // Byte offset of the first character of the field read last, or of the
  // one whose read failed (the end of the data for a read past it).
  size_t inizio_campo() const { return inizio_campo_; }

  // The bytes being read.
  const std::string& dati() const { return dati_; }

  // Moves past the end of the line that holds the field read last, unless
  // that read already consumed its line end (or a read failed past it): the
  // next read then starts on the following line. For going on after a
  // record that could not be taken whole.
  void salta_resto_riga();

 private:
  // Reads one number token and checks it against [minimo, massimo].
  int64_t leggi_numero(int64_t minimo, int64_t massimo, const char* bersaglio);
  // Skips blanks and line ends; throws ErroreLettura when the data ends.
  void salta_a_campo();
  // Consumes one line end (CR LF, CR or LF) at the position, if there is one.
  void consuma_fine_riga();

  std::string dati_;
  size_t pos_ = 0;
  size_t inizio_campo_ = 0;
  bool a_capo_ = true;  // the last read ended by consuming a line end
};

// A place in a text: line and column, both counted from 1. A line ends at
// CR LF, a lone CR or a lone LF, as the reader takes them; the column
// counts bytes, which in a Windows-1252 text are characters.
struct riga_colonna {
  size_t riga = 1;
  size_t colonna = 1;
};

// The line and column of byte offset `scostamento` of `dati` (an offset
// past the end gives the place just after the last byte). Counts from the
// start: for one place. For many places in one text, indice_righe.
riga_colonna trova_riga_colonna(std::string_view dati, size_t scostamento);

// The start of every line of a text, found in one pass, so that the line
// and column of any offset take a binary search, never a scan of the text.
// Lines end as for trova_riga_colonna, which it agrees with everywhere.
class indice_righe {
 public:
  indice_righe() = default;
  explicit indice_righe(std::string_view dati);

  // Line and column of byte offset `scostamento` (one past the end at most).
  riga_colonna dove(size_t scostamento) const;
  // Offset of the first byte of the line that holds `scostamento`.
  size_t inizio_riga(size_t scostamento) const;

 private:
  std::vector<size_t> inizi_{0};  // offset where each line begins, ascending
  size_t dimensione_ = 0;
};

// A text as a message quotes it: whole up to `massimo` bytes, else its first
// `massimo` bytes followed by "\x85" (the ellipsis in Windows-1252), so that
// a field megabytes long is never echoed whole.
std::string citazione(std::string_view testo, size_t massimo = 40);

}  // namespace piattaforma
