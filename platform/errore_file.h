#pragma once
// A file operation that failed: which file, what was being done, and the
// system's reason. Every platform operation on files throws it.

#include <stdexcept>
#include <string>

namespace piattaforma {

class ErroreFile : public std::runtime_error {
 public:
  ErroreFile(std::string percorso, std::string operazione, std::string motivo);

  const std::string& percorso() const { return percorso_; }
  const std::string& operazione() const { return operazione_; }
  const std::string& motivo() const { return motivo_; }

 private:
  std::string percorso_;
  std::string operazione_;
  std::string motivo_;
};

// The folder's lock stayed with another program for the whole wait.
class ErroreOccupato : public ErroreFile {
 public:
  using ErroreFile::ErroreFile;
};

}  // namespace piattaforma
