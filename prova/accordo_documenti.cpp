#include "prova/accordo_documenti.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "model/identita.h"
#include "packer/impacchettatore.h"
#include "platform/windows1252.h"
#include "prova/disco_memoria.h"
#include "sources/scrittori.h"

namespace prova {
namespace {

// ---------------------------------------------------------------------------
// The sources, read record by record.

std::string senza_blank(std::string t) {
  t.erase(0, t.find_first_not_of(' '));
  const size_t f = t.find_last_not_of(' ');
  t.erase(f == std::string::npos ? 0 : f + 1);
  return t;
}

// A record split at its commas, each field without its padding.
std::vector<std::string> campi(const std::string& riga) {
  std::vector<std::string> c;
  std::stringstream ss(riga);
  for (std::string t; std::getline(ss, t, ',');) c.push_back(senza_blank(t));
  return c;
}

// The records of `testo` whose name starts with `chiave`.
std::vector<std::vector<std::string>> record(const std::string& testo, const std::string& chiave) {
  std::vector<std::vector<std::string>> v;
  std::stringstream ss(testo);
  for (std::string r; std::getline(ss, r);) {
    if (!r.empty() && r.back() == '\r') r.pop_back();
    if (r.rfind(chiave, 0) == 0) v.push_back(campi(r));
  }
  return v;
}

long numero(const std::vector<std::string>& c, size_t i) {
  return i < c.size() ? std::strtol(c[i].c_str(), nullptr, 10) : 0;
}

// A chainage as the packer places it on the 50 m cells: x / 50 rounded,
// an exact half to the even cell.
long su_celle(long x) { return 50 * static_cast<long>(std::nearbyint(static_cast<double>(x) / 50.0)); }

struct zona {
  long inizio, riferimento;
  bool decrescente;
  long lettura(long x) const { return decrescente ? riferimento - x : riferimento + x; }
};

struct stazione {
  long progressiva, classe, lunghezza, sosta, orario;  // orario in seconds
  std::string nome;
};

struct rallentamento {
  long inizio, velocita, lunghezza;
};

// What a document may say, read off the two sources.
struct fatti {
  std::vector<zona> zone;  // by start
  std::vector<stazione> stazioni;
  std::vector<std::pair<long, long>> velocita;  // chainage on the cells, km/h as packed
  long codici_da = 0, codici_a = 0, sistema = 0;
  std::vector<std::pair<long, long>> punti;  // code points: chainage on the cells, code
  std::vector<rallentamento> rallentamenti;
  std::vector<long> segnali;
  long lunghezza = 0, percentuale = 0;

  // The reading at x: the zone with the greatest start not beyond it; the
  // chainage itself where none applies.
  long lettura(long x) const {
    const zona* z = zona_a(x);
    return z ? z->lettura(x) : x;
  }
  const zona* zona_a(long x) const {
    const zona* scelta = nullptr;
    for (const zona& z : zone)
      if (z.inizio <= x && (!scelta || z.inizio > scelta->inizio)) scelta = &z;
    return scelta;
  }
  long velocita_a(long x) const {
    long v = 0;
    for (const auto& [da, kmh] : velocita)
      if (da <= x) v = kmh;
    return v;
  }
  bool codificato(long x) const {
    if (codici_a == 0 || x < codici_da || x > codici_a) return false;
    const std::pair<long, long>* ultimo = nullptr;
    for (const auto& p : punti)
      if (p.first <= x) ultimo = &p;
    return !ultimo || ultimo->second > 0;
  }
  long origine() const { return stazioni.empty() ? 0 : stazioni.front().progressiva; }
  long termine() const { return stazioni.empty() ? 0 : stazioni.back().progressiva; }
  // A stop of the timetable: neither the origin nor the terminus, a stop given.
  bool fermata(size_t k) const { return k > 0 && k + 1 < stazioni.size() && stazioni[k].sosta > 0; }
};

fatti leggi_fatti(const sorgenti_testo& s) {
  fatti f;
  for (const auto& c : record(s.linea, "progressiva chilometrica"))
    f.zone.push_back({numero(c, 1), numero(c, 2), numero(c, 3) == 1});
  std::stable_sort(f.zone.begin(), f.zone.end(),
                   [](const zona& a, const zona& b) { return a.inizio < b.inizio; });
  for (const auto& c : record(s.linea, "ripetizione segnali")) {
    f.codici_da = numero(c, 1);
    f.codici_a = numero(c, 2);
    f.sistema = c.at(0).find('4') != std::string::npos ? 4 : 9;
  }
  for (const auto& c : record(s.linea, "lunghezza percorso")) f.lunghezza = numero(c, 1);
  for (const auto& c : record(s.treno, "percentuale massa frenata")) f.percentuale = numero(c, 1);
  for (const auto& c : record(s.treno, "stazione"))
    f.stazioni.push_back({numero(c, 1), numero(c, 2), numero(c, 3), numero(c, 13),
                          (numero(c, 14) * 60 + numero(c, 15)) * 60 + numero(c, 16),
                          c.size() > 17 ? c[17] : ""});
  for (const auto& c : record(s.treno, "velocita"))
    f.velocita.emplace_back(su_celle(numero(c, 1)),
                            5 * static_cast<long>(std::nearbyint(static_cast<double>(numero(c, 2)) / 5.0)));
  for (const auto& c : record(s.treno, "abbattimento")) f.punti.emplace_back(su_celle(numero(c, 1)), numero(c, 2));
  for (const auto& c : record(s.treno, "rallentamento"))
    f.rallentamenti.push_back({numero(c, 1), numero(c, 2), numero(c, 3)});
  for (const auto& c : record(s.treno, "segnale")) f.segnali.push_back(numero(c, 1));
  return f;
}

std::string km(long metri) {
  char t[32];
  std::snprintf(t, sizeof t, "%s%ld.%03ld", metri < 0 ? "-" : "", std::labs(metri) / 1000,
                std::labs(metri) % 1000);
  return t;
}

// The changes of kilometre zone between the origin and the terminus where
// the reading jumps: the old zone's reading there and the new one's.
std::vector<std::pair<long, long>> cambi_zona(const fatti& f) {
  std::set<long> inizi;
  for (const zona& z : f.zone)
    if (z.inizio > f.origine() && z.inizio <= f.termine()) inizi.insert(z.inizio);
  std::vector<std::pair<long, long>> v;
  for (const long x : inizi) {
    const zona* prima = f.zona_a(x - 1);
    const zona* dopo = f.zona_a(x);
    if (prima && dopo && prima->lettura(x) != dopo->lettura(x)) v.emplace_back(prima->lettura(x), dopo->lettura(x));
  }
  return v;
}

// The limit at the origin, then every change of the limit up to the
// terminus: chainage and km/h.
std::vector<std::pair<long, long>> limiti(const fatti& f) {
  std::vector<std::pair<long, long>> v;
  if (f.stazioni.empty()) return v;
  if (f.velocita_a(f.origine()) > 0) v.emplace_back(f.origine(), f.velocita_a(f.origine()));
  long in_vigore = f.velocita_a(f.origine());
  std::set<long> punti;
  for (const auto& [x, kmh] : f.velocita)
    if (x > f.origine() && x < f.termine()) punti.insert(x);
  for (const long x : punti) {
    const long kmh = f.velocita_a(x);
    if (kmh != in_vigore && kmh > 0) v.emplace_back(x, kmh);
    in_vigore = kmh;
  }
  return v;
}

// ---------------------------------------------------------------------------
// The sheet's timetable rows.

struct riga_orario {
  std::string cella_sx, vel_sx, vel_mar, progressiva, nome, orario, vel_dx, srs;
  bool cambia = false;
  char traccia = ' ';
  size_t linea = 0;  // its line in the document, from 1
  bool asterisco() const { return !nome.empty() && nome.back() == '*'; }
  std::string nome_puro() const { return asterisco() ? nome.substr(0, nome.size() - 1) : nome; }
  bool cippo() const { return nome.rfind("Cippo Km ", 0) == 0; }
  std::optional<long> metri() const {
    static const std::regex forma(R"((-?)(\d+)\.(\d{3}))");
    std::smatch m;
    if (!std::regex_match(progressiva, m, forma)) return std::nullopt;
    const long v = std::stol(m[2]) * 1000 + std::stol(m[3]);
    return m[1].length() ? -v : v;
  }
  std::string dove() const { return "sheet line " + std::to_string(linea) + " (" + nome + ")"; }
};

// The positions of "|" in a line, counted from 1.
std::vector<size_t> barre(const std::string& r) {
  std::vector<size_t> b;
  for (size_t k = 0; k < r.size(); ++k)
    if (r[k] == '|') b.push_back(k + 1);
  return b;
}

const std::vector<size_t> barre_orario = {2, 8, 14, 24, 26, 49, 69, 75, 83};

// True for a line with the timetable's bars whose cells hold only
// underscores: a closing rule.
bool regola_orario(const std::string& r) {
  if (barre(r) != barre_orario) return false;
  return r.find_first_not_of("_|", 1) == std::string::npos;
}

std::vector<riga_orario> righe_orario(const std::vector<std::string>& righe) {
  std::vector<riga_orario> v;
  for (size_t i = 0; i < righe.size(); ++i) {
    std::string r = righe[i];
    if (r.size() != 83 || barre(r) != barre_orario || regola_orario(r)) continue;
    // A page's last row drawn as its closing rule.
    if (r.find(' ', 1) == std::string::npos) std::replace(r.begin() + 1, r.end(), '_', ' ');
    riga_orario g;
    g.linea = i + 1;
    g.cella_sx = r.substr(2, 5);
    g.vel_sx = senza_blank(g.cella_sx);
    g.vel_mar = senza_blank(r.substr(8, 5));
    g.progressiva = senza_blank(r.substr(14, 8));
    g.cambia = r[22] == '/';
    g.traccia = r[24];
    g.nome = senza_blank(r.substr(26, 22));
    g.orario = r.substr(49, 19);
    g.vel_dx = r.substr(69, 5);
    g.srs = r.substr(75, 7);
    v.push_back(g);
  }
  return v;
}

// A "hh.mm" time at `da` in a times cell, in half minutes, plus one when
// ".+" follows it; nothing when no time stands there.
std::optional<long> ora(const std::string& cella, size_t da) {
  const std::string t = cella.substr(da, 5);
  if (t.size() != 5 || t[2] != '.' || t.find_first_not_of("0123456789") != 2 ||
      t.find_first_not_of("0123456789", 3) != std::string::npos)
    return std::nullopt;
  const bool mezzo = cella.compare(da + 5, 2, ".+") == 0;
  return (std::stol(t.substr(0, 2)) * 60 + std::stol(t.substr(3))) * 2 + (mezzo ? 1 : 0);
}

// Seconds as half minutes of the day, as the times cell counts them.
long mezzi_minuti(long secondi) { return ((secondi % 86400 + 86400) % 86400) / 30; }

bool limite_valido(const std::string& c) {
  const auto cifra = [](char x) { return x >= '0' && x <= '9'; };
  return c == "     " || (c[4] == ' ' && cifra(c[2]) && cifra(c[3]) && (c[1] == ' ' || cifra(c[1])) &&
                           (c[0] == ' ' || (cifra(c[0]) && cifra(c[1]))));
}

void forme(const std::vector<riga_orario>& r, std::vector<std::string>& d) {
  for (size_t k = 0; k < r.size(); ++k) {
    const riga_orario& g = r[k];
    const char precedente = k ? r[k - 1].traccia : ' ';
    auto difetto = [&](const std::string& t) { d.push_back(g.dove() + ": " + t); };
    if (!g.vel_mar.empty()) difetto("the Vel. Mar. cell is not blank");
    if (!limite_valido(g.cella_sx)) difetto("[" + g.cella_sx + "] is no speed limit");
    if (!limite_valido(g.vel_dx) && g.vel_dx != "  /  " && g.vel_dx != " ___ ")
      difetto("[" + g.vel_dx + "] is no right-hand limit");
    if (!g.vel_sx.empty() && g.vel_dx == "     ")
      difetto("the left-hand limit changes and the right-hand cell is blank");
    if (g.srs != "COD COD" && g.srs != " :   : " && g.srs != "       ")
      difetto("[" + g.srs + "] is no cab-signalling mark");
    if (g.srs == " :   : " && (k == 0 || r[k - 1].srs == "       "))
      difetto("the coding continues where it has not begun (no COD before)");
    if (!g.progressiva.empty() && !g.metri()) difetto("[" + g.progressiva + "] is no reading");
    if (g.cambia && g.progressiva.empty()) difetto("a chainage change without a reading");
    if (g.cippo() && g.nome != "Cippo Km " + g.progressiva)
      difetto("a kilometre post named otherwise than its reading " + g.progressiva);
    if (std::string(" /\\-").find(g.traccia) == std::string::npos)
      difetto(std::string("[") + g.traccia + "] is no track mark");
    if ((g.traccia == '/' || g.traccia == '\\') && g.traccia == precedente)
      difetto("the zig-zag does not alternate");
    if (g.traccia == '-' && precedente != '/' && precedente != '\\')
      difetto("a \"-\" closes no zig-zag");
  }
}

void stazioni(const std::vector<riga_orario>& r, const fatti& f, int64_t scarto,
              std::vector<std::string>& d) {
  size_t cursore = 0;
  for (size_t k = 0; k < f.stazioni.size(); ++k) {
    const stazione& s = f.stazioni[k];
    const bool asterisco = s.classe >= 25 && f.fermata(k);
    const std::string atteso = s.nome.substr(0, asterisco ? 21 : 22);
    size_t j = cursore;
    while (j < r.size() && !(r[j].nome_puro() == atteso && !r[j].cippo())) ++j;
    if (j == r.size()) {
      d.push_back("station " + s.nome + " is not on the sheet in its place");
      continue;
    }
    cursore = j + 1;
    const riga_orario& g = r[j];
    auto difetto = [&](const std::string& t) { d.push_back(g.dove() + ": " + t); };
    if (g.asterisco() != asterisco)
      difetto(asterisco ? "a stop of class 25 or above without its asterisk" : "an asterisk it should not have");
    const auto metri = g.metri();
    if (!metri || std::labs(*metri - f.lettura(s.progressiva)) > scarto)
      difetto("reading " + g.progressiva + ", the sources give " + km(f.lettura(s.progressiva)));
    if (g.srs == "       " && f.codificato(s.progressiva)) difetto("no cab signalling where the sources give it");
    if (g.srs != "       " && !f.codificato(s.progressiva)) difetto("cab signalling where the sources give none");

    const auto arrivo = ora(g.orario, 0), partenza = ora(g.orario, 8), passaggio = ora(g.orario, 4);
    const auto orario = mezzi_minuti(s.orario);
    if (s.orario == 0) {
      if (arrivo || partenza) difetto("times where the source gives none");
    } else if (k == 0) {
      if (arrivo || partenza != orario) difetto("the origin's departure is not " + std::to_string(orario));
    } else if (k + 1 == f.stazioni.size()) {
      if (partenza || arrivo != orario) difetto("the terminus's arrival disagrees");
    } else if (s.sosta == 0) {
      if (arrivo || partenza || passaggio != orario) difetto("the passing time disagrees");
    } else {
      if (partenza != orario) difetto("the departure disagrees");
      if (s.sosta == 99) {
        if (arrivo && *arrivo >= *partenza) difetto("a long stop arriving after it departs");
      } else if (arrivo != mezzi_minuti(s.orario - s.sosta)) {
        difetto("the arrival is not the departure less the stop of " + std::to_string(s.sosta) + " s");
      }
    }
  }

  // Time never runs backwards down the sheet, but past midnight.
  std::optional<long> ultimo;
  for (const riga_orario& g : r)
    for (size_t da : {0, 4, 8})
      if (const auto t = ora(g.orario, da)) {
        if (ultimo && *t < *ultimo && *ultimo - *t < 1440) d.push_back(g.dove() + ": time runs backwards");
        ultimo = t;
      }
}

void velocita(const std::vector<riga_orario>& r, const fatti& f, int64_t scarto,
              std::vector<std::string>& d) {
  const auto attesi = limiti(f);
  std::vector<const riga_orario*> scritte;
  for (const riga_orario& g : r)
    if (!g.vel_sx.empty()) scritte.push_back(&g);
  if (scritte.size() != attesi.size())
    d.push_back("the sheet shows " + std::to_string(scritte.size()) + " left-hand limits, the sources give " +
                std::to_string(attesi.size()));
  for (size_t k = 0; k < std::min(scritte.size(), attesi.size()); ++k) {
    const riga_orario& g = *scritte[k];
    if (g.vel_sx != std::to_string(attesi[k].second))
      d.push_back(g.dove() + ": limit " + g.vel_sx + ", the sources give " + std::to_string(attesi[k].second));
    const auto metri = g.metri();
    if (!metri || std::labs(*metri - f.lettura(attesi[k].first)) > scarto)
      d.push_back(g.dove() + ": the limit changes at km " + km(f.lettura(attesi[k].first)));
  }
}

void zone(const std::vector<riga_orario>& r, const fatti& f, std::vector<std::string>& d) {
  const auto attesi = cambi_zona(f);
  std::vector<size_t> cambi;
  for (size_t k = 0; k < r.size(); ++k)
    if (r[k].cambia) cambi.push_back(k);
  if (cambi.size() != attesi.size())
    d.push_back("the sheet changes chainage " + std::to_string(cambi.size()) + " times, the sources " +
                std::to_string(attesi.size()));
  for (size_t n = 0; n < std::min(cambi.size(), attesi.size()); ++n) {
    const size_t k = cambi[n];
    if (r[k].metri() != attesi[n].first) d.push_back(r[k].dove() + ": the old zone ends at km " + km(attesi[n].first));
    if (k + 1 >= r.size() || !r[k + 1].nome.empty() || r[k + 1].metri() != attesi[n].second)
      d.push_back(r[k].dove() + ": no unnamed row with the new reading " + km(attesi[n].second) + " follows");
  }
}

// ---------------------------------------------------------------------------
// The notes' prose.

// The prose with each paragraph on one line of its own and the hand-made
// line breaks undone ("rico-" + "struire" is "ricostruire").
std::string prosa(const std::vector<std::string>& righe) {
  std::string p;
  for (const auto& riga : righe) {
    std::string r = senza_blank(riga);
    // A run of blanks inside a line closes one paragraph and opens the next.
    for (size_t k; (k = r.find("  ")) != std::string::npos;) {
      const size_t dopo = r.find_first_not_of(' ', k);
      std::string unita = r.substr(0, k);
      unita += '\n';
      if (dopo != std::string::npos) unita.append(r, dopo, std::string::npos);
      r = std::move(unita);
    }
    if (p.empty()) {
    } else if (riga.rfind("    ", 0) == 0) {
      p += '\n';
    } else if (p.back() == '-') {
      p.pop_back();  // a word split across two lines
    } else {
      p += ' ';
    }
    p += r;
  }
  return p;
}

// The sentence of `t` around position `k`: it ends at a full stop followed
// by a blank and a capital letter, or at the end of the paragraph.
std::string frase(const std::string& t, size_t k) {
  const auto fine_frase = [&](size_t i) {
    return t[i] == '\n' || (t[i] == '.' && i + 2 < t.size() && t[i + 1] == ' ' &&
                            std::isupper(static_cast<unsigned char>(t[i + 2])));
  };
  size_t a = k, b = k;
  while (a > 0 && !fine_frase(a - 1)) --a;
  while (b < t.size() && !fine_frase(b)) ++b;
  return t.substr(a, b - a);
}

// Readings written "km 52.300" in `t`, in metres, in order.
std::vector<long> letture_in(const std::string& t) {
  static const std::regex forma(R"(km (-?)(\d+)\.(\d{3})\b)");
  std::vector<long> v;
  for (auto it = std::sregex_iterator(t.begin(), t.end(), forma); it != std::sregex_iterator(); ++it) {
    const long m = std::stol((*it)[2]) * 1000 + std::stol((*it)[3]);
    v.push_back((*it)[1].length() ? -m : m);
  }
  return v;
}

bool finisce_con(const std::string& t, const std::string& coda) {
  return t.size() >= coda.size() && t.compare(t.size() - coda.size(), coda.size(), coda) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------

sorgenti_testo sorgenti_spedite() {
  scenario::modello m;
  m.linea = scenario::linea_scenario;
  m.treno = scenario::treno_scenario;
  return {scenario::sorgente_linea(m, ".").byte, scenario::sorgente_treno(m, ".").byte};
}

scenario::modello carica(const sorgenti_testo& s) {
  scenario::modello m;
  m.linea = scenario::linea_scenario;
  m.treno = scenario::treno_scenario;
  piattaforma::DiscoMemoria disco;
  disco.file["l.txt"] = s.linea;
  disco.file["t.txt"] = s.treno;
  scenario::carica_sorgenti(m, disco, {"l.txt", "t.txt", /*elimina=*/false, nullptr}, 0);
  return m;
}

std::vector<std::string> righe_crlf(std::string_view byte, std::vector<std::string>& difetti) {
  std::vector<std::string> righe;
  size_t inizio = 0;
  while (inizio < byte.size()) {
    const size_t fine = byte.find("\r\n", inizio);
    if (fine == std::string_view::npos) {
      difetti.push_back("line " + std::to_string(righe.size() + 1) + " is not ended by CR LF");
      righe.emplace_back(byte.substr(inizio));
      break;
    }
    righe.emplace_back(byte.substr(inizio, fine - inizio));
    inizio = fine + 2;
  }
  return righe;
}

std::vector<std::string> righe_incorporate(std::string_view utf8) {
  std::vector<std::string> righe;
  size_t inizio = 0;
  for (size_t fine; (fine = utf8.find('\n', inizio)) != std::string_view::npos; inizio = fine + 1)
    righe.push_back(piattaforma::in_windows1252_o_punto(utf8.substr(inizio, fine - inizio)));
  return righe;
}

std::vector<std::string> impaginazione_testo(std::string_view byte, size_t massima) {
  std::vector<std::string> d;
  const auto righe = righe_crlf(byte, d);
  for (size_t i = 0; i < righe.size(); ++i) {
    const std::string& r = righe[i];
    const std::string dove = "line " + std::to_string(i + 1);
    if (r.size() > massima) d.push_back(dove + " is " + std::to_string(r.size()) + " characters long");
    for (const char ch : r) {
      const auto b = static_cast<unsigned char>(ch);
      if (b < 32 || b == 127 || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
        d.push_back(dove + " holds byte " + std::to_string(b) + ", no printable Windows-1252 character");
        break;
      }
    }
  }
  return d;
}

std::vector<std::string> impaginazione_scheda(const std::vector<std::string>& righe) {
  std::vector<std::string> d;
  size_t in_tabella = 0;  // rows since the page's heading
  bool tabella = false;
  for (size_t i = 0; i < righe.size(); ++i) {
    const std::string& r = righe[i];
    const std::string dove = "sheet line " + std::to_string(i + 1);
    const auto b = barre(r);
    if (r.rfind(" |_Max.|_Mar.|", 0) == 0) {
      if (tabella) d.push_back(dove + ": a table heading inside an open table");
      tabella = true;
      in_tabella = 0;
      continue;
    }
    if (r.rfind(" | TRENO n. ", 0) == 0 && b != std::vector<size_t>{2, 20, 37, 64, 83})
      d.push_back(dove + ": the title box's bars are out of place");
    if (r.rfind(" | CLASSIFICAZIONE", 0) != 0 && r.find(" a:  ") == 36 &&
        b != std::vector<size_t>{2, 20, 37, 64, 74, 83})
      d.push_back(dove + ": the route box's bars are out of place");
    if (!tabella) continue;
    if (r.size() != 83 || b != barre_orario) {
      d.push_back(dove + ": a table line that is not a timetable row of 83 characters with its bars");
      tabella = false;
      continue;
    }
    ++in_tabella;
    const bool sottolineata = r.find(' ', 1) == std::string::npos;
    if (regola_orario(r) || sottolineata) {
      tabella = false;
      const size_t righe_pagina = regola_orario(r) ? in_tabella - 1 : in_tabella;
      if (righe_pagina > 32) d.push_back(dove + ": a page of " + std::to_string(righe_pagina) + " rows");
    }
  }
  if (tabella) d.push_back("the last page's table is not closed");
  return d;
}

std::vector<std::string> impaginazione_rallentamenti(const std::vector<std::string>& righe) {
  std::vector<std::string> d;
  if (righe.empty() || righe.size() % 46 != 0)
    d.push_back("the form has " + std::to_string(righe.size()) + " lines, not pages of 46");
  const std::string regola =
      " |___|____________________________|____________|__________|_________|____________|";
  for (size_t p = 0; p + 46 <= righe.size(); p += 46) {
    if (righe[p + 11] != regola || righe[p + 38] != regola)
      d.push_back("page " + std::to_string(p / 46 + 1) + ": the table's rules are not on lines 12 and 39");
    for (size_t i = p + 8; i <= p + 38; ++i)
      if (righe[i].size() != 82 || barre(righe[i]) != std::vector<size_t>{2, 6, 35, 48, 59, 69, 82})
        d.push_back("form line " + std::to_string(i + 1) + ": not 82 characters with the table's bars");
  }
  return d;
}

std::vector<std::string> accordo_scheda(const std::vector<std::string>& righe, const sorgenti_testo& s,
                                        int64_t scarto) {
  std::vector<std::string> d;
  const fatti f = leggi_fatti(s);
  const auto r = righe_orario(righe);
  forme(r, d);
  stazioni(r, f, scarto, d);
  velocita(r, f, scarto, d);
  zone(r, f, d);
  return d;
}

std::vector<std::string> accordo_rallentamenti(const std::vector<std::string>& righe,
                                               const sorgenti_testo& s) {
  std::vector<std::string> d;
  const fatti f = leggi_fatti(s);
  // The rows: between each page's heading rule and its bottom rule.
  struct riga {
    std::string n, stazioni, km, velocita, lunghezza;
    size_t linea;
  };
  std::vector<riga> scritte;
  const std::string regola =
      " |___|____________________________|____________|__________|_________|____________|";
  bool dentro = false;
  for (size_t i = 0; i < righe.size(); ++i) {
    const std::string& r = righe[i];
    if (r == regola) {
      dentro = !dentro;
      continue;
    }
    if (!dentro || r.size() != 82) continue;
    riga g{senza_blank(r.substr(2, 3)), senza_blank(r.substr(6, 28)), senza_blank(r.substr(35, 12)),
           senza_blank(r.substr(48, 10)), senza_blank(r.substr(59, 9)), i + 1};
    if (g.n.empty() && !g.stazioni.empty() && !scritte.empty()) {
      scritte.back().stazioni += " " + g.stazioni;  // a place continued on the next line
      continue;
    }
    if (!g.n.empty() || !g.km.empty() || !g.velocita.empty() || !g.lunghezza.empty()) scritte.push_back(g);
  }
  if (scritte.size() != f.rallentamenti.size())
    d.push_back("the form lists " + std::to_string(scritte.size()) + " slowdowns, the train source " +
                std::to_string(f.rallentamenti.size()));
  for (size_t k = 0; k < std::min(scritte.size(), f.rallentamenti.size()); ++k) {
    const riga& g = scritte[k];
    const rallentamento& a = f.rallentamenti[k];
    auto difetto = [&](const std::string& t) { d.push_back("form line " + std::to_string(g.linea) + ": " + t); };
    if (g.n != std::to_string(k + 1)) difetto("numbered " + g.n + ", not " + std::to_string(k + 1));
    if (g.km != km(f.lettura(a.inizio))) difetto("begins at " + g.km + ", the source at km " + km(f.lettura(a.inizio)));
    if (std::strtol(g.velocita.c_str(), nullptr, 10) != a.velocita) difetto("speed " + g.velocita);
    if (std::strtol(g.lunghezza.c_str(), nullptr, 10) != a.lunghezza) difetto("length " + g.lunghezza);
    // Between two stations next to each other, or in one near it.
    const size_t trattino = g.stazioni.find(" - ");
    bool luogo = false;
    for (size_t j = 0; j < f.stazioni.size(); ++j) {
      const stazione& st = f.stazioni[j];
      if (trattino == std::string::npos) {
        luogo = luogo || (g.stazioni == st.nome && std::labs(a.inizio - st.progressiva) <= st.lunghezza);
      } else if (j + 1 < f.stazioni.size()) {
        const stazione& dopo = f.stazioni[j + 1];
        luogo = luogo || (g.stazioni == st.nome + " - " + dopo.nome && st.progressiva <= a.inizio &&
                          a.inizio <= dopo.progressiva);
      }
    }
    if (!luogo) difetto("\"" + g.stazioni + "\" is not where the slowdown lies");
  }
  return d;
}

std::vector<std::string> accordo_note(const std::vector<std::string>& righe, const sorgenti_testo& s,
                                      const std::vector<std::string>& scheda) {
  std::vector<std::string> d;
  const fatti f = leggi_fatti(s);
  const std::string t = prosa(righe);
  std::smatch m;

  // A reading in brackets right after a name, "Caldone Nord (km 4.150)", is
  // that place's reading; after "di protezione di" or "di partenza di" and a
  // name it is the reading of one of the signals near that place.
  std::vector<std::pair<std::string, long>> luoghi;
  for (const stazione& st : f.stazioni) luoghi.emplace_back(st.nome, f.lettura(st.progressiva));
  for (const riga_orario& g : righe_orario(scheda))
    if (!g.nome.empty() && !g.cippo() && g.metri()) luoghi.emplace_back(g.nome_puro(), *g.metri());
  std::set<long> segnali;
  for (const long x : f.segnali) segnali.insert(f.lettura(x));
  for (size_t k = 0; (k = t.find("(km ", k)) != std::string::npos; ++k) {
    const auto letture = letture_in(t.substr(k + 1, 13));
    const std::string prima = t.substr(0, k);
    const std::pair<std::string, long>* luogo = nullptr;
    for (const auto& l : luoghi)
      if (finisce_con(prima, " " + l.first + " ") && (!luogo || l.first.size() > luogo->first.size())) luogo = &l;
    if (letture.size() != 1 || !luogo) {
      d.push_back("a reading in brackets after no known place: ..." +
                  prima.substr(prima.size() > 40 ? prima.size() - 40 : 0));
      continue;
    }
    const std::string davanti = prima.substr(0, prima.size() - luogo->first.size() - 1);
    bool di_segnale = false;
    for (const char* x : {"di protezione di ", "di protezione del ", "di partenza di ", "di partenza del "})
      di_segnale = di_segnale || finisce_con(davanti, x);
    if (di_segnale ? !segnali.count(letture[0]) || std::labs(letture[0] - luogo->second) > 2000
                   : letture[0] != luogo->second)
      d.push_back(luogo->first + " (km " + km(letture[0]) + "): the sources put it at km " + km(luogo->second));
  }

  // "27 fermate": every intermediate station where the train stops; the
  // sentence on the longest stops names those of several minutes.
  std::set<std::string> lunghe;
  long fermate = 0;
  for (size_t k = 0; k < f.stazioni.size(); ++k)
    if (f.fermata(k)) {
      ++fermate;
      if (f.stazioni[k].sosta == 99) lunghe.insert(f.stazioni[k].nome);
    }
  if (!std::regex_search(t, m, std::regex(R"((\d+) fermat[ae]\b)")) || std::stol(m[1]) != fermate)
    d.push_back("the notes do not say \"" + std::to_string(fermate) + " fermate\"");
  const size_t pos_lunghe = t.find(piattaforma::in_windows1252_o_punto("pi\u00f9 lunghe"));
  if (pos_lunghe == std::string::npos) {
    if (!lunghe.empty()) d.push_back("the notes name no long stop");
  } else {
    std::string resto = frase(t, pos_lunghe);
    std::vector<std::string> nomi;
    for (const stazione& st : f.stazioni) nomi.push_back(st.nome);
    std::sort(nomi.begin(), nomi.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
    std::set<std::string> nominate;
    for (const auto& n : nomi)
      for (size_t k; !n.empty() && (k = resto.find(n)) != std::string::npos; resto.erase(k, n.size()))
        nominate.insert(n);
    if (nominate != lunghe) d.push_back("the long stops named are not those of the sources");
  }

  // "da 140 a 75 km/h al km 28.050": there the limit goes from the one to the other.
  const auto cambi = limiti(f);
  static const std::regex riduzione(R"(da (\d+) a (\d+) km/h al km (-?\d+\.\d{3}))");
  for (auto it = std::sregex_iterator(t.begin(), t.end(), riduzione); it != std::sregex_iterator(); ++it) {
    bool trovata = false;
    for (size_t k = 1; k < cambi.size(); ++k)
      trovata = trovata || (km(f.lettura(cambi[k].first)) == (*it)[3] &&
                            std::to_string(cambi[k - 1].second) == (*it)[1] &&
                            std::to_string(cambi[k].second) == (*it)[2]);
    if (!trovata) d.push_back("\"" + it->str() + "\" is no change of limit in the sources");
  }

  // Each code other than the usual one: the sentence that tells where it
  // was put names the readings of exactly its code points.
  std::map<long, std::set<long>> dove_codice;
  for (const auto& [x, codice] : f.punti)
    if (codice > 0) dove_codice[codice].insert(f.lettura(x));
  if (!dove_codice.empty()) {
    const auto consueto =
        std::max_element(dove_codice.begin(), dove_codice.end(),
                         [](const auto& a, const auto& b) { return a.second.size() < b.second.size(); });
    for (const auto& [codice, letture] : dove_codice) {
      if (codice == consueto->first) continue;
      const std::string segno = "codici " + std::to_string(codice) + " ";
      const size_t k = t.find(segno);
      if (k == std::string::npos) {
        d.push_back("the notes do not say where the codes " + std::to_string(codice) + " are");
        continue;
      }
      const std::string fr = frase(t, k);
      const auto nominate = letture_in(fr.substr(0, fr.find(segno)));
      if (std::set<long>(nominate.begin(), nominate.end()) != letture)
        d.push_back("the readings of the codes " + std::to_string(codice) + " disagree");
    }
  }

  // Braked mass, the start from the origin, the length.
  if (!std::regex_search(t, m, std::regex(R"(massa frenata del (\d+)%)")) || std::stol(m[1]) != f.percentuale)
    d.push_back("the braked mass is not " + std::to_string(f.percentuale) + "%");
  if (!f.stazioni.empty() && f.stazioni.front().orario != 0) {
    const long attese = f.stazioni.front().orario / 60 % 1440;
    if (!std::regex_search(t, m, std::regex("da " + f.stazioni.front().nome + R"( alle (\d\d)\.(\d\d))")) ||
        std::stol(m[1]) * 60 + std::stol(m[2]) != attese)
      d.push_back("the departure from " + f.stazioni.front().nome + " disagrees");
  }
  const bool poco_piu = std::regex_search(t, m, std::regex(piattaforma::in_windows1252_o_punto(
                                                    "poco pi\u00f9 di ([0-9]+) km di linea")));
  if (poco_piu ? std::stol(m[1]) != f.lunghezza / 1000
               : !std::regex_search(t, m, std::regex(R"((\d+\.\d{3}) km di linea)")) || m[1] != km(f.lunghezza))
    d.push_back("the route length is not given as " + km(f.lunghezza) + " km");

  // "al km 287.550 si passa a 0.000, al km 31.450 a 96.100": where the zones meet.
  std::vector<std::pair<long, long>> scritti;
  static const std::regex cambio(R"(al km (\d+)\.(\d{3}) (?:si passa )?a (\d+)\.(\d{3}))");
  for (auto it = std::sregex_iterator(t.begin(), t.end(), cambio); it != std::sregex_iterator(); ++it)
    scritti.emplace_back(std::stol((*it)[1]) * 1000 + std::stol((*it)[2]),
                         std::stol((*it)[3]) * 1000 + std::stol((*it)[4]));
  if (scritti != cambi_zona(f)) d.push_back("the changes of kilometre zone disagree");

  // The cab-signalling sentence gives the system's codes and where it ends.
  const size_t k = t.find("ripetizione segnali in macchina");
  if (k == std::string::npos) {
    d.push_back("the notes say nothing of cab signalling");
  } else if (f.codici_a == 0) {
    if (frase(t, k).find("non ") == std::string::npos) d.push_back("cab signalling where the line source gives none");
  } else {
    const std::string fr = frase(t, k);
    const auto letture = letture_in(fr);
    if (fr.find(" " + std::to_string(f.sistema) + " codici ") == std::string::npos ||
        std::find(letture.begin(), letture.end(), f.lettura(f.codici_a)) == letture.end())
      d.push_back("the cab-signalling sentence disagrees with the line source: " + fr);
  }

  // The slowdowns: none, or each with its place, speed and length.
  const bool nessuno = t.find("non ci sono rallentamenti") != std::string::npos;
  if (nessuno != f.rallentamenti.empty()) d.push_back("the notes disagree on whether there are slowdowns");
  static const std::regex detto(R"(dal km (-?\d+\.\d{3}) a (\d+) km/h per (\d+) m)");
  std::vector<std::string> elencati, attesi;
  for (auto it = std::sregex_iterator(t.begin(), t.end(), detto); it != std::sregex_iterator(); ++it)
    elencati.push_back(it->str());
  for (const rallentamento& a : f.rallentamenti)
    attesi.push_back("dal km " + km(f.lettura(a.inizio)) + " a " + std::to_string(a.velocita) + " km/h per " +
                     std::to_string(a.lunghezza) + " m");
  if (elencati != attesi && !(nessuno && elencati.empty()))
    d.push_back("the slowdowns the notes list disagree with the train source");
  return d;
}

}  // namespace prova
