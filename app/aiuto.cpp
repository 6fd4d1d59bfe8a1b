#include "app/aiuto.h"

#include <algorithm>
#include <utility>

#include "app/sequenza.h"

namespace scenario {

richiesta richiesta_da(const std::vector<std::string>& argomenti) {
  auto dato = [&](std::initializer_list<const char*> nomi) {
    return std::any_of(argomenti.begin(), argomenti.end(), [&](const std::string& a) {
      return std::find(nomi.begin(), nomi.end(), a) != nomi.end();
    });
  };
  if (dato({"--help", "-h", "/?"})) return richiesta::aiuto;
  if (dato({"--version"})) return richiesta::versione;
  return richiesta::costruisci;
}

std::string testo_aiuto(const std::string& cartella) {
  const std::string l = linea_scenario;
  const std::string t = treno_scenario;
  std::string testo = "Usage: crea_scenario\n"
                      "       crea_scenario --help | -h | /?\n"
                      "       crea_scenario --version\n"
                      "\n"
                      "Builds one scenario, the route \"" + l + "\" with the train\n"
                      "\"" + t + "\", into the folder that holds this program (not the\n"
                      "working folder)";
  testo += cartella.empty() ? std::string(".\n") : ":\n  " + cartella + "\n";
  testo += "It says \"Attendere\" and replaces these files there, each whole:\n";
  const std::pair<std::string, const char*> file[] = {
      {nome_sorgente_linea(l), "line source (read back and removed)"},
      {nome_sorgente_treno(l, t), "train source (read back and removed)"},
      {nome_note(l, t), "scenario notes"},
      {nome_rallentamenti(l, t), "slowdown order form"},
      {nome_scheda(l, t), "train sheet"},
      {nome_pacchetto_linea(l), "packed line file"},
      {nome_pacchetto_voci(l, t), "packed item file"},
      {nome_pacchetto_celle(l, t), "packed track file"},
  };
  size_t larghezza = 0;
  for (const auto& [nome, cosa] : file) larghezza = std::max(larghezza, nome.size());
  for (const auto& [nome, cosa] : file)
    testo += "  " + nome + std::string(larghezza - nome.size() + 2, ' ') + cosa + "\n";
  testo += "It takes no other argument (any other is ignored) and reads no\n"
           "configuration. A second run in the same folder waits for the first,\n"
           "up to " + std::to_string(attesa_blocco.count()) + " seconds, on the lock file " +
           nome_blocco + ".\n"
           "\n"
           "Options (each writes nothing):\n"
           "  --help, -h, /?  print this text\n"
           "  --version       print the version\n"
           "\n"
           "Exit status:\n"
           "  0  every file written; the scenario data holds no error\n"
           "  1  a file could not be created, written, flushed, renamed, read or\n"
           "     removed, a path is too long, or another run held the folder's lock\n"
           "     (the message names the file, the reason and what to do)\n"
           "  2  the packed files were written, but the scenario data holds an error\n"
           "     (the message gives its code and, where it has one, the chainage)\n"
           "  3  \" Errore n. 1250\" or \" Errore n. 1251\": a header slot of the packed\n"
           "     files was already taken; no packed file was written\n"
           "  4  the line source gave no route length; no packed file was written\n"
           "  5  an unexpected fault of the program itself\n";
  return testo;
}

}  // namespace scenario
