#include "platform/disco.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/area_zeri.h"
#include "platform/cartella_programma.h"
#include "platform/coda_sfondo.h"
#include "platform/errore_file.h"
#include "platform/identita_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace piattaforma {
namespace {

// Tries with fresh random names before giving up on creating a temporary.
constexpr int tentativi_temporaneo = 100;
// Pause between two tries to take a lock that another process holds.
constexpr std::chrono::milliseconds pausa_blocco{50};

// 16 lower-case hexadecimal digits from the system's random source, opened
// once per thread (opening it costs more than the names it gives).
std::string cifre_casuali() {
  thread_local std::random_device sorgente;
  const uint64_t valore = (uint64_t{sorgente()} << 32) ^ uint64_t{sorgente()};
  char testo[cifre_temporaneo + 1];
  std::snprintf(testo, sizeof testo, "%016llx", static_cast<unsigned long long>(valore));
  return testo;
}

// The folder and the bare name of a path.
std::pair<std::string, std::string> dividi(const std::string& percorso) {
#ifdef _WIN32
  const size_t fine = percorso.find_last_of("\\/");
#else
  const size_t fine = percorso.find_last_of('/');
#endif
  return {cartella_di(percorso), fine == std::string::npos ? percorso : percorso.substr(fine + 1)};
}

// A message for a lock that stayed taken for the whole wait.
std::string motivo_occupato(std::chrono::milliseconds attesa) {
  return "another run of the program is building in this folder and did not end within " +
         std::to_string(attesa.count() / 1000) + " seconds; start it again when that run has ended";
}

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

// Converts UTF-16 from the system to UTF-8.
std::string stretto(const std::wstring& utf16) {
  if (utf16.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

// The system's text for a GetLastError code, as UTF-8.
std::string motivo_windows(DWORD codice) {
  wchar_t* testo = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, codice, 0, reinterpret_cast<wchar_t*>(&testo), 0, nullptr);
  std::string risultato = "system error " + std::to_string(codice);
  if (testo != nullptr) {
    std::string utf8 = stretto(testo);
    LocalFree(testo);
    while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r' || utf8.back() == ' '))
      utf8.pop_back();
    if (!utf8.empty()) risultato = utf8;
  }
  return risultato;
}

// The last error of the calling thread, as an ErroreFile naming `percorso`.
ErroreFile errore_windows(const std::string& percorso, const char* operazione) {
  return ErroreFile(percorso, operazione, motivo_windows(GetLastError()));
}

// Owns a handle and closes it when dropped; chiudi() closes it earlier and
// reports a failure.
class Maniglia {
 public:
  explicit Maniglia(HANDLE h) : h_(h) {}
  Maniglia(const Maniglia&) = delete;
  Maniglia& operator=(const Maniglia&) = delete;
  Maniglia& operator=(Maniglia&& altra) noexcept {
    std::swap(h_, altra.h_);
    return *this;
  }
  ~Maniglia() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  HANDLE h() const { return h_; }
  // Closes now; 0 when it went well, else the system's error code.
  DWORD chiudi() {
    if (h_ == INVALID_HANDLE_VALUE) return 0;
    HANDLE h = std::exchange(h_, INVALID_HANDLE_VALUE);
    return CloseHandle(h) ? 0 : GetLastError();
  }
  // Hands the handle over to the caller, who closes it.
  HANDLE rilascia() { return std::exchange(h_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE h_;
};

// Holds a LockFileEx lock until it is dropped; closing the handle releases it.
class BloccoWindows : public Disco::Blocco {
 public:
  explicit BloccoWindows(HANDLE h) : h_(h) {}
  ~BloccoWindows() override { CloseHandle(h_); }

 private:
  HANDLE h_;
};

// A folder has nothing to flush here: every move is written through.
void scarica_cartella(const std::string&) {}

// A temporary file written whole and still open, waiting for its flush and
// its move over `percorso`.
struct temporaneo_scritto {
  Maniglia f{INVALID_HANDLE_VALUE};
  std::string temporaneo;
  std::string percorso;
};

// Closes and deletes the temporary; the old file stays.
void abbandona_temporaneo(temporaneo_scritto& t) noexcept {
  t.f.chiudi();
  DeleteFileW(largo(t.temporaneo).c_str());
}

// Creates "<path>.nuovo-<random>" with CREATE_NEW (which never opens what
// already stands there, a link included) and writes it whole through the
// system's cache. On failure the temporary is removed.
std::unique_ptr<temporaneo_scritto> scrivi_temporaneo(const std::string& percorso,
                                                      std::string_view contenuto, bool) {
  auto t = std::make_unique<temporaneo_scritto>();
  t->percorso = percorso;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int tentativo = 0; tentativo < tentativi_temporaneo && h == INVALID_HANDLE_VALUE;
       ++tentativo) {
    t->temporaneo = percorso + std::string(segno_temporaneo) + cifre_casuali();
    h = CreateFileW(largo(t->temporaneo).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
        GetLastError() != ERROR_ALREADY_EXISTS)
      throw errore_windows(t->temporaneo, "create");
  }
  if (h == INVALID_HANDLE_VALUE)
    throw ErroreFile(t->temporaneo, "create", "every fresh temporary name was taken");
  t->f = Maniglia(h);
  try {
    size_t scritti = 0;
    while (scritti < contenuto.size()) {
      const DWORD parte = static_cast<DWORD>(std::min<size_t>(contenuto.size() - scritti, 1u << 30));
      DWORD fatti = 0;
      if (!WriteFile(t->f.h(), contenuto.data() + scritti, parte, &fatti, nullptr))
        throw errore_windows(t->temporaneo, "write");
      scritti += fatti;
    }
  } catch (...) {
    abbandona_temporaneo(*t);
    throw;
  }
  return t;
}

// Flushes the temporary (when `scarica`), closes it and moves it over its
// path, written through when `scarica`. Throws ErroreFile.
void scarica_e_sposta(temporaneo_scritto& t, bool scarica) {
  if (scarica && !FlushFileBuffers(t.f.h())) throw errore_windows(t.temporaneo, "flush");
  if (DWORD codice = t.f.chiudi(); codice != 0)
    throw ErroreFile(t.temporaneo, "close", motivo_windows(codice));
  if (!MoveFileExW(largo(t.temporaneo).c_str(), largo(t.percorso).c_str(),
                   MOVEFILE_REPLACE_EXISTING | (scarica ? MOVEFILE_WRITE_THROUGH : 0)))
    throw errore_windows(t.percorso, "replace");
}

#else

// The C library's text for an errno value.
std::string motivo_errno(int numero) { return std::strerror(numero); }

// errno as an ErroreFile naming `percorso`.
ErroreFile errore_errno(const std::string& percorso, const char* operazione) {
  return ErroreFile(percorso, operazione, motivo_errno(errno));
}

// Owns a descriptor and closes it when dropped; chiudi() closes it earlier
// and reports a failure.
class Descrittore {
 public:
  explicit Descrittore(int fd) : fd_(fd) {}
  Descrittore(const Descrittore&) = delete;
  Descrittore& operator=(const Descrittore&) = delete;
  Descrittore& operator=(Descrittore&& altro) noexcept {
    std::swap(fd_, altro.fd_);
    return *this;
  }
  ~Descrittore() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }
  // Closes now; 0 when it went well, else errno (the descriptor is gone either way).
  int chiudi() {
    if (fd_ < 0) return 0;
    return ::close(std::exchange(fd_, -1)) == 0 ? 0 : errno;
  }
  // Hands the descriptor over to the caller, who closes it.
  int rilascia() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Holds an flock lock until it is dropped; closing the descriptor releases it.
class BloccoPosix : public Disco::Blocco {
 public:
  explicit BloccoPosix(int fd) : fd_(fd) {}
  ~BloccoPosix() override { ::close(fd_); }

 private:
  int fd_;
};

// Permission bits for a new file when no old one gives them: what the
// umask lets through of 0666.
mode_t modo_predefinito() {
  const mode_t maschera = ::umask(0);
  ::umask(maschera);
  return 0666 & ~maschera;
}

// Flushes the folder itself, so that a rename in it survives a power cut.
// A file system that cannot flush folders (EINVAL) is let be.
void scarica_cartella(const std::string& cartella) {
  Descrittore d(::open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (d.fd() < 0) throw errore_errno(cartella, "open");
  if (::fsync(d.fd()) != 0 && errno != EINVAL) throw errore_errno(cartella, "flush");
  if (int numero = d.chiudi(); numero != 0) throw ErroreFile(cartella, "close", motivo_errno(numero));
}

// A temporary file written whole and still open, waiting for its flush and
// its rename over `percorso`.
struct temporaneo_scritto {
  Descrittore d{-1};
  std::string temporaneo;
  std::string percorso;
};

// Closes and deletes the temporary; the old file stays.
void abbandona_temporaneo(temporaneo_scritto& t) noexcept {
  t.d.chiudi();
  ::unlink(t.temporaneo.c_str());
}

// Direct writes go in whole blocks of this many bytes, from memory
// aligned to them.
constexpr size_t blocco_diretto = 4096;

// True when the file is worth writing straight to the device: one to be
// flushed anyway, whose bytes lie on huge pages (the plan table's do,
// where the system has them), which the system hands to the device
// without a copy. From small pages a direct write is slower than a cached
// one and its flush.
bool scrittura_diretta(std::string_view contenuto, bool scarica) {
  return scarica && su_pagine_grandi(contenuto.data(), contenuto.size());
}

// Turns direct writing off on the descriptor.
void senza_diretto(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_DIRECT); }

// Creates "<path>.nuovo-<random>" exclusively (O_EXCL, O_NOFOLLOW: whatever
// already stands at that name, a link or a pipe included, is never
// opened), mode 0600; writes it whole and gives it the old file's
// permission bits. On failure the temporary is removed.
// A file to be flushed whose bytes lie on huge pages has its whole blocks
// written straight to the device (O_DIRECT) and only its last partial
// block through the cache: no copy of 19 MB into the cache, next to
// nothing for the flush to hand over, and nothing cached to be dropped
// when the file is replaced. A file system that refuses direct writes
// gets cached ones.
std::unique_ptr<temporaneo_scritto> scrivi_temporaneo(const std::string& percorso,
                                                      std::string_view contenuto, bool scarica) {
  // The old file's permission bits; a new file (or one replacing a link,
  // pipe or the like, which the rename replaces, not writes through) gets
  // the default ones.
  mode_t modo;
  struct stat vecchio;
  if (::lstat(percorso.c_str(), &vecchio) == 0)
    modo = S_ISREG(vecchio.st_mode) ? vecchio.st_mode & 0777 : modo_predefinito();
  else if (errno == ENOENT || errno == ENOTDIR)
    modo = modo_predefinito();
  else
    throw errore_errno(percorso, "examine");

  auto t = std::make_unique<temporaneo_scritto>();
  t->percorso = percorso;
  bool diretto = scrittura_diretta(contenuto, scarica);
  int fd = -1;
  for (int tentativo = 0; tentativo < tentativi_temporaneo && fd < 0; ++tentativo) {
    t->temporaneo = percorso + std::string(segno_temporaneo) + cifre_casuali();
    fd = ::open(t->temporaneo.c_str(),
                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | (diretto ? O_DIRECT : 0), 0600);
    if (fd < 0 && errno == EINVAL && diretto) {
      diretto = false;
      fd = ::open(t->temporaneo.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    }
    if (fd < 0 && errno != EEXIST) throw errore_errno(t->temporaneo, "create");
  }
  if (fd < 0) throw ErroreFile(t->temporaneo, "create", "every fresh temporary name was taken");
  t->d = Descrittore(fd);
  try {
    const char* dati = contenuto.data();
    size_t restanti = contenuto.size();
    while (restanti > 0) {
      // Whole blocks while writing directly, then the rest through the cache.
      if (diretto && restanti < blocco_diretto) {
        senza_diretto(t->d.fd());
        diretto = false;
      }
      const size_t parte = diretto ? restanti - restanti % blocco_diretto : restanti;
      const ssize_t n = ::write(t->d.fd(), dati, parte);
      if (n < 0) {
        if (errno == EINTR) continue;
        if (errno == EINVAL && diretto) {
          // The file system took the open but not this write.
          senza_diretto(t->d.fd());
          diretto = false;
          continue;
        }
        throw errore_errno(t->temporaneo, "write");
      }
      dati += n;
      restanti -= static_cast<size_t>(n);
    }
    if (::fchmod(t->d.fd(), modo) != 0) throw errore_errno(t->temporaneo, "set the permissions of");
  } catch (...) {
    abbandona_temporaneo(*t);
    throw;
  }
  return t;
}

// Flushes the temporary (when `scarica`), closes it and renames it over
// its path. Throws ErroreFile.
void scarica_e_sposta(temporaneo_scritto& t, bool scarica) {
  if (scarica && ::fsync(t.d.fd()) != 0) throw errore_errno(t.temporaneo, "flush");
  if (int numero = t.d.chiudi(); numero != 0)
    throw ErroreFile(t.temporaneo, "close", motivo_errno(numero));
  if (::rename(t.temporaneo.c_str(), t.percorso.c_str()) != 0) throw errore_errno(t.percorso, "replace");
}

#endif

// Ends a replacement: the temporary flushed (when `scarica`), closed and
// put in the path's place. On failure the temporary is removed and the old
// file stays.
void concludi_temporaneo(temporaneo_scritto& t, bool scarica) {
  try {
    scarica_e_sposta(t, scarica);
  } catch (...) {
    abbandona_temporaneo(t);
    throw;
  }
}

// The flush and rename of one replacement, done on the disk's queue.
class Sostituzione : public CodaSfondo::Lavoro {
 public:
  explicit Sostituzione(std::unique_ptr<temporaneo_scritto> t) : t_(std::move(t)) {}
  void esegui() override { concludi_temporaneo(*t_, true); }
  void abbandona() noexcept override { abbandona_temporaneo(*t_); }

 private:
  std::unique_ptr<temporaneo_scritto> t_;
};

}  // namespace

bool temporaneo_di(std::string_view nome, std::string_view finale) {
  if (nome.size() != finale.size() + lunghezza_suffisso_temporaneo) return false;
  if (nome.substr(0, finale.size()) != finale) return false;
  if (nome.substr(finale.size(), segno_temporaneo.size()) != segno_temporaneo) return false;
  for (char c : nome.substr(finale.size() + segno_temporaneo.size()))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// A disk of this process alone: an empty lock.
std::unique_ptr<Disco::Blocco> Disco::blocca(const std::string&, std::chrono::milliseconds) {
  return std::make_unique<Blocco>();
}

// A disk of this process alone: no interrupted replacement to clear.
void Disco::rimuovi_temporanei(const std::vector<std::string>&) {}

void Disco::sostituisci_provvisorio(const std::string& percorso, std::string_view contenuto) {
  sostituisci(percorso, contenuto);
}

void Disco::inizia_serie() {}
void Disco::fine_serie() {}

Serie::Serie(Disco& disco) : disco_(&disco) { disco_->inizia_serie(); }

void Serie::concludi() {
  if (disco_ != nullptr) std::exchange(disco_, nullptr)->fine_serie();
}

Serie::~Serie() {
  try {
    concludi();
  } catch (...) {
    // Reported by nobody: a failure is already on its way out.
  }
}

void DiscoReale::sostituisci(const std::string& percorso, std::string_view contenuto) {
  sostituisci_(percorso, contenuto, true);
}

void DiscoReale::sostituisci_provvisorio(const std::string& percorso, std::string_view contenuto) {
  sostituisci_(percorso, contenuto, false);
}

void DiscoReale::inizia_serie() { ++serie_aperte_; }

// Outside a series, or for a file that needs no flush, the whole
// replacement is done here, the folder flushed after it when `scarica`. In
// a series the temporary is written here and its flush and rename go to
// the queue, the folder to fine_serie; a failure the queue already met is
// thrown before anything is written.
void DiscoReale::sostituisci_(const std::string& percorso, std::string_view contenuto, bool scarica) {
  const bool in_serie = scarica && serie_aperte_ > 0;
  if (in_serie)
    coda_.verifica();
  else
    attendi_per_(percorso);
  std::unique_ptr<temporaneo_scritto> t = scrivi_temporaneo(percorso, contenuto, scarica);
  if (!in_serie) {
    concludi_temporaneo(*t, scarica);
    if (scarica) scarica_cartella(dividi(percorso).first);
    return;
  }
  cartelle_da_scaricare_.insert(dividi(percorso).first);
  in_corso_.insert(percorso);
  coda_.aggiungi(std::make_unique<Sostituzione>(std::move(t)));
}

// Waits for the queue, then flushes every folder the series renamed into,
// even after a failed replacement (the renames done before it are made
// durable); the first failure is the one thrown.
void DiscoReale::fine_serie() {
  if (serie_aperte_ == 0 || --serie_aperte_ > 0) return;
  const std::exception_ptr errore = coda_.attendi();
  in_corso_.clear();
  std::set<std::string> cartelle;
  cartelle.swap(cartelle_da_scaricare_);
  try {
    for (const std::string& c : cartelle) scarica_cartella(c);
  } catch (...) {
    if (!errore) throw;
  }
  if (errore) std::rethrow_exception(errore);
}

void DiscoReale::attendi_per_(const std::string& percorso) {
  if (in_corso_.count(percorso) == 0) return;
  const std::exception_ptr errore = coda_.attendi();
  in_corso_.clear();
  if (errore) std::rethrow_exception(errore);
}

void Disco::sposta_senza_sostituire(const std::string& da, const std::string& a) {
  if (esiste(a)) throw ErroreFile(a, "create", "a file of that name is there already");
  sostituisci(a, leggi(da));
  elimina(da);
}

bool Disco::crea_cartella(const std::string&) { return false; }

bool DiscoReale::crea_cartella(const std::string& percorso) {
  const std::filesystem::path p(std::u8string(percorso.begin(), percorso.end()));
  std::error_code codice;
  if (std::filesystem::is_directory(p, codice)) return false;
  const bool creata = std::filesystem::create_directories(p, codice);
  if (codice) throw ErroreFile(percorso, "create the folder", codice.message());
  if (!std::filesystem::is_directory(p, codice))
    throw ErroreFile(percorso, "create the folder", "something that is not a folder stands there");
  return creata;
}

Disco::inizio_file Disco::leggi_inizio(const std::string& percorso, size_t massimo) {
  inizio_file letto{leggi(percorso), 0};
  letto.dimensione = letto.byte.size();
  if (letto.byte.size() > massimo) letto.byte.resize(massimo);
  return letto;
}

#ifdef _WIN32

// Asks the file system whether a regular file (not a folder) is there.
bool DiscoReale::esiste(const std::string& percorso) {
  attendi_per_(percorso);
  const DWORD attributi = GetFileAttributesW(largo(percorso).c_str());
  if (attributi != INVALID_FILE_ATTRIBUTES) return !(attributi & FILE_ATTRIBUTE_DIRECTORY);
  const DWORD codice = GetLastError();
  if (codice == ERROR_FILE_NOT_FOUND || codice == ERROR_PATH_NOT_FOUND) return false;
  throw ErroreFile(percorso, "examine", motivo_windows(codice));
}

// Reads the whole file; anything but a disk file (a pipe, a device) is refused.
std::string DiscoReale::leggi(const std::string& percorso) {
  attendi_per_(percorso);
  Maniglia f(CreateFileW(largo(percorso).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (f.h() == INVALID_HANDLE_VALUE) throw errore_windows(percorso, "open");
  if (GetFileType(f.h()) != FILE_TYPE_DISK)
    throw ErroreFile(percorso, "open", "it is not a regular file");
  // Read straight into the string, sized for the file as it stands plus a
  // byte, so that the end shows in the same read; a file that grows
  // meanwhile is still read to its end.
  LARGE_INTEGER dimensione{};
  if (!GetFileSizeEx(f.h(), &dimensione)) throw errore_windows(percorso, "examine");
  std::string contenuto(static_cast<size_t>(dimensione.QuadPart) + 1, '\0');
  size_t letti = 0;
  for (;;) {
    if (letti == contenuto.size()) contenuto.resize(2 * contenuto.size());
    const DWORD parte = static_cast<DWORD>(std::min<size_t>(contenuto.size() - letti, 1u << 30));
    DWORD fatti = 0;
    if (!ReadFile(f.h(), contenuto.data() + letti, parte, &fatti, nullptr))
      throw errore_windows(percorso, "read");
    if (fatti == 0) break;
    letti += fatti;
  }
  contenuto.resize(letti);
  if (DWORD codice = f.chiudi(); codice != 0)
    throw ErroreFile(percorso, "close", motivo_windows(codice));
  return contenuto;
}

// As leggi, but the string is sized for at most `massimo` bytes and the
// reading stops there.
Disco::inizio_file DiscoReale::leggi_inizio(const std::string& percorso, size_t massimo) {
  attendi_per_(percorso);
  Maniglia f(CreateFileW(largo(percorso).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (f.h() == INVALID_HANDLE_VALUE) throw errore_windows(percorso, "open");
  if (GetFileType(f.h()) != FILE_TYPE_DISK)
    throw ErroreFile(percorso, "open", "it is not a regular file");
  LARGE_INTEGER dimensione{};
  if (!GetFileSizeEx(f.h(), &dimensione)) throw errore_windows(percorso, "examine");
  const uint64_t dichiarata = dimensione.QuadPart < 0 ? 0 : static_cast<uint64_t>(dimensione.QuadPart);
  inizio_file letto;
  letto.byte.resize(static_cast<size_t>(std::min<uint64_t>(dichiarata, massimo)));
  size_t letti = 0;
  // One more read past the size the system gave, up to `massimo`, shows a
  // file that grew meanwhile.
  for (;;) {
    if (letti == letto.byte.size()) {
      if (letti == massimo) break;
      letto.byte.resize(std::min<size_t>(massimo, letti + 65536));
    }
    const DWORD parte = static_cast<DWORD>(std::min<size_t>(letto.byte.size() - letti, 1u << 30));
    DWORD fatti = 0;
    if (!ReadFile(f.h(), letto.byte.data() + letti, parte, &fatti, nullptr))
      throw errore_windows(percorso, "read");
    if (fatti == 0) break;
    letti += fatti;
  }
  letto.byte.resize(letti);
  letto.dimensione = std::max<uint64_t>(dichiarata, letti);
  if (DWORD codice = f.chiudi(); codice != 0)
    throw ErroreFile(percorso, "close", motivo_windows(codice));
  return letto;
}

// Deletes the file; one that is already missing is fine.
void DiscoReale::elimina(const std::string& percorso) {
  attendi_per_(percorso);
  if (!DeleteFileW(largo(percorso).c_str())) {
    const DWORD codice = GetLastError();
    if (codice == ERROR_FILE_NOT_FOUND || codice == ERROR_PATH_NOT_FOUND) return;
    throw ErroreFile(percorso, "delete", motivo_windows(codice));
  }
}

// Opens (creating it when missing) the lock file for reading only, then
// tries LockFileEx on its first byte until it is granted or the wait is over.
std::unique_ptr<Disco::Blocco> DiscoReale::blocca(const std::string& percorso,
                                                  std::chrono::milliseconds attesa) {
  Maniglia f(CreateFileW(largo(percorso).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (f.h() == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND)
    throw ErroreFile(dividi(percorso).first, "write into", "there is no such folder");
  if (f.h() == INVALID_HANDLE_VALUE) throw errore_windows(percorso, "lock");
  if (GetFileType(f.h()) != FILE_TYPE_DISK)
    throw ErroreFile(percorso, "lock", "it is not a regular file");
  const auto fine = std::chrono::steady_clock::now() + attesa;
  for (;;) {
    OVERLAPPED posizione{};
    if (LockFileEx(f.h(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                   &posizione))
      break;
    const DWORD codice = GetLastError();
    if (codice != ERROR_LOCK_VIOLATION && codice != ERROR_IO_PENDING)
      throw ErroreFile(percorso, "lock", motivo_windows(codice));
    if (std::chrono::steady_clock::now() >= fine)
      throw ErroreOccupato(percorso, "lock", motivo_occupato(attesa));
    std::this_thread::sleep_for(pausa_blocco);
  }
  return std::make_unique<BloccoWindows>(f.rilascia());
}

// Lists "<name>.nuovo-*" in the folder of each path and deletes those that
// are temporary names of the path (a link is removed, not followed): the
// search is by name already, so one per path.
void DiscoReale::rimuovi_temporanei(const std::vector<std::string>& percorsi) {
  for (const std::string& percorso : percorsi) {
    attendi_per_(percorso);
    const auto [cartella, nome] = dividi(percorso);
    WIN32_FIND_DATAW voce;
    HANDLE ricerca =
        FindFirstFileW(largo(percorso + std::string(segno_temporaneo) + "*").c_str(), &voce);
    if (ricerca == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_NOT_FOUND) continue;
      throw errore_windows(cartella, "list");
    }
    std::vector<std::string> vecchi;
    do {
      const std::string trovato = stretto(voce.cFileName);
      if (!(voce.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && temporaneo_di(trovato, nome))
        vecchi.push_back(trovato);
    } while (FindNextFileW(ricerca, &voce));
    const DWORD codice = GetLastError();
    FindClose(ricerca);
    if (codice != ERROR_NO_MORE_FILES) throw ErroreFile(cartella, "list", motivo_windows(codice));
    for (const std::string& v : vecchi) elimina(percorso.substr(0, percorso.size() - nome.size()) + v);
  }
}

// MoveFileExW without MOVEFILE_REPLACE_EXISTING fails when the new name is
// taken; a link is moved itself.
void DiscoReale::sposta_senza_sostituire(const std::string& da, const std::string& a) {
  attendi_per_(da);
  attendi_per_(a);
  if (!MoveFileExW(largo(da).c_str(), largo(a).c_str(), MOVEFILE_WRITE_THROUGH)) {
    const DWORD codice = GetLastError();
    if (codice == ERROR_ALREADY_EXISTS || codice == ERROR_FILE_EXISTS)
      throw ErroreFile(a, "create", "a file of that name is there already");
    throw ErroreFile(da, "rename", motivo_windows(codice));
  }
}

// A path of MAX_PATH UTF-16 units or more is beyond the plain wide APIs.
void verifica_lunghezza(const std::string& percorso) {
  const size_t n = largo(percorso).size();
  if (n >= MAX_PATH)
    throw ErroreFile(percorso, "use",
                     "the path is " + std::to_string(n) + " characters long; the system takes at most " +
                         std::to_string(MAX_PATH - 1));
}

#else

// Asks the file system whether a regular file (not a folder) is there.
bool DiscoReale::esiste(const std::string& percorso) {
  attendi_per_(percorso);
  struct stat info;
  if (::stat(percorso.c_str(), &info) == 0) return S_ISREG(info.st_mode);
  if (errno == ENOENT || errno == ENOTDIR) return false;
  throw errore_errno(percorso, "examine");
}

// Reads the whole file. It is opened without following a link and without
// waiting on a pipe, and anything but a regular file is refused.
std::string DiscoReale::leggi(const std::string& percorso) {
  attendi_per_(percorso);
  Descrittore d(::open(percorso.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (d.fd() < 0) {
    // O_NOFOLLOW reports a link at the name as a loop: say what is there.
    if (errno == ELOOP && tipo_di(percorso) == tipo_file::collegamento)
      throw ErroreFile(percorso, "open", motivo_non_regolare(tipo_file::collegamento));
    throw errore_errno(percorso, "open");
  }
  struct stat info;
  if (::fstat(d.fd(), &info) != 0) throw errore_errno(percorso, "examine");
  if (!S_ISREG(info.st_mode))
    throw ErroreFile(percorso, "open",
                     motivo_non_regolare(S_ISDIR(info.st_mode)    ? tipo_file::cartella
                                         : S_ISFIFO(info.st_mode) ? tipo_file::fifo
                                         : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)
                                             ? tipo_file::dispositivo
                                             : tipo_file::altro));
  // Read straight into the string, sized for the file as it stands plus a
  // byte, so that the end shows in the same read; a file that grows
  // meanwhile is still read to its end.
  std::string contenuto(static_cast<size_t>(info.st_size) + 1, '\0');
  size_t letti = 0;
  for (;;) {
    if (letti == contenuto.size()) contenuto.resize(2 * contenuto.size());
    const ssize_t n = ::read(d.fd(), contenuto.data() + letti, contenuto.size() - letti);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw errore_errno(percorso, "read");
    }
    if (n == 0) break;
    letti += static_cast<size_t>(n);
  }
  contenuto.resize(letti);
  if (int numero = d.chiudi(); numero != 0) throw ErroreFile(percorso, "close", motivo_errno(numero));
  return contenuto;
}

// As leggi, but the string is sized for at most `massimo` bytes and the
// reading stops there.
Disco::inizio_file DiscoReale::leggi_inizio(const std::string& percorso, size_t massimo) {
  attendi_per_(percorso);
  Descrittore d(::open(percorso.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (d.fd() < 0) throw errore_errno(percorso, "open");
  struct stat info;
  if (::fstat(d.fd(), &info) != 0) throw errore_errno(percorso, "examine");
  if (!S_ISREG(info.st_mode)) throw ErroreFile(percorso, "open", "it is not a regular file");
  const uint64_t dichiarata = info.st_size < 0 ? 0 : static_cast<uint64_t>(info.st_size);
  inizio_file letto;
  letto.byte.resize(static_cast<size_t>(std::min<uint64_t>(dichiarata, massimo)));
  size_t letti = 0;
  // One more read past the size the system gave, up to `massimo`, shows a
  // file that grew meanwhile.
  for (;;) {
    if (letti == letto.byte.size()) {
      if (letti == massimo) break;
      letto.byte.resize(std::min<size_t>(massimo, letti + 65536));
    }
    const ssize_t n = ::read(d.fd(), letto.byte.data() + letti, letto.byte.size() - letti);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw errore_errno(percorso, "read");
    }
    if (n == 0) break;
    letti += static_cast<size_t>(n);
  }
  letto.byte.resize(letti);
  letto.dimensione = std::max<uint64_t>(dichiarata, letti);
  if (int numero = d.chiudi(); numero != 0) throw ErroreFile(percorso, "close", motivo_errno(numero));
  return letto;
}

// Deletes the file; one that is already missing is fine.
void DiscoReale::elimina(const std::string& percorso) {
  attendi_per_(percorso);
  if (::unlink(percorso.c_str()) != 0 && errno != ENOENT) throw errore_errno(percorso, "delete");
}

// Opens (creating it when missing) the lock file for reading only, without
// following a link or waiting on a pipe, then tries flock until the lock
// is granted or the wait is over.
std::unique_ptr<Disco::Blocco> DiscoReale::blocca(const std::string& percorso,
                                                  std::chrono::milliseconds attesa) {
  Descrittore d(::open(percorso.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                       0644));
  if (d.fd() < 0 && (errno == ENOENT || errno == ENOTDIR))
    throw ErroreFile(dividi(percorso).first, "write into", "there is no such folder");
  if (d.fd() < 0) throw errore_errno(percorso, "lock");
  struct stat info;
  if (::fstat(d.fd(), &info) != 0) throw errore_errno(percorso, "examine");
  if (!S_ISREG(info.st_mode)) throw ErroreFile(percorso, "lock", "it is not a regular file");
  const auto fine = std::chrono::steady_clock::now() + attesa;
  while (::flock(d.fd(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) throw errore_errno(percorso, "lock");
    if (std::chrono::steady_clock::now() >= fine)
      throw ErroreOccupato(percorso, "lock", motivo_occupato(attesa));
    std::this_thread::sleep_for(pausa_blocco);
  }
  return std::make_unique<BloccoPosix>(d.rilascia());
}

// Lists each folder once and deletes the entries that are temporary names
// of one of the paths in it (a link is removed, not followed).
void DiscoReale::rimuovi_temporanei(const std::vector<std::string>& percorsi) {
  // The bare names of the paths, by folder, and the path each stands for.
  std::map<std::string, std::vector<std::pair<std::string, const std::string*>>> per_cartella;
  for (const std::string& percorso : percorsi) {
    attendi_per_(percorso);
    auto [cartella, nome] = dividi(percorso);
    per_cartella[cartella].emplace_back(std::move(nome), &percorso);
  }
  for (const auto& [cartella, nomi] : per_cartella) {
    DIR* elenco = ::opendir(cartella.c_str());
    if (elenco == nullptr) throw errore_errno(cartella, "list");
    std::vector<std::string> vecchi;
    errno = 0;
    while (const dirent* voce = ::readdir(elenco)) {
      for (const auto& [nome, percorso] : nomi)
        if (temporaneo_di(voce->d_name, nome))
          vecchi.push_back(percorso->substr(0, percorso->size() - nome.size()) + voce->d_name);
      errno = 0;
    }
    const int numero = errno;
    ::closedir(elenco);
    if (numero != 0) throw ErroreFile(cartella, "list", motivo_errno(numero));
    for (const std::string& v : vecchi) elimina(v);
  }
}

// renameat2 with RENAME_NOREPLACE: the new name is never taken over, and
// rename never follows a link. Where the file system cannot do that, a
// hard link made under the new name (which fails when it is taken) and the
// old name removed do the same.
void DiscoReale::sposta_senza_sostituire(const std::string& da, const std::string& a) {
  attendi_per_(da);
  attendi_per_(a);
  if (::renameat2(AT_FDCWD, da.c_str(), AT_FDCWD, a.c_str(), RENAME_NOREPLACE) == 0) {
    scarica_cartella(dividi(a).first);
    return;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    if (errno == EEXIST) throw ErroreFile(a, "create", "a file of that name is there already");
    throw errore_errno(da, "rename");
  }
  if (::link(da.c_str(), a.c_str()) != 0) {
    if (errno == EEXIST) throw ErroreFile(a, "create", "a file of that name is there already");
    throw errore_errno(da, "rename");
  }
  if (::unlink(da.c_str()) != 0) throw errore_errno(da, "delete");
  scarica_cartella(dividi(a).first);
}

// A path of PATH_MAX bytes or more is refused by every file call.
void verifica_lunghezza(const std::string& percorso) {
  if (percorso.size() >= PATH_MAX)
    throw ErroreFile(percorso, "use",
                     "the path is " + std::to_string(percorso.size()) +
                         " bytes long; the system takes at most " + std::to_string(PATH_MAX - 1));
}

#endif

}  // namespace piattaforma
