#pragma once
// The file system as the builder sees it: whole files, read, replaced or
// removed by path. Paths are UTF-8. Tests substitute a fake disk.

#include <string>
#include <string_view>

namespace piattaforma {

class Disco {
 public:
  virtual ~Disco() = default;

  // True when the path names an existing regular file.
  virtual bool esiste(const std::string& percorso) = 0;

  // Returns every byte of the file. Throws ErroreFile when it cannot be read.
  virtual std::string leggi(const std::string& percorso) = 0;

  // Replaces the file with exactly `contenuto`, creating it when missing.
  // The new bytes go to a temporary file in the same folder that is then
  // renamed over the old one, so a failure part-way leaves the old file
  // whole (or no file) and never a truncated one. Throws ErroreFile.
  virtual void sostituisci(const std::string& percorso, std::string_view contenuto) = 0;

  // Removes the file. A missing file is not an error. Throws ErroreFile.
  virtual void elimina(const std::string& percorso) = 0;
};

// The real file system of the machine.
class DiscoReale : public Disco {
 public:
  bool esiste(const std::string& percorso) override;
  std::string leggi(const std::string& percorso) override;
  void sostituisci(const std::string& percorso, std::string_view contenuto) override;
  void elimina(const std::string& percorso) override;
};

}  // namespace piattaforma
