#include "platform/file_testo.h"

#include <stdexcept>

#include "platform/errore_file.h"
#include "platform/windows1252.h"

namespace piattaforma {

std::vector<std::string> tabella_righe(std::string_view contenuto, std::string_view nome) {
  const std::string chi(nome);
  if (!contenuto.empty() && contenuto.back() != '\n')
    throw std::logic_error(chi + ": content must end with a line feed");
  std::vector<std::string> tabella;
  size_t inizio = 0;
  while (inizio < contenuto.size()) {
    size_t fine = contenuto.find('\n', inizio);
    std::string_view riga = contenuto.substr(inizio, fine - inizio);
    if (riga.find('\r') != std::string_view::npos)
      throw std::logic_error(chi + ": line " + std::to_string(tabella.size() + 1) +
                             " holds a carriage return");
    if (riga == marcatore_fine)
      throw std::logic_error(chi + ": line " + std::to_string(tabella.size() + 1) +
                             " is the end marker");
    tabella.emplace_back(riga);
    inizio = fine + 1;
  }
  if (tabella.size() + 1 > capacita_tabella)
    throw std::logic_error(chi + ": more lines than a table holds");
  tabella.emplace_back(marcatore_fine);
  return tabella;
}

std::string testo_crlf(const std::vector<std::string>& tabella, const std::string& percorso) {
  std::string testo;
  for (size_t i = 0; tabella.at(i) != marcatore_fine; ++i) {
    size_t colonna = 0;
    auto byte = in_windows1252(tabella[i], &colonna);
    if (!byte)
      throw ErroreFile(percorso, "encode",
                       "line " + std::to_string(i + 1) + ", character " + std::to_string(colonna) +
                           ": no Windows-1252 byte for it");
    testo += *byte;
    testo += "\r\n";
  }
  return testo;
}

void scrivi_tabella(Disco& disco, const std::string& percorso,
                    const std::vector<std::string>& tabella) {
  disco.sostituisci(percorso, testo_crlf(tabella, percorso));
}

}  // namespace piattaforma
