#include "platform/console.h"

#include <cstdio>

namespace piattaforma {

void messaggio(std::string_view testo) {
  std::fwrite(testo.data(), 1, testo.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void messaggio_errore(std::string_view testo) {
  std::fwrite(testo.data(), 1, testo.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace piattaforma
