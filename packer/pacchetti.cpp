#include "packer/pacchetti.h"

#include <stdexcept>

#include "packer/formato.h"

namespace scenario {
namespace {

// The filler that follows the names in the identity string.
constexpr std::string_view riempitivo = "aabbccddeeffgghhiillmmnnoo";
// Characters of the identity string that count.
constexpr size_t lunghezza_gara = 25;

using formato::byte_cella;
using formato::byte_voce;

}  // namespace

unsigned char minuscola_1252(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
    return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: return 0x9A;  // S caron
    case 0x8C: return 0x9C;  // OE ligature
    case 0x8E: return 0x9E;  // Z caron
    case 0x9F: return 0xFF;  // Y diaeresis
    default: return c;
  }
}

std::string stringa_gara(const modello& m) {
  std::string s = m.voci[riga_codici].nome + m.voci[riga_linea].nome;
  s.append(riempitivo);
  s.resize(lunghezza_gara);
  for (char& c : s) c = static_cast<char>(minuscola_1252(static_cast<unsigned char>(c)));
  return s;
}

int32_t codice_gara_st(const modello& m) {
  const std::string s = stringa_gara(m);
  int32_t somma = 0;
  for (size_t p = 0; p < s.size(); ++p)
    somma += static_cast<int32_t>(p + 1) * static_cast<unsigned char>(s[p]);
  return somma;
}

int32_t codice_gara_og(const modello& m) {
  int32_t somma = 0;
  for (char c : stringa_gara(m)) somma += static_cast<unsigned char>(c);
  return somma;
}

std::string_view pacchetto_linea(const modello& m) { return m.planimetria.byte(); }

std::string pacchetto_voci(const modello& m) {
  size_t totale = 0;
  for (const voce& v : m.voci) {
    if (v.nome.size() > 0xFFFF) throw std::length_error("text field longer than 65535 bytes");
    totale += byte_voce + v.nome.size();
  }
  std::string uscita(totale, '\0');
  scrittore_byte s(uscita.data());
  for (const voce& v : m.voci) {
    s.fisso8(v.tipo);
    s.fisso32(static_cast<uint32_t>(v.inizio));
    s.fisso32(static_cast<uint32_t>(v.fine));
    s.fisso32(static_cast<uint32_t>(v.posizione));
    s.fisso8(v.opzione1);
    s.testo(v.nome);
    s.fisso16(static_cast<uint16_t>(v.dato1));
    s.fisso16(static_cast<uint16_t>(v.dato2));
    s.fisso16(static_cast<uint16_t>(v.dato3));
    s.fisso16(static_cast<uint16_t>(v.dato4));
    s.fisso16(static_cast<uint16_t>(v.dato5));
    s.fisso8(v.opzione2);
    s.fisso8(v.opzione3);
    s.fisso8(v.opzione4);
    s.fisso8(v.opzione5);
    s.fisso32(static_cast<uint32_t>(v.orario));
  }
  return uscita;
}

std::string pacchetto_celle(const modello& m) {
  std::string uscita(byte_cella * m.celle.size(), '\0');
  scrittore_byte s(uscita.data());
  for (const cella& c : m.celle) {
    s.fisso8(c.tipo);
    s.fisso16(static_cast<uint16_t>(c.valore1));
    s.fisso16(static_cast<uint16_t>(c.valore2));
    s.fisso16(static_cast<uint16_t>(c.valore3));
    s.fisso16(static_cast<uint16_t>(c.valore4));
    s.fisso8(c.tempo);
    s.fisso8(c.preavviso);
    s.fisso8(c.montagna);
    s.fisso8(c.velocita);
    s.fisso8(c.pendenza);
    s.fisso8(c.aderenza);
  }
  return uscita;
}

}  // namespace scenario
