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

#ifdef _WIN32
namespace {

// Converts UTF-16 from the system to UTF-8; requires well-formed input
// (unpaired surrogates become U+FFFD).
std::string in_utf8(const std::wstring& largo) {
  if (largo.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, largo.data(), static_cast<int>(largo.size()),
                                    nullptr, 0, nullptr, nullptr);
  if (n <= 0) throw ErroreFile("(program)", "locate", "the program's path is not valid Unicode");
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, largo.data(), static_cast<int>(largo.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

}  // namespace
#endif

// Asks the system for the running executable's path and drops its file name;
// a drive root keeps its backslash ("C:\").
std::string cartella_programma() {
#ifdef _WIN32
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) throw ErroreFile("(program)", "locate", "GetModuleFileNameW failed");
    if (n < buffer.size()) {
      const std::wstring eseguibile(buffer.data(), n);
      const auto fine = eseguibile.find_last_of(L"\\/");
      if (fine == std::wstring::npos) return ".";
      // "C:\prog.exe" lives in "C:\", not in "C:" (that drive's working directory).
      const bool radice = fine == 2 && eseguibile[1] == L':';
      return in_utf8(eseguibile.substr(0, radice ? fine + 1 : fine));
    }
    // Truncated: try again with a larger buffer.
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

// Joins folder and name with one native separator, always added.
std::string unisci_percorso(const std::string& cartella, const std::string& nome) {
  return cartella + separatore + nome;
}

// The part before the last separator, the separators that double it
// belonging to it; what is left at a root is the root itself.
std::string cartella_di(const std::string& percorso) {
#ifdef _WIN32
  const size_t fine = percorso.find_last_of("\\/");
#else
  const size_t fine = percorso.find_last_of('/');
#endif
  if (fine == std::string::npos) return ".";
  size_t inizio_cartella = fine;
  // A doubled separator after a root ("C:\\f", "//f") belongs to the root.
  while (inizio_cartella > 0 &&
         (percorso[inizio_cartella - 1] == '/' || percorso[inizio_cartella - 1] == '\\'))
    --inizio_cartella;
  std::string cartella = percorso.substr(0, inizio_cartella);
  if (cartella.empty() || cartella.back() == ':') cartella = percorso.substr(0, inizio_cartella + 1);
  return cartella;
}

}  // namespace piattaforma
