#include "inspector/elenco.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string_view>

#include "inspector/verifiche.h"
#include "packer/campi.h"
#include "packer/passo_codici.h"
#include "platform/windows1252.h"

namespace ispettore {
namespace {

using scenario::cella;
using scenario::voce;
namespace tipo_cella = scenario::tipo_cella;

// True for the cell kinds the loader places one cell after their chainage.
bool spostato_di_una(uint8_t tipo) {
  switch (tipo) {
    case tipo_cella::segnale:
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento:
    case tipo_cella::avviso_rallentamento:
    case tipo_cella::indicatori_v_max:
    case tipo_cella::cartello_indicatore:
      return true;
    default:
      return false;
  }
}

// The text of row `riga` of the item table as UTF-8, or "" outside it.
std::string nome_riga(const scenario::modello& m, int32_t riga) {
  if (riga < 0 || riga >= scenario::righe_voci) return "";
  return piattaforma::da_windows1252(m.voci[static_cast<size_t>(riga)].nome);
}

namespace campo = scenario::campi::campo;

// A combined speed of the indicator boards: 100 x (left speed / 5) + right
// speed / 5; the left one, then the right one, in km/h.
std::pair<int32_t, int32_t> velocita_indicatori(int32_t v) { return {v / 100 * 5, v % 100 * 5}; }

// The feature of cell `i`, its values decoded into the fields of the record
// that gave it, in the order they stand on its line; nothing for free cells
// and mountain markers.
// `del_passo`: the cab-code pass set the cell's code (a code cell only).
std::optional<elemento> elemento_di(const scenario::modello& m, int32_t i, bool del_passo) {
  namespace record = scenario::campi;
  const cella& c = m.celle[static_cast<size_t>(i)];
  if (c.tipo == tipo_cella::libera || c.tipo == tipo_cella::segno_montagna) return std::nullopt;
  elemento e;
  e.cella = i;
  e.tipo = c.tipo;
  e.progressiva = 50 * int64_t{spostato_di_una(c.tipo) ? i - 1 : i};
  auto campo_di = [&](std::string_view nome, int32_t v) { e.valori.push_back({std::string(nome), v}); };
  switch (c.tipo) {
    case tipo_cella::segnale: {
      // valore1..3 = left value n * 10 + right value n,
      // valore4 = repeat flag * 10 + left code * 3 + right code.
      e.genere = "signal";
      e.record = record::segnale.nome;
      const int32_t lati = c.valore4 % 10;
      campo_di(campo::codice_sx, lati / 3);
      campo_di(campo::valore_sx_1, c.valore1 / 10);
      campo_di(campo::valore_sx_2, c.valore2 / 10);
      campo_di(campo::valore_sx_3, c.valore3 / 10);
      campo_di(campo::ripetizione, c.valore4 / 10);
      campo_di(campo::codice_dx, lati % 3);
      campo_di(campo::valore_dx_1, c.valore1 % 10);
      campo_di(campo::valore_dx_2, c.valore2 % 10);
      campo_di(campo::valore_dx_3, c.valore3 % 10);
      campo_di(campo::tempo, c.tempo);
      break;
    }
    case tipo_cella::fine_rallentamento:
    case tipo_cella::inizio_rallentamento: {
      const bool inizio = c.tipo == tipo_cella::inizio_rallentamento;
      e.genere = inizio ? "slowdown start" : "slowdown end";
      e.record = record::rallentamento.nome;
      e.parte = inizio ? "start" : "end";
      campo_di(campo::velocita, c.valore1);
      campo_di(campo::valore_estremi, c.valore3);
      campo_di(campo::valore_celle, c.valore2);
      break;
    }
    case tipo_cella::avviso_rallentamento:
      e.genere = "slowdown warning board";
      e.record = record::rallentamento.nome;
      e.parte = "warning board";
      campo_di(campo::velocita, c.valore1);
      campo_di(campo::valore_celle, c.valore2);
      break;
    case tipo_cella::prima_avviso:
      e.genere = "before warning board";
      e.record = record::rallentamento.nome;
      e.parte = "marker " + std::to_string(c.valore1);
      break;
    case tipo_cella::indicatori_v_max: {
      e.genere = "speed indicator boards";
      e.record = record::indicatori_v_max.nome;
      const auto [sa, da] = velocita_indicatori(c.valore1);
      const auto [sb, db] = velocita_indicatori(c.valore2);
      const auto [sc, dc] = velocita_indicatori(c.valore3);
      campo_di(campo::velocita_sx_a, sa);
      campo_di(campo::velocita_sx_b, sb);
      campo_di(campo::velocita_sx_c, sc);
      campo_di(campo::strisce_sx, c.valore4 / 10);
      campo_di(campo::velocita_dx_a, da);
      campo_di(campo::velocita_dx_b, db);
      campo_di(campo::velocita_dx_c, dc);
      campo_di(campo::strisce_dx, c.valore4 % 10);
      break;
    }
    case tipo_cella::fermata:
      e.genere = "stop";
      e.record = record::stazione.nome;
      e.parte = "stop cell";
      e.riga = c.valore1;
      e.testo = nome_riga(m, c.valore1);
      break;
    case tipo_cella::codice:
      // A code the pass set has no source line: no record.
      e.genere = del_passo ? "cab code of the cab-code pass" : "cab code";
      if (!del_passo) e.record = record::abbattimento.nome;
      campo_di(campo::codice, c.valore1);
      break;
    case tipo_cella::rimozione_codice:
      e.genere = "cab code removal";
      e.record = record::abbattimento.nome;
      e.parte = "code 0 or less";
      break;
    case tipo_cella::cartello_indicatore:
      e.genere = "direction board";
      e.record = record::cartello_indicatore.nome;
      e.riga = c.valore1;
      e.testo = nome_riga(m, c.valore1);
      break;
    default:
      // No record gives it: the packed fields by their own names.
      e.genere = "unknown type " + std::to_string(c.tipo);
      e.valori = {{"valore1", c.valore1}, {"valore2", c.valore2}, {"valore3", c.valore3},
                  {"valore4", c.valore4}, {"tempo", c.tempo}};
      break;
  }
  return e;
}

// The feature of cell `i` with its kilometre reading.
std::optional<elemento> elemento_letto(const resoconto& r, const scenario::modello& m, int32_t i) {
  const bool del_passo =
      std::binary_search(r.codici_del_passo.begin(), r.codici_del_passo.end(), i);
  auto e = elemento_di(m, i, del_passo);
  if (e) e->lettura = lettura_km(r.zone, e->progressiva);
  return e;
}

// Calls f on each feature of the listing in line order: those composed in
// r, or, when `m` is given, each decoded from its cells as it comes, so
// that they are never all held at once.
template <class F>
void per_ogni_elemento(const resoconto& r, const scenario::modello* m, F f) {
  if (m == nullptr) {
    for (const elemento& e : r.elementi) f(e);
    return;
  }
  for (int32_t i = 0; i <= r.ultima_cella; ++i)
    if (const auto e = elemento_letto(r, *m, i)) f(*e);
}

// How many features per_ogni_elemento gives.
size_t quanti_elementi(const resoconto& r, const scenario::modello* m) {
  if (m == nullptr) return r.elementi.size();
  size_t n = 0;
  for (int32_t i = 0; i <= r.ultima_cella; ++i) {
    const uint8_t t = m->celle[static_cast<size_t>(i)].tipo;
    n += t != tipo_cella::libera && t != tipo_cella::segno_montagna;
  }
  return n;
}

// The points where a profile of the cells changes, from cell 0 on.
template <typename Campo>
std::vector<punto> profilo(const std::vector<cella>& celle, Campo campo) {
  std::vector<punto> punti;
  for (size_t i = 0; i < celle.size(); ++i) {
    const int32_t v = campo(celle[i]);
    if (punti.empty() || punti.back().valore != v) punti.push_back({static_cast<int32_t>(i), v});
  }
  return punti;
}

// The station rows, each with its stop cell.
void componi_stazioni(const scenario::modello& m, resoconto& r) {
  std::map<int32_t, int32_t> fermate;  // row -> stop cell
  for (size_t i = 0; i < m.celle.size(); ++i)
    if (m.celle[i].tipo == tipo_cella::fermata)
      fermate.emplace(m.celle[i].valore1, static_cast<int32_t>(i));
  const int ultima = righe_della_tabella(m).ultima_stazione;
  for (int k = scenario::riga_prima_stazione; k <= ultima; ++k) {
    const voce& v = m.voci[static_cast<size_t>(k)];
    stazione s;
    s.riga = k;
    s.nome = piattaforma::da_windows1252(v.nome);
    s.v = v;
    if (auto it = fermate.find(k); it != fermate.end()) s.cella_fermata = it->second;
    s.lettura = lettura_km(r.zone, v.posizione);
    r.stazioni.push_back(std::move(s));
  }
}

// Mountain zones: runs of cells with the same non-zero type.
void componi_montagne(const scenario::modello& m, resoconto& r) {
  for (size_t i = 0; i < m.celle.size(); ++i) {
    const cella& c = m.celle[i];
    const auto k = static_cast<int32_t>(i);
    if (c.montagna != 0) {
      if (r.montagne.empty() || r.montagne.back().ultima != k - 1 ||
          r.montagne.back().tipo != c.montagna)
        r.montagne.push_back({k, k, c.montagna, {}});
      r.montagne.back().ultima = k;
    }
    if (c.tipo == tipo_cella::segno_montagna) {
      if (c.montagna != 0)
        r.montagne.back().segni.push_back(k);
      else  // a marker outside every zone: a zone of type 0 of its own
        r.montagne.push_back({k, k, 0, {k}});
    }
  }
}

// Text written straight to a stream with +=, as it would be appended to a
// string: the listing is never held whole.
class Uscita {
 public:
  explicit Uscita(std::ostream& u) : u_(u) {}
  Uscita& operator+=(std::string_view t) {
    u_ << t;
    return *this;
  }
  Uscita& operator+=(char c) {
    u_ << c;
    return *this;
  }

 private:
  std::ostream& u_;
};

// Pads text to a width, on the left or on the right.
std::string a_destra(const std::string& t, size_t larghezza) {
  return t.size() >= larghezza ? t : std::string(larghezza - t.size(), ' ') + t;
}
std::string a_sinistra(const std::string& t, size_t larghezza) {
  return t.size() >= larghezza ? t : t + std::string(larghezza - t.size(), ' ');
}
std::string numero(int64_t n, size_t larghezza) { return a_destra(std::to_string(n), larghezza); }

// A reading for a table column: the kilometres, or "-" without a zone.
std::string colonna_km(const std::optional<int64_t>& lettura) {
  return a_destra(lettura ? formato_km(*lettura) : "-", 9);
}

// "name=value" pairs joined by blanks.
std::string coppie(const std::vector<std::pair<std::string, int32_t>>& valori) {
  std::string t;
  for (const auto& [nome, valore] : valori) {
    if (!t.empty()) t += ' ';
    t += nome + "=" + std::to_string(valore);
  }
  return t;
}

// How a zone turns chainage into a reading, in words.
std::string regola_zona(const zona_km& z) {
  const bool scende = z.direzione == scenario::zona_discendente;
  return std::string("reading = ") + std::to_string(z.riferimento) + (scende ? " - " : " + ") +
         "chainage";
}

// One profile as a table of change points.
void testo_profilo(Uscita& t, const resoconto& r, const char* titolo,
                   const std::vector<punto>& punti) {
  t += "\n" + std::string(titolo) + " (" + std::to_string(punti.size()) + " points)\n";
  t += "    cell  chainage         km  value\n";
  for (const punto& p : punti) {
    const int64_t x = 50 * static_cast<int64_t>(p.cella);
    t += "  " + numero(p.cella, 6) + "  " + numero(x, 8) + "  " + colonna_km(lettura_km(r.zone, x)) +
         "  " + numero(p.valore, 5);
    if (x > r.lunghezza) t += "  (beyond the route's end)";
    t += "\n";
  }
}

// One profile as JSON points, written into an open array. Each point is
// written member by member: a track file of changing values has a point
// for nearly every cell, and no object is built for one.
void json_profilo(ContenitoreJson& a, const resoconto& r, const std::vector<punto>& punti) {
  for (const punto& p : punti) {
    const int64_t x = 50 * static_cast<int64_t>(p.cella);
    const auto l = lettura_km(r.zone, x);
    a.elemento_aperto();
    ContenitoreJson o(a.uscita(), true, a.livello_interno());
    o.membro("cell", p.cella);
    o.membro("chainage_m", x);
    o.membro("reading_m", l ? nlohmann::ordered_json(*l) : nlohmann::ordered_json());
    o.membro("value", p.valore);
  }
}

// A reading as JSON: metres, or null.
nlohmann::ordered_json json_lettura(const std::optional<int64_t>& l) {
  return l ? nlohmann::ordered_json(*l) : nlohmann::ordered_json();
}

// The fields of a station record that its item row keeps, in the order
// they stand on its line: the options are fields 4 to 6, the groups 7 to 9
// and 10 to 12, the time 14 to 16.
struct campi_stazione {
  std::array<int32_t, 3> opzioni{};
  std::array<int32_t, 3> gruppo_1{};
  std::array<int32_t, 3> gruppo_2{};
  std::array<int64_t, 3> ora{};  // hours, minutes, seconds
  static constexpr std::array<std::string_view, 3> nomi_opzioni = {
      scenario::campi::campo::opzione_1, scenario::campi::campo::opzione_2,
      scenario::campi::campo::opzione_3};
  static constexpr std::array<std::string_view, 3> nomi_gruppo_1 = {
      scenario::campi::campo::gruppo_1_a, scenario::campi::campo::gruppo_1_b,
      scenario::campi::campo::gruppo_1_c};
  static constexpr std::array<std::string_view, 3> nomi_gruppo_2 = {
      scenario::campi::campo::gruppo_2_a, scenario::campi::campo::gruppo_2_b,
      scenario::campi::campo::gruppo_2_c};
};

// Where the loader put each station field in the item row.
campi_stazione campi_di(const voce& v) {
  campi_stazione f;
  f.opzioni = {v.opzione1, v.opzione5, v.opzione4};
  f.gruppo_1 = {v.dato1, v.dato2, v.opzione2};
  f.gruppo_2 = {v.dato3, v.dato4, v.dato5};
  const int64_t o = v.orario;
  f.ora = {o / 3600, o / 60 % 60, o % 60};
  return f;
}

// Three numbers as a source line writes a group: "4,1,0".
template <typename T>
std::string terna(const std::array<T, 3>& n) {
  return std::to_string(n[0]) + "," + std::to_string(n[1]) + "," + std::to_string(n[2]);
}

// The record a feature comes from and which of its cells it is:
// "rallentamento start"; the kind in words when no record gives it.
std::string nome_record(const elemento& e) {
  if (e.record.empty()) return e.genere;
  std::string t(e.record);
  if (!e.parte.empty()) t += " " + e.parte;
  return t;
}

}  // namespace

std::string formato_chilometri(double km) {
  const double metri = km * 1000;
  // Below 2^62: whole metres well inside int64_t.
  if (std::isfinite(metri) && std::fabs(metri) < 4.6e18) return formato_km(std::llround(metri));
  char t[32];
  std::snprintf(t, sizeof t, "%g", km);
  return t;
}

std::string formato_ora(int64_t secondi) {
  const long long s = std::llabs(secondi);
  char t[40];
  std::snprintf(t, sizeof t, "%s%02lld:%02lld:%02lld", secondi < 0 ? "-" : "", s / 3600, s / 60 % 60,
                s % 60);
  return t;
}

resoconto componi(const scenario::modello& m, bool con_elementi) {
  resoconto r;
  const voce& treno = m.voci[scenario::riga_treno];
  const voce& linea = m.voci[scenario::riga_linea];
  const voce& codici = m.voci[scenario::riga_codici];
  r.linea = piattaforma::da_windows1252(linea.nome);
  r.treno = piattaforma::da_windows1252(codici.nome);
  r.lunghezza = treno.fine;
  r.ultima_cella = scenario::limite_celle(m);
  r.zone = scenario::zone_km(m);
  r.sfondi = {linea.inizio, linea.posizione, linea.fine};
  r.codici_da = codici.inizio;
  r.codici_a = codici.fine;
  r.sistema_codici = codici.posizione;
  r.vetture = treno.posizione;
  r.massa_frenata = treno.inizio;
  r.sabbia = codici.dato1;
  r.orologio = {codici.dato3, codici.dato4, codici.dato5};
  r.timbro_voci = linea.dato1;
  r.codice_st = linea.orario;
  if (m.celle.size() > 1) {
    r.timbro_celle = m.celle[1].valore1;
    r.codice_og = m.celle[1].valore2;
  }
  componi_stazioni(m, r);
  r.codici_del_passo = scenario::celle_del_passo(m.celle);
  if (con_elementi)
    for (int32_t i = 0; i <= r.ultima_cella; ++i)
      if (auto e = elemento_letto(r, m, i)) r.elementi.push_back(std::move(*e));
  componi_montagne(m, r);
  r.velocita = profilo(m.celle, [](const cella& c) { return 5 * c.velocita; });
  r.pendenza = profilo(m.celle, [](const cella& c) { return c.pendenza - 100; });
  r.aderenza = profilo(m.celle, [](const cella& c) { return static_cast<int32_t>(c.aderenza); });
  return r;
}

std::string in_testo(const resoconto& r) {
  std::ostringstream u;
  scrivi_testo(u, r);
  return u.str();
}

void scrivi_testo(std::ostream& uscita, const resoconto& r, const scenario::modello* celle) {
  Uscita t(uscita);
  t += "Route \"" + testo_visibile(r.linea) + "\", train \"" + testo_visibile(r.treno) + "\"\n";
  // Each line is named by the record that gives it, its values by the
  // record's fields.
  namespace record = scenario::campi;
  namespace campo = scenario::campi::campo;
  auto testa = [&](std::string_view nome) { t += "  " + a_sinistra(std::string(nome), 27) + "  "; };
  t += "\nHeader\n";
  testa(record::lunghezza_percorso.nome);
  t += std::string(campo::lunghezza) + "=" + std::to_string(r.lunghezza) + " m; cells 0 to " +
       std::to_string(r.ultima_cella) + " (50 m each, reaching 7000 m beyond the end)\n";
  for (const zona_km& z : r.zone) {
    testa(record::progressiva_chilometrica.nome);
    t += std::string(campo::inizio) + "=" + std::to_string(z.inizio) + " " +
         std::string(campo::lettura) + "=" + std::to_string(z.riferimento) + " " +
         std::string(campo::direzione) + "=" + std::to_string(z.direzione) + ": from " +
         std::to_string(z.inizio) + " m, " + regola_zona(z) + " (row " + std::to_string(z.riga) +
         " stores " + std::to_string(z.inizio) + ", " + std::to_string(z.salvato) + ", " +
         std::to_string(z.direzione) + ")";
    if (auto l = lettura_km(r.zone, z.inizio)) t += "; km " + formato_km(*l) + " at its start";
    t += "\n";
  }
  testa(std::string(record::sfondo.nome) + " uno, due, tre");
  t += std::to_string(r.sfondi[0]) + ", " + std::to_string(r.sfondi[1]) + ", " +
       std::to_string(r.sfondi[2]) + "\n";
  testa(record::ripetizione_segnali.nome);
  if (r.sistema_codici == 0 && r.codici_a == 0) {
    t += "none\n";
  } else {
    t += std::string(campo::da) + "=" + std::to_string(r.codici_da) + " " + std::string(campo::a) +
         "=" + std::to_string(r.codici_a) + ": " + std::to_string(r.sistema_codici) + "-code system";
    auto da = lettura_km(r.zone, r.codici_da), a = lettura_km(r.zone, r.codici_a);
    if (da && a) t += " (km " + formato_km(*da) + " to km " + formato_km(*a) + ")";
    t += "\n";
  }
  testa(record::numero_vetture.nome);
  t += std::string(campo::conteggio) + "=" + std::to_string(r.vetture) + "\n";
  testa(record::massa_frenata.nome);
  t += std::string(campo::percento) + "=" + std::to_string(r.massa_frenata) + "\n";
  testa(record::sabbia.nome);
  t += std::string(campo::quantita) + "=" + std::to_string(r.sabbia) + "\n";
  testa(record::orologio.nome);
  t += std::string(campo::ore) + "=" + std::to_string(r.orologio[0]) + " " +
       std::string(campo::minuti) + "=" + std::to_string(r.orologio[1]) + " " +
       std::string(campo::secondi) + "=" + std::to_string(r.orologio[2]) + ": " +
       formato_ora(3600 * int64_t{r.orologio[0]} + 60 * r.orologio[1] + r.orologio[2]) + "\n";
  testa("header stamps");
  t += std::to_string(r.timbro_voci) + " (record 85), " + std::to_string(r.timbro_celle) +
       " (cell 1)\n";
  testa("identity codes");
  t += std::to_string(r.codice_st) + " (record 85), " +
       std::to_string(r.codice_og) + " (cell 1)\n";

  t += "\nStations (" + std::to_string(r.stazioni.size()) + ", stazione records)\n";
  t += "  row  chainage         km  class     area from..to  stop cell      time  stop"
       "  option_1,2,3  group_1_a,b,c  group_2_a,b,c  name\n";
  for (const stazione& s : r.stazioni) {
    const voce& v = s.v;
    const campi_stazione f = campi_di(v);
    std::string fermata = s.cella_fermata ? std::to_string(*s.cella_fermata) : "-";
    std::string ora = v.orario == 0 && v.opzione3 == 0 ? "-" : formato_ora(v.orario);
    t += "  " + numero(s.riga, 3) + "  " + numero(v.posizione, 8) + "  " + colonna_km(s.lettura) +
         "  " + numero(v.tipo, 5) + "  " + numero(v.inizio, 7) + ".." +
         a_sinistra(std::to_string(v.fine), 7) + "  " + a_destra(fermata, 9) + "  " +
         a_destra(ora, 8) + "  " + numero(v.opzione3, 4) + "  " +
         a_sinistra(terna(f.opzioni), 12) + "  " + a_sinistra(terna(f.gruppo_1), 13) + "  " +
         a_sinistra(terna(f.gruppo_2), 13) + "  " + testo_visibile(s.nome) + "\n";
  }

  t += "\nFeature cells (" + std::to_string(quanti_elementi(r, celle)) + ")\n";
  t += "    cell  chainage         km  record                         fields\n";
  per_ogni_elemento(r, celle, [&](const elemento& e) {
    std::string riga = "  " + numero(e.cella, 6) + "  " + numero(e.progressiva, 8) + "  " +
                       colonna_km(e.lettura) + "  " + a_sinistra(nome_record(e), 29) + "  " +
                       coppie(e.valori);
    std::string dopo;
    if (e.riga) dopo = "row " + std::to_string(*e.riga);
    if (!e.testo.empty()) dopo += (dopo.empty() ? "\"" : " \"") + testo_visibile(e.testo) + "\"";
    if (!dopo.empty()) riga += (e.valori.empty() ? "" : "  ") + dopo;
    riga.erase(riga.find_last_not_of(' ') + 1);
    t += riga + "\n";
  });

  t += "\nMountain zones (" + std::to_string(r.montagne.size()) + ")\n";
  for (const zona_montagna& z : r.montagne) {
    t += "  cells " + std::to_string(z.prima) + " to " + std::to_string(z.ultima) + " (" +
         std::to_string(50 * int64_t{z.prima}) + " to " + std::to_string(50 * (int64_t{z.ultima} + 1)) +
         " m), type " + std::to_string(z.tipo);
    if (!z.segni.empty()) {
      t += ", markers at cells";
      for (int32_t c : z.segni) {
        t += ' ';
        t += std::to_string(c);
      }
    }
    t += "\n";
  }

  testo_profilo(t, r, "Speed limit, km/h", r.velocita);
  testo_profilo(t, r, "Gradient, per mille", r.pendenza);
  testo_profilo(t, r, "Adhesion", r.aderenza);
}

nlohmann::ordered_json in_json(const resoconto& r) {
  std::ostringstream u;
  {
    ContenitoreJson documento(u, true);
    scrivi_json(documento, r);
  }
  return nlohmann::ordered_json::parse(u.str());
}

void scrivi_json(ContenitoreJson& documento, const resoconto& r, const scenario::modello* celle) {
  using json = nlohmann::ordered_json;
  std::ostream& u = documento.uscita();
  namespace record = scenario::campi;
  namespace campo = scenario::campi::campo;
  // The header: each member named by the record that gives it, holding
  // that record's fields by their names.
  json zone = json::array();
  for (const zona_km& z : r.zone)
    zone.push_back({{"row", z.riga},
                    {"fields",
                     {{campo::inizio, z.inizio}, {campo::lettura, z.riferimento}, {campo::direzione, z.direzione}}},
                    {"stored_reference", z.salvato},
                    {"reading_at_start_m", json_lettura(lettura_km(r.zone, z.inizio))}});
  documento.membro("route", r.linea);
  documento.membro("train", r.treno);
  const std::string sfondo(record::sfondo.nome);
  documento.membro(
      "header",
      {{record::lunghezza_percorso.nome, {{campo::lunghezza, r.lunghezza}}},
       {"last_cell", r.ultima_cella},
       {record::progressiva_chilometrica.nome, zone},
       {sfondo + " uno", {{campo::valore, r.sfondi[0]}}},
       {sfondo + " due", {{campo::valore, r.sfondi[1]}}},
       {sfondo + " tre", {{campo::valore, r.sfondi[2]}}},
       {record::ripetizione_segnali.nome,
        {{campo::da, r.codici_da}, {campo::a, r.codici_a}, {"system", r.sistema_codici}}},
       {record::numero_vetture.nome, {{campo::conteggio, r.vetture}}},
       {record::massa_frenata.nome, {{campo::percento, r.massa_frenata}}},
       {record::sabbia.nome, {{campo::quantita, r.sabbia}}},
       {record::orologio.nome,
        {{campo::ore, r.orologio[0]}, {campo::minuti, r.orologio[1]}, {campo::secondi, r.orologio[2]}}},
       {"header_stamps", {{"record_85", r.timbro_voci}, {"cell_1", r.timbro_celle}}},
       {"identity_codes", {{"record_85", r.codice_st}, {"cell_1", r.codice_og}}}});

  documento.membro_aperto("stations");
  {
    ContenitoreJson stazioni(u, false, documento.livello_interno());
    for (const stazione& s : r.stazioni) {
      const voce& v = s.v;
      const campi_stazione f = campi_di(v);
      json campi = json::object();
      campi[campo::classe] = v.tipo;
      for (size_t k = 0; k < 3; ++k) campi[f.nomi_opzioni[k]] = f.opzioni[k];
      for (size_t k = 0; k < 3; ++k) campi[f.nomi_gruppo_1[k]] = f.gruppo_1[k];
      for (size_t k = 0; k < 3; ++k) campi[f.nomi_gruppo_2[k]] = f.gruppo_2[k];
      campi[campo::sosta] = v.opzione3;
      campi[campo::ore] = f.ora[0];
      campi[campo::minuti] = f.ora[1];
      campi[campo::secondi] = f.ora[2];
      stazioni.elemento({{"row", s.riga},
                         {"record", record::stazione.nome},
                         {"name", s.nome},
                         {"chainage_m", v.posizione},
                         {"reading_m", json_lettura(s.lettura)},
                         {"area_m", {v.inizio, v.fine}},
                         {"stop_cell", s.cella_fermata ? json(*s.cella_fermata) : json()},
                         {"fields", campi}});
    }
  }

  documento.membro_aperto("features");
  {
    ContenitoreJson elementi(u, false, documento.livello_interno());
    // Each feature written member by member, in the order of its object.
    per_ogni_elemento(r, celle, [&](const elemento& e) {
      json valori = json::object();
      for (const auto& [nome, valore] : e.valori) valori[nome] = valore;
      elementi.elemento_aperto();
      ContenitoreJson j(u, true, elementi.livello_interno());
      j.membro("cell", e.cella);
      j.membro("chainage_m", e.progressiva);
      j.membro("reading_m", json_lettura(e.lettura));
      j.membro("record", e.record.empty() ? json() : json(e.record));
      if (!e.parte.empty()) j.membro("part", e.parte);
      if (e.record.empty()) j.membro("kind", e.genere);
      j.membro("fields", valori);
      if (e.riga) j.membro("row", *e.riga);
      if (!e.testo.empty()) j.membro("text", e.testo);
    });
  }

  documento.membro_aperto("mountain_zones");
  {
    ContenitoreJson montagne(u, false, documento.livello_interno());
    for (const zona_montagna& z : r.montagne)
      montagne.elemento({{"first_cell", z.prima},
                         {"last_cell", z.ultima},
                         {"from_m", 50 * int64_t{z.prima}},
                         {"to_m", 50 * (int64_t{z.ultima} + 1)},
                         {"type", z.tipo},
                         {"marker_cells", z.segni}});
  }

  documento.membro_aperto("profiles");
  ContenitoreJson profili(u, true, documento.livello_interno());
  for (const auto& [nome, punti] : {std::pair<const char*, const std::vector<punto>*>{"speed_kmh", &r.velocita},
                                    {"gradient_per_mille", &r.pendenza},
                                    {"adhesion", &r.aderenza}}) {
    profili.membro_aperto(nome);
    ContenitoreJson a(u, false, profili.livello_interno());
    json_profilo(a, r, *punti);
  }
}

}  // namespace ispettore
