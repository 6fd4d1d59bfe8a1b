#include "platform/windows1252.h"

#include <cstdint>

namespace piattaforma {
namespace {

// Code points of bytes 0x80 to 0x9F; 0 where Windows-1252 defines nothing.
constexpr char32_t alti[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<unsigned char> byte_di(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (unsigned i = 0; i < 32; ++i)
    if (alti[i] != 0 && alti[i] == c) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

// Bytes of the UTF-8 sequence that byte b starts, by its leading bits: 1
// to 4, or 0 when b starts none (a continuation byte, or 0xF8 and above).
size_t lunghezza_sequenza(unsigned char b) {
  if (b < 0x80) return 1;
  if ((b & 0xE0) == 0xC0) return 2;
  if ((b & 0xF0) == 0xE0) return 3;
  if ((b & 0xF8) == 0xF0) return 4;
  return 0;
}

// Decodes one UTF-8 sequence at `i`, advancing it; nothing when malformed.
std::optional<char32_t> prossimo(std::string_view s, size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  const size_t n = lunghezza_sequenza(b);
  if (n == 0) return std::nullopt;
  if (n == 1) { ++i; return b; }
  const int seguono = static_cast<int>(n) - 1;
  char32_t c = b & (0x7Fu >> n);  // the payload bits of the first byte
  if (i + static_cast<size_t>(seguono) >= s.size()) return std::nullopt;
  for (int k = 1; k <= seguono; ++k) {
    auto t = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((t & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (t & 0x3Fu);
  }
  // Reject overlong forms and surrogates.
  if ((seguono == 1 && c < 0x80) || (seguono == 2 && c < 0x800) || (seguono == 3 && c < 0x10000) ||
      (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
    return std::nullopt;
  i += static_cast<size_t>(seguono) + 1;
  return c;
}

void aggiungi_utf8(std::string& s, char32_t c) {
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::optional<std::string> in_windows1252(std::string_view utf8, size_t* colonna) {
  std::string risultato;
  risultato.reserve(utf8.size());
  size_t i = 0;
  size_t carattere = 1;
  while (i < utf8.size()) {
    auto c = prossimo(utf8, i);
    std::optional<unsigned char> b = c ? byte_di(*c) : std::nullopt;
    if (!b) {
      if (colonna != nullptr) *colonna = carattere;
      return std::nullopt;
    }
    risultato += static_cast<char>(*b);
    ++carattere;
  }
  return risultato;
}

std::string in_windows1252_o_punto(std::string_view utf8) {
  if (auto intero = in_windows1252(utf8)) return *intero;
  std::string risultato;
  for (size_t i = 0; i < utf8.size();) {
    size_t n = lunghezza_sequenza(static_cast<unsigned char>(utf8[i]));
    if (n == 0 || i + n > utf8.size()) n = 1;
    auto carattere = in_windows1252(utf8.substr(i, n));
    risultato += carattere ? *carattere : std::string("?");
    i += n;
  }
  return risultato;
}

std::string da_windows1252(std::string_view byte) {
  std::string risultato;
  for (char ch : byte) {
    auto b = static_cast<unsigned char>(ch);
    char32_t c = b;
    if (b >= 0x80 && b < 0xA0) c = alti[b - 0x80] != 0 ? alti[b - 0x80] : 0xFFFD;
    aggiungi_utf8(risultato, c);
  }
  return risultato;
}

}  // namespace piattaforma
