#pragma once
// A disk held in memory, for tests and the fuzz target: the same contract
// as the real one, plus a seam to make any chosen operation fail.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/disco.h"

namespace piattaforma {

class DiscoMemoria : public Disco {
 public:
  // Called before each operation with its name ("read", "replace",
  // "delete") and the path; returning a reason makes it fail with that
  // reason, returning an empty string lets it proceed.
  using Guasto = std::function<std::string(std::string_view operazione, const std::string& percorso)>;

  bool esiste(const std::string& percorso) override;
  std::string leggi(const std::string& percorso) override;
  void sostituisci(const std::string& percorso, std::string_view contenuto) override;
  void elimina(const std::string& percorso) override;
  void sposta_senza_sostituire(const std::string& da, const std::string& a) override;
  // Copies at most `massimo` bytes, as the real disk reads them.
  inizio_file leggi_inizio(const std::string& percorso, size_t massimo) override;

  // Files by path; tests may read and change it directly.
  std::map<std::string, std::string> file;
  // Paths replaced so far, in order.
  std::vector<std::string> sostituiti;
  Guasto guasto;
  // Bytes handed out by leggi and leggi_inizio so far, to show how much a
  // reader took.
  size_t byte_letti = 0;
};

}  // namespace piattaforma
