#include "prova/cartella_temporanea.h"

#include <atomic>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace prova {
namespace {

// The id of this process, so that two test programs never share a folder.
unsigned long processo() {
#ifdef _WIN32
  return static_cast<unsigned long>(GetCurrentProcessId());
#else
  return static_cast<unsigned long>(::getpid());
#endif
}

}  // namespace

CartellaTemporanea::CartellaTemporanea(const std::string& nome) {
  static std::atomic<unsigned> contatore{0};
  namespace fs = std::filesystem;
  const std::string foglia =
      nome + "_" + std::to_string(processo()) + "_" + std::to_string(contatore++);
  // The name is UTF-8 on every system.
  percorso_ = fs::temp_directory_path() / fs::path(std::u8string(foglia.begin(), foglia.end()));
  fs::remove_all(percorso_);
  fs::create_directories(percorso_);
}

CartellaTemporanea::~CartellaTemporanea() {
  std::error_code ignorato;
  std::filesystem::remove_all(percorso_, ignorato);
}

}  // namespace prova
