#pragma once
// Whether a source text is in the code page the simulator reads
// (Windows-1252, one byte per character), and the conversion of a source
// saved as UTF-8.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace autore {

// What the bytes of a source say about its encoding.
struct esame_codifica {
  bool segno_utf8 = false;              // begins with the UTF-8 byte-order mark
  std::optional<size_t> primo_utf8;     // offset of the first multi-byte UTF-8 character,
                                        // when every byte above 127 forms one
  // Bytes no text holds: control characters other than tab, CR and LF,
  // and, unless the text is UTF-8, the bytes Windows-1252 leaves undefined.
  std::optional<size_t> primo_estraneo;  // offset of the first
  size_t estranei = 0;                   // how many
};

// Looks at every byte; requires nothing.
esame_codifica esamina_codifica(std::string_view byte);

// A UTF-8 source could not be converted.
class ErroreConversione : public std::runtime_error {
 public:
  ErroreConversione(const std::string& motivo, size_t dove)
      : std::runtime_error(motivo), scostamento(dove) {}
  size_t scostamento;  // byte offset of the character that failed
};

// Converts UTF-8 text (byte-order mark dropped) to Windows-1252. Line ends
// and every ASCII byte stay as they are. Throws ErroreConversione at the
// first byte sequence that is not UTF-8 or whose character Windows-1252
// lacks.
std::string da_utf8(std::string_view byte);

}  // namespace autore
