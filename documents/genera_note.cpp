#include "documents/genera_note.h"

#include <algorithm>
#include <map>

#include "documents/genera_rallentamenti.h"

namespace documenti {
namespace {

using scenario::formato_km;

// "A", "A e B", "A, B e C".
std::string elenco(const std::vector<std::string>& voci) {
  std::string t;
  for (size_t i = 0; i < voci.size(); ++i) {
    if (i > 0) t += i + 1 == voci.size() ? " e " : ", ";
    t += voci[i];
  }
  return t;
}

// A time of day to the minute, "13.55".
std::string minuto(int32_t secondi) { return ora(secondi).substr(0, 5); }

std::string km_di(const corsa& c, int32_t x) { return "km " + formato_km(lettura(c, x)); }

// The name and its reading, "Tarvena (km 187.550)".
std::string con_lettura(const corsa& c, const stazione_corsa& s) {
  return s.nome + " (" + km_di(c, s.progressiva) + ")";
}

// The text ends a sentence: a full stop after it unless it has one.
std::string punto(std::string t) {
  if (t.empty() || t.back() != '.') t += '.';
  return t;
}

std::string percorso(const corsa& c) {
  std::string t = "Questo scenario riproduce il percorso " + c.linea + " del treno " + c.treno + ": " +
                  formato_km(c.lunghezza) + " km di linea";
  if (c.stazioni.size() > 1)
    t += ", da " + con_lettura(c, c.stazioni.front()) + " a " + con_lettura(c, c.stazioni.back());
  t = punto(t);
  if (c.cambi_zona.empty()) return t + " La progressiva non cambia lungo il percorso.";
  t += c.cambi_zona.size() == 1 ? " La progressiva cambia una volta: "
                                : " Le progressive cambiano " + std::to_string(c.cambi_zona.size()) + " volte: ";
  std::vector<std::string> cambi;
  for (size_t i = 0; i < c.cambi_zona.size(); ++i)
    cambi.push_back("al km " + formato_km(c.cambi_zona[i].lettura_prima) + (i == 0 ? " si passa a " : " a ") +
                    formato_km(c.cambi_zona[i].lettura_dopo));
  std::string uniti;
  for (size_t i = 0; i < cambi.size(); ++i) uniti += (i ? ", " : "") + cambi[i];
  return t + uniti + ".";
}

std::string treno(const corsa& c, const valori_documenti& v) {
  if (c.stazioni.empty()) return "Le sorgenti non elencano alcuna stazione.";
  const stazione_corsa& o = c.stazioni.front();
  const stazione_corsa& d = c.stazioni.back();
  std::string t = "Il treno parte da " + o.nome + (o.partenza ? " alle " + minuto(*o.partenza) : "");
  if (c.stazioni.size() > 1) t += " e arriva a " + d.nome + (d.arrivo ? " alle " + minuto(*d.arrivo) : "");
  t += "; nella simulazione conta " + std::to_string(c.vetture) + " vetture e una massa frenata del " +
       std::to_string(c.percentuale) + "%.";
  if (!v.locomotiva.empty()) t += " La locomotiva \xE8 una " + v.locomotiva + ".";

  std::vector<std::string> fermate, lunghe, transiti;
  for (const stazione_corsa& s : c.stazioni) {
    if (s.genere == genere_fermata::fermata || s.genere == genere_fermata::lunga) fermate.push_back(s.nome);
    if (s.genere == genere_fermata::lunga) lunghe.push_back(s.nome);
    if (s.genere == genere_fermata::transito) transiti.push_back(s.nome);
  }
  t += " Fra l'origine e il termine ci sono " + std::to_string(fermate.size()) +
       (fermate.size() == 1 ? " fermata" : " fermate");
  t += fermate.empty() ? "." : ": " + punto(elenco(fermate));
  if (!lunghe.empty())
    t += std::string(" Le fermate pi\xF9 lunghe, di alcuni minuti, sono a ") + punto(elenco(lunghe));
  if (!transiti.empty()) t += " Il treno transita senza fermarsi a " + punto(elenco(transiti));
  return t;
}

std::string velocita(const corsa& c) {
  if (c.limiti.empty() || c.stazioni.empty()) return {};
  std::string t = std::string("Limiti di velocit\xE0: ") + std::to_string(c.limiti.front().velocita) +
                  " km/h alla partenza da " + c.stazioni.front().nome;
  for (size_t k = 1; k < c.limiti.size(); ++k)
    t += (k == 1 ? "; poi " : ", ") + std::string("da ") + std::to_string(c.limiti[k - 1].velocita) + " a " +
         std::to_string(c.limiti[k].velocita) + " km/h al " + km_di(c, c.limiti[k].progressiva);
  return t + ".";
}

std::string codici(const corsa& c) {
  if (c.sistema_codici == 0) return "La linea non ha la ripetizione segnali in macchina.";
  std::string t = "La ripetizione segnali in macchina a " + std::to_string(c.sistema_codici) +
                  " codici \xE8 attiva dal " + km_di(c, c.tratto_codici.da) + " al " + km_di(c, c.tratto_codici.a) + ".";
  // Where a cancel stops the coding, and the code point that takes it up again.
  for (size_t i = 0; i < c.punti_codice.size(); ++i) {
    if (c.punti_codice[i].codice > 0) continue;
    t += " La codifica si interrompe al " + km_di(c, c.punti_codice[i].progressiva);
    const auto ripresa = std::find_if(c.punti_codice.begin() + static_cast<long>(i), c.punti_codice.end(),
                                      [](const punto_codice& p) { return p.codice > 0; });
    t += ripresa != c.punti_codice.end() ? " e riprende al " + km_di(c, ripresa->progressiva) + "." : ".";
  }
  std::map<int, std::vector<int32_t>> per_codice;
  for (const punto_codice& p : c.punti_codice)
    if (p.codice > 0) per_codice[p.codice].push_back(p.progressiva);
  if (per_codice.empty()) return t + " Le sorgenti non danno punti di codice.";
  const auto consueto = std::max_element(per_codice.begin(), per_codice.end(), [](const auto& a, const auto& b) {
    return a.second.size() < b.second.size();
  });
  t += " I codici " + std::to_string(consueto->first) + " sono inviati da " +
       (consueto->second.size() == 1
            ? "1 punto, al " + km_di(c, consueto->second.front())
            : std::to_string(consueto->second.size()) + " punti, dal " + km_di(c, consueto->second.front()) +
                  " al " + km_di(c, consueto->second.back())) +
       ".";
  for (const auto& [codice, punti] : per_codice) {
    if (codice == consueto->first) continue;
    std::vector<std::string> dove;
    for (const int32_t x : punti) dove.push_back("al " + km_di(c, x));
    std::string f = elenco(dove);
    f[0] = 'A';
    t += " " + f + " ci sono codici " + std::to_string(codice) + " al posto dei consueti " +
         std::to_string(consueto->first) + ".";
  }
  return t;
}

std::string rallentamenti(const corsa& c) {
  if (c.rallentamenti.empty())
    return "Sul percorso non ci sono rallentamenti in vigore (il modulo M. 3 \xE8 in bianco).";
  std::string t = c.rallentamenti.size() == 1 ? "\xC8 in vigore un rallentamento (modulo M. 3): "
                                              : "Sono in vigore " + std::to_string(c.rallentamenti.size()) +
                                                    " rallentamenti (modulo M. 3): ";
  for (size_t k = 0; k < c.rallentamenti.size(); ++k) {
    const scenario::rallentamento& r = c.rallentamenti[k];
    const std::string luogo = luogo_rallentamento(c, r.inizio);
    const size_t trattino = luogo.find(" - ");
    std::string dove;
    if (trattino != std::string::npos)
      dove = ", fra " + luogo.substr(0, trattino) + " e " + luogo.substr(trattino + 3);
    else if (luogo.rfind("- ", 0) == 0)
      dove = ", prima di " + luogo.substr(2);
    else if (luogo.size() >= 2 && luogo.compare(luogo.size() - 2, 2, " -") == 0)
      dove = ", dopo " + luogo.substr(0, luogo.size() - 2);
    else if (!luogo.empty())
      dove = ", nella stazione di " + luogo;
    t += (k ? "; " : "") + std::string("n. ") + std::to_string(k + 1) + " dal " + km_di(c, r.inizio) + " a " +
         std::to_string(r.velocita) + " km/h per " + std::to_string(r.lunghezza) + " m" + dove;
  }
  return t + ".";
}

}  // namespace

std::vector<std::string> paragrafo(const std::string& testo, size_t larghezza) {
  std::vector<std::string> righe;
  std::string riga = "   ";
  size_t inizio = 0;
  while (inizio < testo.size()) {
    size_t fine = testo.find(' ', inizio);
    if (fine == std::string::npos) fine = testo.size();
    const std::string parola = testo.substr(inizio, fine - inizio);
    inizio = fine + 1;
    if (parola.empty()) continue;
    if (riga.size() + 1 + parola.size() > larghezza && riga.find_first_not_of(' ') != std::string::npos) {
      righe.push_back(riga);
      riga = parola;
    } else {
      riga += (riga.empty() ? "" : " ") + parola;
    }
  }
  righe.push_back(riga);
  return righe;
}

std::vector<std::string> genera_note(const corsa& c, const valori_documenti& v) {
  const std::string testi[] = {
      "BOZZA delle note, fatta da impacchetta_scenario con i dati delle sorgenti: l'autore la completi "
      "e la rilegga prima di pubblicarla. Restano da scrivere la storia della linea, il segnalamento, i "
      "tratti banalizzati, il treno vero e la locomotiva, le azioni che il macchinista deve compiere nel "
      "simulatore, i ringraziamenti e i recapiti dell'autore.",
      percorso(c),
      treno(c, v),
      velocita(c),
      codici(c),
      rallentamenti(c),
      "Buon divertimento.",
  };
  std::vector<std::string> righe;
  for (const std::string& t : testi)
    if (!t.empty())
      for (std::string& r : paragrafo(t)) righe.push_back(std::move(r));
  return righe;
}

}  // namespace documenti
