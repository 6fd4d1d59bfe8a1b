#include "documents/corsa.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "platform/windows1252.h"

namespace documenti {
namespace {

using scenario::modello;
using scenario::voce;

// The cell that holds chainage x (cell k covers 50 k to 50 k + 50); -1
// before cell 0.
int64_t cella_di(int64_t x) { return x >= 0 ? x / 50 : -1; }

// The train number: the last run of digits in the designation, or the
// whole designation when it holds none.
std::string numero_di(const std::string& treno) {
  const size_t fine = treno.find_last_of("0123456789");
  if (fine == std::string::npos) return treno;
  const size_t inizio = treno.find_last_not_of("0123456789", fine);
  return treno.substr(inizio == std::string::npos ? 0 : inizio + 1,
                      fine - (inizio == std::string::npos ? 0 : inizio + 1) + 1);
}

stazione_corsa stazione_di(const voce& v, int riga, bool prima, bool ultima) {
  stazione_corsa s;
  s.riga = riga;
  s.nome = stampabile(v.nome);
  s.progressiva = v.posizione;
  s.inizio = v.inizio;
  s.fine = v.fine;
  s.sosta = v.opzione3;
  // A time of 0 (0, 0, 0 in the source) is no time at all.
  const std::optional<int32_t> orario =
      v.orario != 0 ? std::optional<int32_t>(v.orario) : std::nullopt;
  if (prima) {
    s.genere = genere_fermata::origine;
    s.partenza = orario;
  } else if (ultima) {
    s.genere = genere_fermata::termine;
    s.arrivo = orario;
  } else if (v.opzione3 == 0) {
    s.genere = genere_fermata::transito;
    s.passaggio = orario;
  } else if (v.opzione3 == sosta_lunga) {
    s.genere = genere_fermata::lunga;
    s.partenza = orario;
  } else {
    s.genere = genere_fermata::fermata;
    s.partenza = orario;
    if (orario) s.arrivo = *orario - v.opzione3;
  }
  s.senza_protezione = v.tipo >= scenario::classe_senza_fermata && !prima && !ultima && v.opzione3 > 0;
  return s;
}

// The speed held in cell k, km/h; 0 outside the cells.
int velocita_cella(const modello& m, int64_t k) {
  if (k < 0 || k >= static_cast<int64_t>(m.celle.size())) return 0;
  return m.celle[static_cast<size_t>(k)].velocita * 5;
}

}  // namespace

corsa corsa_di(const modello& m) {
  corsa c;
  c.linea = stampabile(cp(m.linea));
  c.treno = stampabile(cp(m.treno));
  c.numero = numero_di(c.treno);
  const voce& treno = m.voci[scenario::riga_treno];
  const voce& codici = m.voci[scenario::riga_codici];
  c.lunghezza = treno.fine;
  c.percentuale = treno.inizio;
  c.vetture = treno.posizione;
  c.zone = scenario::zone_km(m);
  c.sistema_codici = codici.posizione;
  c.tratto_codici = {codici.inizio, codici.fine};
  c.rallentamenti = m.rallentamenti;

  const int ultima = scenario::righe_della_tabella(m).ultima_stazione;
  for (int r = scenario::riga_prima_stazione; r <= ultima; ++r)
    c.stazioni.push_back(stazione_di(m.voci[static_cast<size_t>(r)], r,
                                     r == scenario::riga_prima_stazione, r == ultima && r > 1));

  for (size_t k = 0; k < m.celle.size(); ++k) {
    const auto& z = m.celle[k];
    const int32_t x = static_cast<int32_t>(k) * 50;
    if (z.tipo == scenario::tipo_cella::codice) c.punti_codice.push_back({x, z.valore1});
    if (z.tipo == scenario::tipo_cella::rimozione_codice) c.punti_codice.push_back({x, 0});
  }

  if (c.stazioni.empty()) return c;
  const int32_t origine = c.stazioni.front().progressiva;
  const int32_t termine = c.stazioni.back().progressiva;

  c.limiti.push_back({origine, velocita_cella(m, cella_di(origine))});
  for (int64_t k = cella_di(origine) + 1; k <= cella_di(termine) - 1; ++k)
    if (velocita_cella(m, k) != velocita_cella(m, k - 1))
      c.limiti.push_back({static_cast<int32_t>(k * 50), velocita_cella(m, k)});

  std::set<int32_t> inizi;
  for (const auto& z : c.zone)
    if (z.inizio > origine && z.inizio <= termine) inizi.insert(z.inizio);
  for (const int32_t x : inizi) {
    const scenario::zona_km* prima = scenario::zona_in_vigore(c.zone, int64_t{x} - 1);
    const scenario::zona_km* dopo = scenario::zona_in_vigore(c.zone, x);
    if (prima == nullptr || dopo == nullptr) continue;
    const int64_t l1 = scenario::lettura_zona(*prima, int64_t{x});
    const int64_t l2 = scenario::lettura_zona(*dopo, int64_t{x});
    if (l1 != l2) c.cambi_zona.push_back({x, l1, l2});
  }
  return c;
}

int64_t lettura(const corsa& c, int64_t x) { return scenario::lettura_km(c.zone, x).value_or(x); }

int velocita_a(const corsa& c, int32_t x) {
  int v = 0;
  for (const limite& l : c.limiti)
    if (l.progressiva <= x) v = l.velocita;
  return v;
}

bool codificato(const corsa& c, int32_t x) {
  if (c.sistema_codici == 0 || x < c.tratto_codici.da || x > c.tratto_codici.a) return false;
  const punto_codice* ultimo = nullptr;
  for (const punto_codice& p : c.punti_codice)
    if (p.progressiva <= x) ultimo = &p;
  return ultimo == nullptr || ultimo->codice > 0;
}

std::string ora(int32_t secondi) {
  const int64_t s = ((int64_t{secondi} % 86400) + 86400) % 86400;
  char t[16];
  std::snprintf(t, sizeof t, "%02d.%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60));
  return std::string(t) + (s % 60 >= 30 ? ".+" : "");
}

std::string stampabile(std::string_view testo) {
  std::string t(testo);
  for (char& ch : t) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 32 || b == 127 || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) ch = '?';
  }
  return t;
}

std::string maiuscolo(std::string_view testo) {
  std::string t(testo);
  for (char& ch : t) {
    const auto b = static_cast<unsigned char>(ch);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
      ch = static_cast<char>(b - 0x20);
  }
  return t;
}

std::string cp(std::string_view utf8) { return piattaforma::in_windows1252_o_punto(utf8); }

}  // namespace documenti
