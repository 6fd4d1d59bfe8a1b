#include "documents/genera_rallentamenti.h"

#include <algorithm>

namespace documenti {
namespace {

// `t` left-aligned in `w` characters, cut at w.
std::string a_sinistra(std::string t, size_t w) {
  t.resize(w, ' ');
  return t;
}

// `t` in the middle of `w` characters, the odd blank to the right.
std::string centrato(const std::string& t, size_t w) {
  if (t.size() >= w) return t.substr(0, w);
  const size_t prima = (w - t.size()) / 2;
  return std::string(prima, ' ') + t + std::string(w - t.size() - prima, ' ');
}

const std::string regola =
    " |___|____________________________|____________|__________|_________|____________|";
const std::string riga_vuota =
    " |   |                            |            |          |         |            |";

// A number right-aligned in the first two of the three characters of its
// cell (" 1 ", "12 "), three digits filling it.
std::string cella_numero(const std::string& n) {
  return n.size() >= 3 ? n.substr(0, 3) : std::string(2 - n.size(), ' ') + n + " ";
}

// A length right-aligned in the first eight of the nine characters.
std::string cella_lunghezza(const std::string& l) {
  return l.size() >= 9 ? l.substr(0, 9) : std::string(8 - std::min<size_t>(l.size(), 8), ' ') + l + " ";
}

// One table line: number, place, reading, speed, length; the prescriptions
// are the author's to write.
std::string riga(const std::string& n, const std::string& luogo, const std::string& km,
                 const std::string& velocita, const std::string& lunghezza) {
  return " |" + cella_numero(n) + "|" + a_sinistra(" " + luogo, 28) + "|" + centrato(km, 12) + "|" +
         centrato(velocita, 10) + "|" + cella_lunghezza(lunghezza) + "|            |";
}

// The place of a slowdown in lines of at most 27 characters: whole when it
// fits, else broken after the " -" between the two stations.
std::vector<std::string> righe_luogo(const std::string& luogo) {
  if (luogo.size() <= 27) return {luogo};
  const size_t trattino = luogo.find(" - ");
  if (trattino == std::string::npos) return {luogo.substr(0, 27)};
  return {luogo.substr(0, trattino + 2).substr(0, 27), luogo.substr(trattino + 3).substr(0, 27)};
}

}  // namespace

std::string luogo_rallentamento(const corsa& c, int32_t x) {
  if (c.stazioni.empty()) return {};
  for (const stazione_corsa& s : c.stazioni)
    if (s.inizio <= x && x <= s.fine) return s.nome;
  const auto dopo = std::find_if(c.stazioni.begin(), c.stazioni.end(),
                                 [&](const stazione_corsa& s) { return s.progressiva > x; });
  if (dopo == c.stazioni.begin()) return "- " + dopo->nome;
  if (dopo == c.stazioni.end()) return c.stazioni.back().nome + " -";
  return std::prev(dopo)->nome + " - " + dopo->nome;
}

std::vector<std::string> genera_rallentamenti(const corsa& c) {
  // The table lines of every slowdown, one after the other.
  std::vector<std::string> tabella;
  for (size_t k = 0; k < c.rallentamenti.size(); ++k) {
    const scenario::rallentamento& r = c.rallentamenti[k];
    const auto luogo = righe_luogo(luogo_rallentamento(c, r.inizio));
    tabella.push_back(riga(std::to_string(k + 1), luogo[0], scenario::formato_km(lettura(c, r.inizio)),
                           std::to_string(r.velocita) + " km/h", std::to_string(r.lunghezza)));
    for (size_t i = 1; i < luogo.size(); ++i) tabella.push_back(riga("", luogo[i], "", "", ""));
  }
  // A slowdown's lines stay on one page.
  std::vector<std::vector<std::string>> pagine(1);
  for (size_t i = 0; i < tabella.size(); ++i) {
    const bool continua = tabella[i].compare(2, 3, "   ") == 0;
    const size_t servono = !continua && i + 1 < tabella.size() && tabella[i + 1].compare(2, 3, "   ") == 0 ? 2 : 1;
    if (!continua && pagine.back().size() + servono > righe_per_modulo) pagine.emplace_back();
    pagine.back().push_back(tabella[i]);
  }

  std::vector<std::string> s;
  for (size_t p = 0; p < pagine.size(); ++p) {
    s.push_back("");
    s.push_back(std::string(31, ' ') + "Modulo M. 3" +
                (pagine.size() > 1 ? "   foglio " + std::to_string(p + 1) + "/" + std::to_string(pagine.size()) : ""));
    s.push_back(std::string(27, ' ') + "ORDINE DI RALLENTAMENTO");
    s.push_back(" " + std::string(80, '_'));
    s.push_back("  Linea  " + c.linea);
    s.push_back("");
    s.push_back("  Si ordina al macchinista del treno " + c.numero + " di effettuare i seguenti rallentamenti");
    s.push_back("  " + std::string(79, '_'));
    s.push_back(" |   |                            |Inizio dopo |          |         |            |");
    s.push_back(" | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|");
    s.push_back(" |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |");
    s.push_back(regola);
    for (const std::string& r : pagine[p]) s.push_back(r);
    for (size_t i = pagine[p].size(); i < righe_per_modulo; ++i) s.push_back(riga_vuota);
    s.push_back(regola);
    s.push_back("");
    s.push_back(std::string(14, ' ') + "Prescrizioni specifiche");
    s.push_back(" A - Da rispettare con tutto il treno (per i treni viaggiatori)");
    s.push_back(" B - Interessa anche la stazione di.......");
    s.push_back(" D - Rallentamneto N. ... e N. ...  sono contigui");
    s.push_back(" C - Da rispettare dalle ore ....  alle ore ..... di tutti");
    s.push_back("     i giorni esclusi i seguenti:.........");
  }
  return s;
}

}  // namespace documenti
