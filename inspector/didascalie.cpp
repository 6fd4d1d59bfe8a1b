#include "inspector/didascalie.h"

#include <algorithm>
#include <cctype>

namespace ispettore {
namespace {

namespace tipo_cella = scenario::tipo_cella;

// The value called `nome` among the feature's values; 0 when it has none.
int32_t valore(const elemento& e, const std::string& nome) {
  const auto it = std::find_if(e.valori.begin(), e.valori.end(),
                               [&](const auto& v) { return v.first == nome; });
  return it == e.valori.end() ? 0 : it->second;
}

// One side of a signal: "left-hand signal type 2, aspects 4 0 0", or that
// the side has none.
std::string lato(const elemento& e, const char* nome, char c) {
  const int32_t genere = valore(e, std::string(1, c) + "x");
  const int32_t a1 = valore(e, std::string(1, c) + "1"), a2 = valore(e, std::string(1, c) + "2"),
                a3 = valore(e, std::string(1, c) + "3");
  if (genere == 0 && a1 == 0 && a2 == 0 && a3 == 0) return std::string("no ") + nome + " signal";
  return std::string(nome) + " signal type " + std::to_string(genere) + ", aspects " +
         std::to_string(a1) + " " + std::to_string(a2) + " " + std::to_string(a3);
}

// The speeds of one category of indicator boards: "a 60/100".
std::string categoria(const elemento& e, char c) {
  const std::string v = std::string("v") + c;
  return std::string(1, c) + " " + std::to_string(valore(e, v + "s")) + "/" +
         std::to_string(valore(e, v + "d"));
}

// The speed of a slowdown, with its d_v when it has one.
std::string velocita_rallentamento(const elemento& e) {
  std::string t = std::to_string(valore(e, "speed")) + " km/h";
  if (const int32_t d = valore(e, "d_v"); d != 0) t += ", d_v " + std::to_string(d);
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
  testa += ", " + dove_sta(r, e.progressiva) + " (cell " + std::to_string(e.cella) + "): ";
  switch (e.tipo) {
    case tipo_cella::segnale:
      return testa + lato(e, "left-hand", 's') + "; " + lato(e, "right-hand", 'd') + "; rapp " +
             std::to_string(valore(e, "rapp")) + ", tempo " + std::to_string(valore(e, "tempo"));
    case tipo_cella::inizio_rallentamento:
    case tipo_cella::fine_rallentamento:
      return testa + velocita_rallentamento(e) + ", f_tt " + std::to_string(valore(e, "f_tt"));
    case tipo_cella::avviso_rallentamento:
      return testa + velocita_rallentamento(e);
    case tipo_cella::prima_avviso:
      return testa + "cell " + std::to_string(valore(e, "n")) + " before the warning board";
    case tipo_cella::indicatori_v_max:
      return testa + "speeds " + categoria(e, 'a') + ", " + categoria(e, 'b') + ", " + categoria(e, 'c') +
             " km/h (s/d sides); stripes " + std::to_string(valore(e, "strisces")) + " and " +
             std::to_string(valore(e, "strisced"));
    case tipo_cella::fermata:
      return testa + "stop of " + e.testo + " (row " + std::to_string(valore(e, "row")) + ")";
    case tipo_cella::codice:
      return testa + "code " + std::to_string(valore(e, "code")) + " from here on";
    case tipo_cella::rimozione_codice:
      return testa + "no code from here on";
    case tipo_cella::cartello_indicatore:
      return testa + "\"" + e.testo + "\" (row " + std::to_string(valore(e, "row")) + ")";
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
