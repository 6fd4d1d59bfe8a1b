#include "inspector/scoperta.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "model/identita.h"
#include "platform/errore_file.h"

namespace ispettore {
namespace {

// The ends of the packed file names, from the names themselves: the line
// file's after the route title, the item and track files' after the train.
const std::string coda_linea = scenario::nome_pacchetto_linea("");
const std::string estensione_voci = scenario::nome_pacchetto_voci("", "").substr(1);
const std::string estensione_celle = scenario::nome_pacchetto_celle("", "").substr(1);

// True when `t` ends with `coda`.
bool finisce(const std::string& t, std::string_view coda) {
  return t.size() >= coda.size() && t.compare(t.size() - coda.size(), coda.size(), coda) == 0;
}

// `t` without its last n characters.
std::string senza(const std::string& t, size_t n) { return t.substr(0, t.size() - n); }

// The file names sorted out: line files by route, and the names before the
// extension of item files and of track files.
struct nomi_divisi {
  std::set<std::string> linee;
  std::set<std::string> voci;
  std::set<std::string> celle;
};

nomi_divisi dividi(const std::vector<std::string>& nomi) {
  nomi_divisi d;
  for (const std::string& n : nomi)
    if (finisce(n, estensione_voci)) d.voci.insert(senza(n, estensione_voci.size()));
  for (const std::string& n : nomi) {
    if (!finisce(n, estensione_celle)) continue;
    const std::string base = senza(n, estensione_celle.size());
    if (finisce(n, coda_linea) && d.voci.count(base) == 0)
      d.linee.insert(senza(n, coda_linea.size()));
    else
      d.celle.insert(base);
  }
  return d;
}

// True when `l` is a route title that `base` begins with, followed by "_"
// and a train designation.
bool titolo_di(const std::string& base, const std::string& l) {
  return base.size() > l.size() + 1 && base.compare(0, l.size(), l) == 0 && base[l.size()] == '_';
}

// Splits "<route>_<train>" as trova_scenari says; nothing without a "_".
std::optional<std::pair<std::string, std::string>> separa(const std::string& base,
                                                          const std::set<std::string>& linee,
                                                          const titolo_voci& titolo) {
  size_t taglio = std::string::npos;
  for (const std::string& l : linee)
    if (titolo_di(base, l) && (taglio == std::string::npos || l.size() > taglio)) taglio = l.size();
  if (taglio == std::string::npos && titolo && base.find('_') != base.rfind('_'))
    if (const auto t = titolo(base + estensione_voci); t && titolo_di(base, *t)) taglio = t->size();
  if (taglio == std::string::npos) taglio = base.find('_');
  if (taglio == std::string::npos || taglio == 0 || taglio + 1 >= base.size()) return std::nullopt;
  return std::make_pair(base.substr(0, taglio), base.substr(taglio + 1));
}

}  // namespace

std::vector<scenario_trovato> trova_scenari(const std::vector<std::string>& nomi,
                                            const titolo_voci& titolo) {
  const nomi_divisi d = dividi(nomi);
  std::map<std::pair<std::string, std::string>, scenario_trovato> trovati;
  std::map<std::string, std::optional<std::pair<std::string, std::string>>> divisioni;
  auto aggiungi = [&](const std::string& base, bool voci) {
    // The track file's name is split as the item file's of that name, once.
    auto [voce, nuova] = divisioni.try_emplace(base);
    if (nuova) voce->second = separa(base, d.linee, d.voci.count(base) != 0 ? titolo : titolo_voci{});
    const auto& coppia = voce->second;
    if (!coppia) return;
    scenario_trovato& s = trovati[*coppia];
    s.linea = coppia->first;
    s.treno = coppia->second;
    s.con_linea = d.linee.count(s.linea) != 0;
    (voci ? s.con_voci : s.con_celle) = true;
  };
  for (const std::string& b : d.voci) aggiungi(b, true);
  for (const std::string& b : d.celle) aggiungi(b, false);
  std::vector<scenario_trovato> scenari;
  for (auto& [chiave, s] : trovati) scenari.push_back(std::move(s));
  return scenari;
}

std::vector<std::string> linee_senza_treno(const std::vector<std::string>& nomi) {
  std::set<std::string> usate;
  for (const scenario_trovato& s : trova_scenari(nomi)) usate.insert(s.linea);
  std::vector<std::string> sole;
  for (const std::string& l : dividi(nomi).linee)
    if (usate.count(l) == 0) sole.push_back(l);
  return sole;
}

std::vector<std::string> nomi_in_cartella(const std::string& cartella) {
  namespace fs = std::filesystem;
  std::error_code e;
  std::vector<std::string> nomi;
  // UTF-8 both ways, whatever the system's narrow code page.
  fs::directory_iterator it(fs::path(std::u8string(cartella.begin(), cartella.end())), e);
  for (; !e && it != fs::directory_iterator(); it.increment(e)) {
    const std::u8string nome = it->path().filename().u8string();
    nomi.emplace_back(nome.begin(), nome.end());
  }
  if (e) throw piattaforma::ErroreFile(cartella, "list", e.message());
  return nomi;
}

}  // namespace ispettore
