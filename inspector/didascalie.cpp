#include "inspector/didascalie.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "packer/campi.h"

namespace ispettore {
namespace {

namespace tipo_cella = scenario::tipo_cella;

namespace campo = scenario::campi::campo;

// The value of the field `nome` among the feature's values; 0 when it has none.
int32_t valore(const elemento& e, std::string_view nome) {
  const auto it = std::find_if(e.valori.begin(), e.valori.end(),
                               [&](const auto& v) { return v.first == nome; });
  return it == e.valori.end() ? 0 : it->second;
}

// The field `nome` and its value: "timing 255".
std::string campo_e_valore(const elemento& e, std::string_view nome) {
  return std::string(nome) + " " + std::to_string(valore(e, nome));
}

// One side of a signal: "left-hand signal code 2, values 4 0 0", or that
// the side has none.
std::string lato(const elemento& e, const char* nome, std::string_view codice,
                 const std::array<std::string_view, 3>& valori) {
  const int32_t genere = valore(e, codice);
  const int32_t a1 = valore(e, valori[0]), a2 = valore(e, valori[1]), a3 = valore(e, valori[2]);
  if (genere == 0 && a1 == 0 && a2 == 0 && a3 == 0) return std::string("no ") + nome + " signal";
  return std::string(nome) + " signal code " + std::to_string(genere) + ", values " +
         std::to_string(a1) + " " + std::to_string(a2) + " " + std::to_string(a3);
}

// The speeds of one category of indicator boards, left/right: "a 60/100".
std::string categoria(const elemento& e, char c, std::string_view sinistra, std::string_view destra) {
  return std::string(1, c) + " " + std::to_string(valore(e, sinistra)) + "/" +
         std::to_string(valore(e, destra));
}

// The speed of a slowdown, with its cells_value when it has one.
std::string velocita_rallentamento(const elemento& e) {
  std::string t = std::to_string(valore(e, campo::velocita)) + " km/h";
  if (valore(e, campo::valore_celle) != 0) t += ", " + campo_e_valore(e, campo::valore_celle);
  return t;
}

}  // namespace

std::string dove_sta(const resoconto& r, int64_t progressiva) {
  std::string t = "chainage " + std::to_string(progressiva) + " m";
  if (const auto l = lettura_km(r.zone, progressiva)) t += ", km " + formato_km(*l);
  return t;
}

namespace {

// A feature cell's title without its source line.
std::string descrizione(const resoconto& r, const elemento& e) {
  std::string testa = e.genere;
  if (!testa.empty()) testa[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(testa[0])));
  if (!e.record.empty()) testa += " (" + std::string(e.record) + ")";
  testa += ", " + dove_sta(r, e.progressiva) + " (cell " + std::to_string(e.cella) + "): ";
  switch (e.tipo) {
    case tipo_cella::segnale:
      return testa +
             lato(e, "left-hand", campo::codice_sx,
                  {campo::valore_sx_1, campo::valore_sx_2, campo::valore_sx_3}) +
             "; " +
             lato(e, "right-hand", campo::codice_dx,
                  {campo::valore_dx_1, campo::valore_dx_2, campo::valore_dx_3}) +
             "; " + campo_e_valore(e, campo::ripetizione) + ", " + campo_e_valore(e, campo::tempo);
    case tipo_cella::inizio_rallentamento:
    case tipo_cella::fine_rallentamento:
      return testa + velocita_rallentamento(e) + ", " + campo_e_valore(e, campo::valore_estremi);
    case tipo_cella::avviso_rallentamento:
      return testa + velocita_rallentamento(e);
    case tipo_cella::prima_avviso:
      return testa + e.parte + " before the warning board";
    case tipo_cella::indicatori_v_max:
      return testa + "speeds " + categoria(e, 'a', campo::velocita_sx_a, campo::velocita_dx_a) +
             ", " + categoria(e, 'b', campo::velocita_sx_b, campo::velocita_dx_b) + ", " +
             categoria(e, 'c', campo::velocita_sx_c, campo::velocita_dx_c) +
             " km/h (left/right); stripes " + std::to_string(valore(e, campo::strisce_sx)) + " and " +
             std::to_string(valore(e, campo::strisce_dx));
    case tipo_cella::fermata:
      return testa + "stop of " + e.testo + " (row " + std::to_string(e.riga.value_or(0)) + ")";
    case tipo_cella::codice:
      return testa + "code " + std::to_string(valore(e, campo::codice)) + " from here on";
    case tipo_cella::rimozione_codice:
      return testa + "no code from here on";
    case tipo_cella::cartello_indicatore:
      return testa + "\"" + e.testo + "\" (row " + std::to_string(e.riga.value_or(0)) + ")";
    default: {
      std::string t = testa;
      for (const auto& [nome, v] : e.valori) t += nome + " " + std::to_string(v) + " ";
      if (!t.empty() && t.back() == ' ') t.pop_back();
      return t;
    }
  }
}

}  // namespace

std::string didascalia(const resoconto& r, const elemento& e) {
  return descrizione(r, e) + da_sorgente(r.sorgenti.celle, e.cella);
}

std::string didascalia_velocita(const resoconto& r, int32_t kmh, int64_t da, int64_t a) {
  return "Speed limit " + std::to_string(kmh) + " km/h from " + dove_sta(r, da) + " to " +
         dove_sta(r, a);
}

}  // namespace ispettore
