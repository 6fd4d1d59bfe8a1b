#pragma once
// For tests and benchmarks: a scratch folder of their own under the
// system's temporary folder, created empty and removed with all it holds.

#include <filesystem>
#include <string>

namespace prova {

class CartellaTemporanea {
 public:
  // Creates an empty folder whose name begins with `nome` and is unique to
  // this process and this object; `nome` may hold blanks and any letter
  // the file system takes. Throws std::filesystem::filesystem_error when
  // it cannot be created.
  explicit CartellaTemporanea(const std::string& nome);
  // Removes the folder and everything in it; errors are ignored.
  ~CartellaTemporanea();
  CartellaTemporanea(const CartellaTemporanea&) = delete;
  CartellaTemporanea& operator=(const CartellaTemporanea&) = delete;

  const std::filesystem::path& percorso() const { return percorso_; }
  std::string str() const { return percorso_.string(); }
  // The path of `nome` inside the folder.
  std::filesystem::path operator/(const std::filesystem::path& nome) const {
    return percorso_ / nome;
  }

 private:
  std::filesystem::path percorso_;
};

}  // namespace prova
