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

// Bytes that entry v of planimetria takes in the packed line file; throws
// std::invalid_argument for a type the file cannot hold.
size_t byte_variante(const variante& v) {
  const size_t n = formato::byte_variante(v.tipo);
  if (n == 0) throw std::invalid_argument("plan entry of unknown type " + std::to_string(v.tipo));
  return n;
}

// Appends entry v of planimetria: its type code, then its value in the
// type's width (an integer keeps its low 16 bits). Requires a type that
// byte_variante accepts and an integer entry within the 32-bit range.
void metti_variante(std::string& uscita, const variante& v) {
  metti_fisso16(uscita, v.tipo);
  if (v.tipo == variante::intero)
    metti_fisso16(uscita, static_cast<uint16_t>(arrotonda(v.valore)));
  else if (v.tipo == variante::doppio)
    metti_doppio(uscita, v.valore);
}

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

std::string pacchetto_linea(const modello& m) {
  size_t totale = 0;
  for (const auto& colonna : m.planimetria)
    for (const variante& v : colonna) totale += byte_variante(v);
  std::string uscita;
  uscita.reserve(totale);
  for (const auto& colonna : m.planimetria)
    for (const variante& v : colonna) metti_variante(uscita, v);
  return uscita;
}

std::string pacchetto_voci(const modello& m) {
  size_t totale = 0;
  for (const voce& v : m.voci) totale += byte_voce + v.nome.size();
  std::string uscita;
  uscita.reserve(totale);
  for (const voce& v : m.voci) {
    metti_fisso8(uscita, v.tipo);
    metti_fisso32(uscita, static_cast<uint32_t>(v.inizio));
    metti_fisso32(uscita, static_cast<uint32_t>(v.fine));
    metti_fisso32(uscita, static_cast<uint32_t>(v.posizione));
    metti_fisso8(uscita, v.opzione1);
    metti_testo(uscita, v.nome);
    metti_fisso16(uscita, static_cast<uint16_t>(v.dato1));
    metti_fisso16(uscita, static_cast<uint16_t>(v.dato2));
    metti_fisso16(uscita, static_cast<uint16_t>(v.dato3));
    metti_fisso16(uscita, static_cast<uint16_t>(v.dato4));
    metti_fisso16(uscita, static_cast<uint16_t>(v.dato5));
    metti_fisso8(uscita, v.opzione2);
    metti_fisso8(uscita, v.opzione3);
    metti_fisso8(uscita, v.opzione4);
    metti_fisso8(uscita, v.opzione5);
    metti_fisso32(uscita, static_cast<uint32_t>(v.orario));
  }
  return uscita;
}

std::string pacchetto_celle(const modello& m) {
  std::string uscita;
  uscita.reserve(byte_cella * m.celle.size());
  for (const cella& c : m.celle) {
    metti_fisso8(uscita, c.tipo);
    metti_fisso16(uscita, static_cast<uint16_t>(c.valore1));
    metti_fisso16(uscita, static_cast<uint16_t>(c.valore2));
    metti_fisso16(uscita, static_cast<uint16_t>(c.valore3));
    metti_fisso16(uscita, static_cast<uint16_t>(c.valore4));
    metti_fisso8(uscita, c.tempo);
    metti_fisso8(uscita, c.preavviso);
    metti_fisso8(uscita, c.montagna);
    metti_fisso8(uscita, c.velocita);
    metti_fisso8(uscita, c.pendenza);
    metti_fisso8(uscita, c.aderenza);
  }
  return uscita;
}

}  // namespace scenario
