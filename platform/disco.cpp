#include "platform/disco.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/errore_file.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace piattaforma {
namespace {

// The C library's text for an errno value.
std::string motivo_errno(int numero) { return std::strerror(numero); }

#ifdef _WIN32

// Converts a UTF-8 path to the UTF-16 the wide file APIs take; malformed
// bytes become U+FFFD (such a path then names no existing file).
std::wstring largo(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

// The system's text for a GetLastError code, as UTF-8.
std::string motivo_windows(DWORD codice) {
  wchar_t* testo = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, codice, 0, reinterpret_cast<wchar_t*>(&testo), 0, nullptr);
  std::string risultato = "system error " + std::to_string(codice);
  if (testo != nullptr) {
    int n = WideCharToMultiByte(CP_UTF8, 0, testo, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, testo, -1, utf8.data(), n, nullptr, nullptr);
    LocalFree(testo);
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r' || utf8.back() == ' '))
      utf8.pop_back();
    if (!utf8.empty()) risultato = utf8;
  }
  return risultato;
}

#endif

}  // namespace

// Asks the file system whether a regular file (not a folder) is there.
bool DiscoReale::esiste(const std::string& percorso) {
#ifdef _WIN32
  DWORD attributi = GetFileAttributesW(largo(percorso).c_str());
  return attributi != INVALID_FILE_ATTRIBUTES && !(attributi & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat info;
  return ::stat(percorso.c_str(), &info) == 0 && S_ISREG(info.st_mode);
#endif
}

// Reads the whole file in binary mode.
std::string DiscoReale::leggi(const std::string& percorso) {
#ifdef _WIN32
  std::FILE* f = _wfopen(largo(percorso).c_str(), L"rb");
#else
  std::FILE* f = std::fopen(percorso.c_str(), "rb");
#endif
  if (f == nullptr) throw ErroreFile(percorso, "read", motivo_errno(errno));
  std::string contenuto;
  char blocco[65536];
  size_t letti;
  while ((letti = std::fread(blocco, 1, sizeof blocco, f)) > 0) contenuto.append(blocco, letti);
  bool guasto = std::ferror(f) != 0;
  int numero = errno;
  std::fclose(f);
  if (guasto) throw ErroreFile(percorso, "read", motivo_errno(numero));
  return contenuto;
}

// Writes "<path>.nuovo", flushes it to the device, then renames it over
// the path; on failure the temporary is removed and the old file stays.
void DiscoReale::sostituisci(const std::string& percorso, std::string_view contenuto) {
  const std::string temporaneo = percorso + ".nuovo";
#ifdef _WIN32
  std::FILE* f = _wfopen(largo(temporaneo).c_str(), L"wb");
  if (f == nullptr) throw ErroreFile(percorso, "create", motivo_errno(errno));
  bool scritto = std::fwrite(contenuto.data(), 1, contenuto.size(), f) == contenuto.size() &&
                 std::fflush(f) == 0 && _commit(_fileno(f)) == 0;
  int numero = errno;
  bool chiuso = std::fclose(f) == 0;
  if (scritto && !chiuso) numero = errno;
  if (!scritto || !chiuso) {
    _wremove(largo(temporaneo).c_str());
    throw ErroreFile(percorso, "write", motivo_errno(numero));
  }
  if (!MoveFileExW(largo(temporaneo).c_str(), largo(percorso).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD codice = GetLastError();
    _wremove(largo(temporaneo).c_str());
    throw ErroreFile(percorso, "replace", motivo_windows(codice));
  }
#else
  int fd = ::open(temporaneo.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw ErroreFile(percorso, "create", motivo_errno(errno));
  const char* dati = contenuto.data();
  size_t restanti = contenuto.size();
  while (restanti > 0) {
    ssize_t n = ::write(fd, dati, restanti);
    if (n < 0) {
      if (errno == EINTR) continue;
      int numero = errno;
      ::close(fd);
      ::unlink(temporaneo.c_str());
      throw ErroreFile(percorso, "write", motivo_errno(numero));
    }
    dati += n;
    restanti -= static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    int numero = errno;
    ::unlink(temporaneo.c_str());
    throw ErroreFile(percorso, "write", motivo_errno(numero));
  }
  if (::rename(temporaneo.c_str(), percorso.c_str()) != 0) {
    int numero = errno;
    ::unlink(temporaneo.c_str());
    throw ErroreFile(percorso, "replace", motivo_errno(numero));
  }
#endif
}

// Deletes the file; one that is already missing is fine.
void DiscoReale::elimina(const std::string& percorso) {
#ifdef _WIN32
  if (!DeleteFileW(largo(percorso).c_str())) {
    DWORD codice = GetLastError();
    if (codice == ERROR_FILE_NOT_FOUND || codice == ERROR_PATH_NOT_FOUND) return;
    throw ErroreFile(percorso, "delete", motivo_windows(codice));
  }
#else
  if (::unlink(percorso.c_str()) != 0 && errno != ENOENT)
    throw ErroreFile(percorso, "delete", motivo_errno(errno));
#endif
}

}  // namespace piattaforma
