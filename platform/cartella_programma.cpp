#include "platform/cartella_programma.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/errore_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace piattaforma {

std::string cartella_programma() {
#ifdef _WIN32
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) throw ErroreFile("(program)", "locate", "GetModuleFileNameW failed");
    if (n < buffer.size()) {
      std::wstring eseguibile(buffer.data(), n);
      auto fine = eseguibile.find_last_of(L"\\/");
      std::wstring cartella = fine == std::wstring::npos ? L"." : eseguibile.substr(0, fine);
      int lunghezza = WideCharToMultiByte(CP_UTF8, 0, cartella.c_str(), -1, nullptr, 0,
                                          nullptr, nullptr);
      std::string utf8(static_cast<size_t>(lunghezza > 0 ? lunghezza - 1 : 0), '\0');
      WideCharToMultiByte(CP_UTF8, 0, cartella.c_str(), -1, utf8.data(), lunghezza, nullptr,
                          nullptr);
      return utf8;
    }
    buffer.resize(buffer.size() * 2);
  }
#else
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) throw ErroreFile("/proc/self/exe", "read the link", std::strerror(errno));
    if (static_cast<size_t>(n) < buffer.size()) {
      std::string eseguibile(buffer.data(), static_cast<size_t>(n));
      auto fine = eseguibile.find_last_of('/');
      if (fine == std::string::npos) return ".";
      if (fine == 0) return "/";
      return eseguibile.substr(0, fine);
    }
    buffer.resize(buffer.size() * 2);
  }
#endif
}

std::string unisci_percorso(const std::string& cartella, const std::string& nome) {
  return cartella + separatore + nome;
}

}  // namespace piattaforma
