#include "authoring/codifica_sorgente.h"

#include "platform/windows1252.h"

namespace autore {
namespace {

constexpr std::string_view segno = "\xEF\xBB\xBF";

// Length of the well-formed UTF-8 sequence at i, or 0 when there is none.
size_t sequenza_utf8(std::string_view s, size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  size_t n = 0;
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) n = 2;
  else if (b >= 0xE0 && b <= 0xEF) n = 3;
  else if (b >= 0xF0 && b <= 0xF4) n = 4;
  else return 0;
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return n;
}

// The five bytes to which Windows-1252 gives no character.
bool indefinito(unsigned char b) { return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D; }

}  // namespace

esame_codifica esamina_codifica(std::string_view byte) {
  esame_codifica e;
  e.segno_utf8 = byte.substr(0, segno.size()) == segno;
  bool tutto_utf8 = true;
  std::optional<size_t> primo;
  for (size_t i = e.segno_utf8 ? segno.size() : 0; i < byte.size();) {
    const size_t n = sequenza_utf8(byte, i);
    if (n == 0) {
      tutto_utf8 = false;
      ++i;
      continue;
    }
    if (n > 1 && !primo) primo = i;
    i += n;
  }
  if (tutto_utf8) e.primo_utf8 = primo;
  for (size_t i = 0; i < byte.size(); ++i) {
    const auto b = static_cast<unsigned char>(byte[i]);
    const bool controllo = (b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F;
    if (!controllo && (e.primo_utf8 || !indefinito(b))) continue;
    if (!e.primo_estraneo) e.primo_estraneo = i;
    ++e.estranei;
  }
  return e;
}

std::string da_utf8(std::string_view byte) {
  size_t i = byte.substr(0, segno.size()) == segno ? segno.size() : 0;
  std::string testo;
  testo.reserve(byte.size());
  while (i < byte.size()) {
    const size_t n = sequenza_utf8(byte, i);
    if (n == 0) throw ErroreConversione("a byte that is not UTF-8", i);
    if (n == 1) {
      testo += byte[i];
    } else {
      auto carattere = piattaforma::in_windows1252(byte.substr(i, n));
      if (!carattere)
        throw ErroreConversione("a character that Windows-1252 has no byte for", i);
      testo += *carattere;
    }
    i += n;
  }
  return testo;
}

}  // namespace autore
