#pragma once
// Conversion between the UTF-8 text held in the program and the single-byte
// Windows-1252 code page used by every file the builder writes.

#include <optional>
#include <string>
#include <string_view>

namespace piattaforma {

// Encodes UTF-8 text as Windows-1252, one byte per character. Returns
// nothing when the text is not valid UTF-8 or holds a character that
// Windows-1252 cannot represent; `colonna`, when given, then receives the
// 1-based character position of the first offending character.
std::optional<std::string> in_windows1252(std::string_view utf8, size_t* colonna = nullptr);

// Encodes UTF-8 text as Windows-1252 and never fails: every sequence that
// is malformed or has no Windows-1252 byte becomes "?", a malformed one
// taken as long as its first byte says (one byte when it says nothing, or
// when the text ends before).
std::string in_windows1252_o_punto(std::string_view utf8);

// Decodes Windows-1252 bytes to UTF-8 (the five undefined bytes map to
// U+FFFD), for messages.
std::string da_windows1252(std::string_view byte);

}  // namespace piattaforma
