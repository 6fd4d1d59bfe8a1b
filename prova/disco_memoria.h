#pragma once
// A disk held in memory, for tests and the fuzz target: the same contract
// as the real one, plus a seam to make any chosen operation fail.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/disco.h"

namespace piattaforma {

class DiscoMemoria : public Disco {
 public:
  // Called before each operation with its name ("read", "replace",
  // "delete", "rename") and the path, and before each flush of a folder
  // with "flush" and the folder; returning a reason makes it fail with
  // that reason, returning an empty string lets it proceed.
  using Guasto = std::function<std::string(std::string_view operazione, const std::string& percorso)>;

  bool esiste(const std::string& percorso) override;
  std::string leggi(const std::string& percorso) override;
  // A replacement is durable once its folder is flushed: at once outside
  // a series, at the series' end inside one, as on the real disk.
  void sostituisci(const std::string& percorso, std::string_view contenuto) override;
  // Replaces as sostituisci does, but the file is never made durable.
  void sostituisci_provvisorio(const std::string& percorso, std::string_view contenuto) override;
  void inizia_serie() override;
  void fine_serie() override;
  void elimina(const std::string& percorso) override;
  void sposta_senza_sostituire(const std::string& da, const std::string& a) override;
  // Copies at most `massimo` bytes, as the real disk reads them.
  inizio_file leggi_inizio(const std::string& percorso, size_t massimo) override;

  // Files by path; tests may read and change it directly.
  std::map<std::string, std::string> file;
  // Paths replaced so far, in order (provisional ones included).
  std::vector<std::string> sostituiti;
  // Paths replaced by sostituisci_provvisorio, in order: never flushed.
  std::vector<std::string> provvisori;
  // Paths replaced by sostituisci whose rename no folder flush has made
  // durable yet; empty when every file replaced so far is on the device.
  std::set<std::string> in_sospeso;
  // Folders flushed so far, in order, one entry per flush.
  std::vector<std::string> cartelle_scaricate;
  Guasto guasto;
  // Bytes handed out by leggi and leggi_inizio so far, to show how much a
  // reader took.
  size_t byte_letti = 0;

 private:
  // Flushes `cartella`: the renames pending in it become durable.
  void scarica_cartella(const std::string& cartella);

  int serie_aperte_ = 0;
};

}  // namespace piattaforma
