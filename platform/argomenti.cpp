#include "platform/argomenti.h"

#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace piattaforma {

std::vector<std::string> argomenti_utf8(int argc, char** argv) {
#ifdef _WIN32
  int n = 0;
  LPWSTR* larghi = CommandLineToArgvW(GetCommandLineW(), &n);
  if (larghi != nullptr) {
    std::vector<std::string> risultato;
    for (int i = 1; i < n; ++i) {
      const int byte = WideCharToMultiByte(CP_UTF8, 0, larghi[i], -1, nullptr, 0, nullptr, nullptr);
      std::string utf8(static_cast<size_t>(byte > 0 ? byte - 1 : 0), '\0');
      if (byte > 1)
        WideCharToMultiByte(CP_UTF8, 0, larghi[i], -1, utf8.data(), byte, nullptr, nullptr);
      risultato.push_back(std::move(utf8));
    }
    LocalFree(larghi);
    return risultato;
  }
#endif
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace piattaforma
