#include "prova/disco_memoria.h"

#include "platform/cartella_programma.h"
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
  in_sospeso.insert(percorso);
  if (serie_aperte_ == 0) scarica_cartella(cartella_di(percorso));
}

void DiscoMemoria::sostituisci_provvisorio(const std::string& percorso, std::string_view contenuto) {
  verifica(guasto, "replace", percorso);
  file[percorso] = std::string(contenuto);
  sostituiti.push_back(percorso);
  provvisori.push_back(percorso);
}

void DiscoMemoria::inizia_serie() { ++serie_aperte_; }

// Flushes, once each, the folders that hold a pending rename; the series
// is over even when a flush fails.
void DiscoMemoria::fine_serie() {
  if (serie_aperte_ == 0 || --serie_aperte_ > 0) return;
  std::set<std::string> cartelle;
  for (const std::string& p : in_sospeso) cartelle.insert(cartella_di(p));
  for (const std::string& c : cartelle) scarica_cartella(c);
}

void DiscoMemoria::scarica_cartella(const std::string& cartella) {
  verifica(guasto, "flush", cartella);
  cartelle_scaricate.push_back(cartella);
  std::erase_if(in_sospeso, [&](const std::string& p) { return cartella_di(p) == cartella; });
}

void DiscoMemoria::elimina(const std::string& percorso) {
  verifica(guasto, "delete", percorso);
  file.erase(percorso);
  in_sospeso.erase(percorso);
}

void DiscoMemoria::sposta_senza_sostituire(const std::string& da, const std::string& a) {
  verifica(guasto, "rename", da);
  auto it = file.find(da);
  if (it == file.end()) throw ErroreFile(da, "rename", "No such file or directory");
  if (file.count(a)) throw ErroreFile(a, "create", "a file of that name is there already");
  file[a] = std::move(it->second);
  file.erase(da);
  scarica_cartella(cartella_di(a));
}

}  // namespace piattaforma
