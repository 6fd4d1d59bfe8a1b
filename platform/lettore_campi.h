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
};

// A place in a text: line and column, both counted from 1. A line ends at
// CR LF, a lone CR or a lone LF, as the reader takes them; the column
// counts bytes, which in a Windows-1252 text are characters.
struct riga_colonna {
  size_t riga = 1;
  size_t colonna = 1;
};

// The line and column of byte offset `scostamento` of `dati` (an offset
// past the end gives the place just after the last byte).
riga_colonna trova_riga_colonna(std::string_view dati, size_t scostamento);

// The starts of the lines of one text, found in one pass, so that each
// place is then found without reading the text again.
class tavola_righe {
 public:
  tavola_righe() = default;
  explicit tavola_righe(std::string_view dati);
  // The same as trova_riga_colonna on the text the table was built from.
  riga_colonna trova(size_t scostamento) const;
  // The offset of the start of the line that holds byte `scostamento`.
  size_t inizio(size_t scostamento) const;

 private:
  size_t dimensione_ = 0;
  std::vector<size_t> inizi_{0};  // ascending; the first line starts at 0
};

// A field as it may be quoted in a message: whole when it is at most
// `massimo` bytes, else its first `massimo` bytes, an ellipsis (byte 0x85,
// Windows-1252) and its length, so that no message echoes a huge field.
std::string accorcia(std::string_view campo, size_t massimo = 60);

// A count with a comma between thousands: 99,900.
std::string in_migliaia(size_t n);

}  // namespace piattaforma
