#include "inspector/lettore.h"

#include "packer/codifica.h"
#include "packer/formato.h"

#include <algorithm>
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

celle_lette leggi_celle(std::string_view byte, size_t massimo_celle) {
  celle_lette letto;
  const size_t n = std::min(byte.size() / byte_cella, massimo_celle);
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

std::vector<scenario::variante> leggi_piano(std::string_view byte, size_t massimo_voci) {
  std::vector<scenario::variante> voci;
  // A sound file holds mostly doubles: reserve for that.
  voci.reserve(std::min(byte.size() / 10 + 8, massimo_voci));
  Cursore c(byte, 0);
  while (c.restanti() > 0 && voci.size() < massimo_voci) {
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

std::optional<int32_t> lunghezza_dichiarata(const std::array<scenario::voce, scenario::righe_voci>& voci) {
  const int32_t l = voci[scenario::riga_treno].fine;
  if (l < 0 || l > scenario::lunghezza_massima) return std::nullopt;
  return l;
}

std::optional<int32_t> lunghezza_dichiarata(std::string_view byte_voci) {
  try {
    return lunghezza_dichiarata(leggi_voci(byte_voci).voci);
  } catch (const ErroreFormato&) {
    return std::nullopt;
  }
}

uint64_t byte_celle_attesi(int32_t lunghezza) {
  return byte_cella * (static_cast<uint64_t>(scenario::ultima_cella(lunghezza)) + 1);
}

uint64_t byte_linea_attesi(int32_t lunghezza) {
  return static_cast<uint64_t>(
      scenario::formato::byte_pacchetto_linea(int64_t{lunghezza} + scenario::estensione));
}

size_t da_leggere_celle(std::optional<int32_t> lunghezza) {
  return static_cast<size_t>(byte_celle_attesi(lunghezza.value_or(scenario::lunghezza_massima))) + 1;
}

uint64_t byte_linea_massimi(int32_t lunghezza) {
  const uint64_t per_colonna = static_cast<uint64_t>(int64_t{lunghezza} + scenario::estensione) + 1;
  return 2 * per_colonna * scenario::byte_variante(scenario::variante::doppio);
}

size_t da_leggere_linea(std::optional<int32_t> lunghezza) {
  return static_cast<size_t>(byte_linea_massimi(lunghezza.value_or(scenario::lunghezza_massima))) + 1;
}

}  // namespace ispettore
