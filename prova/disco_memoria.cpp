#include "prova/disco_memoria.h"

#include "platform/errore_file.h"

namespace piattaforma {
namespace {

void verifica(const DiscoMemoria::Guasto& guasto, std::string_view operazione,
              const std::string& percorso) {
  if (!guasto) return;
  std::string motivo = guasto(operazione, percorso);
  if (!motivo.empty()) throw ErroreFile(percorso, std::string(operazione), motivo);
}

}  // namespace

bool DiscoMemoria::esiste(const std::string& percorso) { return file.count(percorso) != 0; }

std::string DiscoMemoria::leggi(const std::string& percorso) {
  verifica(guasto, "read", percorso);
  auto it = file.find(percorso);
  if (it == file.end()) throw ErroreFile(percorso, "read", "No such file or directory");
  byte_letti += it->second.size();
  return it->second;
}

Disco::inizio_file DiscoMemoria::leggi_inizio(const std::string& percorso, size_t massimo) {
  verifica(guasto, "read", percorso);
  auto it = file.find(percorso);
  if (it == file.end()) throw ErroreFile(percorso, "read", "No such file or directory");
  inizio_file letto{it->second.substr(0, massimo), it->second.size()};
  byte_letti += letto.byte.size();
  return letto;
}

void DiscoMemoria::sostituisci(const std::string& percorso, std::string_view contenuto) {
  verifica(guasto, "replace", percorso);
  file[percorso] = std::string(contenuto);
  sostituiti.push_back(percorso);
}

void DiscoMemoria::elimina(const std::string& percorso) {
  verifica(guasto, "delete", percorso);
  file.erase(percorso);
}

void DiscoMemoria::sposta_senza_sostituire(const std::string& da, const std::string& a) {
  verifica(guasto, "rename", da);
  auto it = file.find(da);
  if (it == file.end()) throw ErroreFile(da, "rename", "No such file or directory");
  if (file.count(a)) throw ErroreFile(a, "create", "a file of that name is there already");
  file[a] = std::move(it->second);
  file.erase(da);
}

}  // namespace piattaforma
