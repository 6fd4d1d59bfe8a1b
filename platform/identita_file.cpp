#include "platform/identita_file.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/errore_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace piattaforma {
namespace {

namespace fs = std::filesystem;

// A UTF-8 path as the system's path type, and back.
fs::path percorso_di(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string utf8_di(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// True when two names (or resolved paths) name one entry: byte for byte,
// and on Windows, whose file systems ignore case, with ASCII letters
// compared case-blind.
bool stesso_nome(const std::string& a, const std::string& b) {
#ifdef _WIN32
  auto minuscola = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return minuscola(x) == minuscola(y); });
#else
  return a == b;
#endif
}

// The folder a path's last name stands in: "." for a bare name.
std::string cartella_di(const fs::path& p) {
  const fs::path c = p.parent_path();
  return c.empty() ? std::string(".") : utf8_di(c);
}

// The absolute path with the links and "."/".." of its existing part
// resolved. Throws ErroreFile naming `originale`.
std::string risolto(const fs::path& p, const std::string& originale) {
  std::error_code errore;
  fs::path r = fs::absolute(p, errore);
  if (!errore) r = fs::weakly_canonical(r, errore);
  if (errore) throw ErroreFile(originale, "examine", errore.message());
  return utf8_di(r);
}

#ifdef _WIN32

// The system's text for a GetLastError code.
std::string motivo_windows(DWORD codice) { return std::system_category().message(static_cast<int>(codice)); }

bool codice_mancante(DWORD codice) {
  return codice == ERROR_FILE_NOT_FOUND || codice == ERROR_PATH_NOT_FOUND ||
         codice == ERROR_INVALID_NAME || codice == ERROR_BAD_NETPATH;
}

#endif

}  // namespace

#ifdef _WIN32

// Opens the path for no access at all (enough to ask about it), links
// followed, and asks for its volume serial number and file ID.
std::optional<identita_file> identita_di(const std::string& percorso) {
  const HANDLE h = CreateFileW(percorso_di(percorso).c_str(), 0,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD codice = GetLastError();
    if (codice_mancante(codice)) return std::nullopt;
    throw ErroreFile(percorso, "examine", motivo_windows(codice));
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool letta = GetFileInformationByHandle(h, &info) != 0;
  const DWORD codice = GetLastError();
  CloseHandle(h);
  if (!letta) throw ErroreFile(percorso, "examine", motivo_windows(codice));
  return identita_file{info.dwVolumeSerialNumber,
                       (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

// The attributes tell a link (any reparse point) and a folder; what the
// handle's type is tells a disk file from a device or a pipe.
tipo_file tipo_di(const std::string& percorso) {
  const std::wstring largo = percorso_di(percorso).wstring();
  const DWORD attributi = GetFileAttributesW(largo.c_str());
  if (attributi == INVALID_FILE_ATTRIBUTES) {
    const DWORD codice = GetLastError();
    if (codice_mancante(codice)) return tipo_file::mancante;
    throw ErroreFile(percorso, "examine", motivo_windows(codice));
  }
  if (attributi & FILE_ATTRIBUTE_REPARSE_POINT) return tipo_file::collegamento;
  if (attributi & FILE_ATTRIBUTE_DIRECTORY) return tipo_file::cartella;
  const HANDLE h = CreateFileW(largo.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return tipo_file::regolare;
  const DWORD tipo = GetFileType(h);
  CloseHandle(h);
  switch (tipo) {
    case FILE_TYPE_DISK: return tipo_file::regolare;
    case FILE_TYPE_CHAR: return tipo_file::dispositivo;
    case FILE_TYPE_PIPE: return tipo_file::fifo;
    default: return tipo_file::altro;
  }
}

#else

// stat follows links: the identity is the target's.
std::optional<identita_file> identita_di(const std::string& percorso) {
  struct stat info;
  if (::stat(percorso.c_str(), &info) == 0)
    return identita_file{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
  if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
  throw ErroreFile(percorso, "examine", std::generic_category().message(errno));
}

// lstat leaves the last name's link unfollowed.
tipo_file tipo_di(const std::string& percorso) {
  struct stat info;
  if (::lstat(percorso.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return tipo_file::mancante;
    throw ErroreFile(percorso, "examine", std::generic_category().message(errno));
  }
  if (S_ISREG(info.st_mode)) return tipo_file::regolare;
  if (S_ISDIR(info.st_mode)) return tipo_file::cartella;
  if (S_ISLNK(info.st_mode)) return tipo_file::collegamento;
  if (S_ISFIFO(info.st_mode)) return tipo_file::fifo;
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return tipo_file::dispositivo;
  return tipo_file::altro;
}

#endif

bool stesso_file(const std::string& a, const std::string& b) {
  const auto ia = identita_di(a);
  const auto ib = identita_di(b);
  if (ia || ib) return ia && ib && *ia == *ib;
  // Neither is there yet: the same name in the same folder.
  const fs::path pa = percorso_di(a);
  const fs::path pb = percorso_di(b);
  if (!stesso_nome(utf8_di(pa.filename()), utf8_di(pb.filename()))) return false;
  const auto ca = identita_di(cartella_di(pa));
  const auto cb = identita_di(cartella_di(pb));
  if (ca || cb) return ca && cb && *ca == *cb;
  // Their folders are missing too: the paths with what exists resolved.
  return stesso_nome(risolto(pa, a), risolto(pb, b));
}

std::string descrivi(tipo_file t) {
  switch (t) {
    case tipo_file::mancante: return "missing";
    case tipo_file::regolare: return "a regular file";
    case tipo_file::cartella: return "a folder";
    case tipo_file::collegamento: return "a symbolic link";
    case tipo_file::fifo: return "a FIFO (named pipe)";
    case tipo_file::dispositivo: return "a device";
    case tipo_file::altro: break;
  }
  return "a socket or other special file";
}

std::string motivo_non_regolare(tipo_file t) {
  if (t == tipo_file::collegamento) return "it is a symbolic link; links are not followed";
  return "it is " + descrivi(t) + ", not a regular file";
}

}  // namespace piattaforma
