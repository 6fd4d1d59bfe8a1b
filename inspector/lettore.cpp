#include "inspector/lettore.h"

#include "packer/codifica.h"
#include "packer/formato.h"

#include <utility>

namespace ispettore {
namespace {

using scenario::formato::byte_cella;
using scenario::formato::byte_voce;
namespace campo_voce = scenario::formato::campo_voce;

// Reads fixed-width little-endian fields from a byte string, one after the
// other, and says where it ran short.
class Cursore {
 public:
  Cursore(std::string_view byte, size_t inizio) : byte_(byte), pos_(inizio) {}

  size_t posizione() const { return pos_; }
  size_t restanti() const { return byte_.size() - pos_; }

  // The next field, little-endian. Requires its bytes left.
  uint8_t u8() { return static_cast<uint8_t>(byte_[pos_++]); }
  uint16_t u16() { return avanza(2, scenario::leggi_fisso16(byte_, pos_)); }
  int16_t s16() { return static_cast<int16_t>(u16()); }
  int32_t s32() { return static_cast<int32_t>(avanza(4, scenario::leggi_fisso32(byte_, pos_))); }
  double doppio() { return avanza(8, scenario::leggi_doppio(byte_, pos_)); }

  // The next n bytes as text. Requires n bytes left.
  std::string testo(size_t n) {
    std::string t(byte_.substr(pos_, n));
    pos_ += n;
    return t;
  }

 private:
  // Moves past a field of n bytes and returns its value.
  template <typename T>
  T avanza(size_t n, T valore) {
    pos_ += n;
    return valore;
  }

  std::string_view byte_;
  size_t pos_;
};

}  // namespace

ErroreFormato::ErroreFormato(size_t offset, std::string dove, std::string motivo)
    : std::runtime_error("byte " + std::to_string(offset) + " (" + dove + "): " + motivo),
      offset_(offset),
      dove_(std::move(dove)),
      motivo_(std::move(motivo)) {}

voci_lette leggi_voci(std::string_view byte) {
  voci_lette letto;
  Cursore c(byte, 0);
  for (int i = 0; i < scenario::righe_voci; ++i) {
    const size_t inizio = c.posizione();
    const std::string dove = "record " + std::to_string(i);
    // The fixed part before the name, then the name, then the rest.
    if (c.restanti() < campo_voce::nome + 2)
      throw ErroreFormato(inizio, dove,
                          "the file ends inside the record: " + std::to_string(c.restanti()) +
                              " bytes left, a record takes at least " +
                              std::to_string(byte_voce));
    scenario::voce& v = letto.voci[static_cast<size_t>(i)];
    letto.inizio[static_cast<size_t>(i)] = inizio;
    v.tipo = c.u8();
    v.inizio = c.s32();
    v.fine = c.s32();
    v.posizione = c.s32();
    v.opzione1 = c.u8();
    const size_t n = c.u16();
    if (c.restanti() < n + (byte_voce - campo_voce::nome - 2))
      throw ErroreFormato(inizio, dove,
                          "the file ends inside the record: its name is " + std::to_string(n) +
                              " bytes long, so it takes " + std::to_string(byte_voce + n) +
                              " bytes, but only " + std::to_string(byte.size() - inizio) +
                              " are left");
    v.nome = c.testo(n);
    v.dato1 = c.s16();
    v.dato2 = c.s16();
    v.dato3 = c.s16();
    v.dato4 = c.s16();
    v.dato5 = c.s16();
    v.opzione2 = c.u8();
    v.opzione3 = c.u8();
    v.opzione4 = c.u8();
    v.opzione5 = c.u8();
    v.orario = c.s32();
  }
  letto.byte_usati = c.posizione();
  return letto;
}

celle_lette leggi_celle(std::string_view byte) {
  celle_lette letto;
  const size_t n = byte.size() / byte_cella;
  letto.celle.resize(n);
  Cursore c(byte, 0);
  for (scenario::cella& k : letto.celle) {
    k.tipo = c.u8();
    k.valore1 = c.s16();
    k.valore2 = c.s16();
    k.valore3 = c.s16();
    k.valore4 = c.s16();
    k.tempo = c.u8();
    k.preavviso = c.u8();
    k.montagna = c.u8();
    k.velocita = c.u8();
    k.pendenza = c.u8();
    k.aderenza = c.u8();
  }
  letto.byte_avanzati = c.restanti();
  return letto;
}

std::vector<scenario::variante> leggi_piano(std::string_view byte) {
  std::vector<scenario::variante> voci;
  // A sound file holds mostly doubles: reserve for that.
  voci.reserve(byte.size() / 10 + 8);
  Cursore c(byte, 0);
  while (c.restanti() > 0) {
    const size_t inizio = c.posizione();
    const std::string dove = "entry " + std::to_string(voci.size());
    if (c.restanti() < 2)
      throw ErroreFormato(inizio, dove, "the file ends inside a type code");
    scenario::variante v;
    v.tipo = c.u16();
    const size_t n = scenario::formato::byte_variante(v.tipo);
    if (n == 0)
      throw ErroreFormato(inizio, dove,
                          "type code " + std::to_string(v.tipo) +
                              " is none of 0 (empty), 2 (integer) and 5 (double)");
    if (c.restanti() < n - 2)
      throw ErroreFormato(inizio, dove,
                          "the file ends inside the value of a type " + std::to_string(v.tipo) +
                              " entry");
    if (v.tipo == scenario::variante::intero)
      v.valore = c.s16();
    else if (v.tipo == scenario::variante::doppio)
      v.valore = c.doppio();
    voci.push_back(v);
  }
  return voci;
}

}  // namespace ispettore
