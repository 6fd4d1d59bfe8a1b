// Test-only library, preloaded into a program (LD_PRELOAD): it counts the
// file calls that touch one folder and makes exactly one chosen call fail,
// as a full disk, a permission change or an I/O fault would.
//
// Environment:
//   GUASTI_CARTELLA   the folder (absolute, no trailing slash); calls on it,
//                     on paths under it and on descriptors opened there count
//   GUASTI_OPERAZIONE open, read, write, flush, close, rename, delete, lock,
//                     mode or examine: the kind of call to fail
//   GUASTI_INDICE     which call of that kind fails, from 1
//   GUASTI_UCCIDI     when set, the chosen call kills the process (SIGKILL)
//                     instead of failing, as a run killed mid-way
//   GUASTI_CONTEGGIO  a file that receives, at exit, one line "kind count"
//                     per kind, "colpito <errno>" when the failure was
//                     injected, "aperti <n>", the counted descriptors
//                     still open, and "cartelle_scaricate <n>", the
//                     flushes (of all counted) made on a folder itself
// Flushes of counted descriptors do not wait for the device: the runs
// check what the program does with each call's result, not durability.

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum tipo { t_open, t_read, t_write, t_flush, t_close, t_rename, t_delete, t_lock, t_mode,
            t_examine, n_tipi };
const char* const nomi[n_tipi] = {"open",   "read",   "write", "flush", "close",
                                  "rename", "delete", "lock",  "mode",  "examine"};
// The error each kind of call fails with.
const int errori[n_tipi] = {EACCES, EIO, ENOSPC, EIO, EIO, EACCES, EACCES, ENOLCK, EPERM, EIO};

constexpr int massimo_fd = 4096;
// The program may make its calls from two threads (its flushes and
// renames go to a background one), so every shared count is atomic.
std::atomic<bool> seguito[massimo_fd];  // descriptors opened on a counted path
std::atomic<bool> cartella[massimo_fd];  // those of them opened on a folder
std::atomic<long> conteggi[n_tipi];
std::atomic<long> cartelle_scaricate{0};
std::atomic<bool> colpito{false};

struct impostazioni {
  const char* cartella = nullptr;
  size_t lunghezza = 0;
  int operazione = -1;
  long indice = 0;
  bool uccidi = false;
  const char* conteggio = nullptr;
};

// Reads the environment once.
const impostazioni& regole() {
  static const impostazioni r = [] {
    impostazioni i;
    i.cartella = std::getenv("GUASTI_CARTELLA");
    i.lunghezza = i.cartella ? std::strlen(i.cartella) : 0;
    if (const char* op = std::getenv("GUASTI_OPERAZIONE"))
      for (int k = 0; k < n_tipi; ++k)
        if (std::strcmp(op, nomi[k]) == 0) i.operazione = k;
    if (const char* n = std::getenv("GUASTI_INDICE")) i.indice = std::atol(n);
    i.uccidi = std::getenv("GUASTI_UCCIDI") != nullptr;
    i.conteggio = std::getenv("GUASTI_CONTEGGIO");
    return i;
  }();
  return r;
}

// True when the path is the folder or lies under it.
bool contato(const char* percorso) {
  const impostazioni& r = regole();
  if (r.cartella == nullptr || percorso == nullptr) return false;
  if (std::strncmp(percorso, r.cartella, r.lunghezza) != 0) return false;
  return percorso[r.lunghezza] == '\0' || percorso[r.lunghezza] == '/';
}
bool contato(int fd) { return fd >= 0 && fd < massimo_fd && seguito[fd]; }

// Counts one call of kind k; true when this is the call that must fail.
bool fallisce(int k) {
  const long numero = ++conteggi[k];
  const impostazioni& r = regole();
  if (r.operazione == k && numero == r.indice) {
    if (r.uccidi) ::kill(::getpid(), SIGKILL);
    colpito = true;
    errno = errori[k];
    return true;
  }
  return false;
}

// The next definition of a C library function after this library.
template <typename F>
F vero(const char* nome) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, nome));
}

// Writes the counts at exit, with the C library's own calls.
__attribute__((destructor)) void scrivi_conteggi() {
  const impostazioni& r = regole();
  if (r.conteggio == nullptr) return;
  std::FILE* f = std::fopen(r.conteggio, "w");
  if (f == nullptr) return;
  for (int k = 0; k < n_tipi; ++k) std::fprintf(f, "%s %ld\n", nomi[k], conteggi[k].load());
  if (colpito) std::fprintf(f, "colpito %d\n", errori[r.operazione]);
  int aperti = 0;
  for (const auto& s : seguito) aperti += s.load();
  std::fprintf(f, "aperti %d\n", aperti);
  std::fprintf(f, "cartelle_scaricate %ld\n", cartelle_scaricate.load());
  std::fclose(f);
}

// The mode argument of open, present when a file may be created.
mode_t modo_di(int flags, va_list& argomenti) {
  return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(argomenti, mode_t) : 0;
}

// Marks a descriptor opened on a counted path (with O_DIRECTORY: a folder).
int segui(int fd, int flags) {
  if (fd >= 0 && fd < massimo_fd) {
    seguito[fd] = true;
    cartella[fd] = (flags & O_DIRECTORY) != 0;
  }
  return fd;
}

int apri(const char* nome_vero, int dirfd, const char* percorso, int flags, mode_t modo,
         bool con_dirfd) {
  const bool c = contato(percorso);
  if (c && fallisce(t_open)) return -1;
  int fd;
  if (con_dirfd)
    fd = vero<int (*)(int, const char*, int, ...)>(nome_vero)(dirfd, percorso, flags, modo);
  else
    fd = vero<int (*)(const char*, int, ...)>(nome_vero)(percorso, flags, modo);
  return c ? segui(fd, flags) : fd;
}

}  // namespace

extern "C" {

int open(const char* percorso, int flags, ...) {
  va_list a;
  va_start(a, flags);
  const mode_t modo = modo_di(flags, a);
  va_end(a);
  return apri("open", 0, percorso, flags, modo, false);
}
int open64(const char* percorso, int flags, ...) {
  va_list a;
  va_start(a, flags);
  const mode_t modo = modo_di(flags, a);
  va_end(a);
  return apri("open64", 0, percorso, flags, modo, false);
}
int openat(int dirfd, const char* percorso, int flags, ...) {
  va_list a;
  va_start(a, flags);
  const mode_t modo = modo_di(flags, a);
  va_end(a);
  return apri("openat", dirfd, percorso, flags, modo, true);
}
int openat64(int dirfd, const char* percorso, int flags, ...) {
  va_list a;
  va_start(a, flags);
  const mode_t modo = modo_di(flags, a);
  va_end(a);
  return apri("openat64", dirfd, percorso, flags, modo, true);
}

DIR* opendir(const char* percorso) {
  if (contato(percorso) && fallisce(t_open)) return nullptr;
  return vero<DIR* (*)(const char*)>("opendir")(percorso);
}

ssize_t read(int fd, void* dati, size_t n) {
  if (contato(fd) && fallisce(t_read)) return -1;
  return vero<ssize_t (*)(int, void*, size_t)>("read")(fd, dati, n);
}

ssize_t write(int fd, const void* dati, size_t n) {
  if (contato(fd) && fallisce(t_write)) return -1;
  return vero<ssize_t (*)(int, const void*, size_t)>("write")(fd, dati, n);
}

int fsync(int fd) {
  if (!contato(fd)) return vero<int (*)(int)>("fsync")(fd);
  if (cartella[fd]) ++cartelle_scaricate;
  return fallisce(t_flush) ? -1 : 0;
}
int fdatasync(int fd) {
  if (!contato(fd)) return vero<int (*)(int)>("fdatasync")(fd);
  if (cartella[fd]) ++cartelle_scaricate;
  return fallisce(t_flush) ? -1 : 0;
}

// The descriptor is closed either way, as the system does.
int close(int fd) {
  const bool c = contato(fd);
  if (c) seguito[fd] = false;
  const int esito = vero<int (*)(int)>("close")(fd);
  if (c && fallisce(t_close)) return -1;
  return esito;
}

int rename(const char* da, const char* a) {
  if ((contato(da) || contato(a)) && fallisce(t_rename)) return -1;
  return vero<int (*)(const char*, const char*)>("rename")(da, a);
}
int renameat(int d1, const char* da, int d2, const char* a) {
  if ((contato(da) || contato(a)) && fallisce(t_rename)) return -1;
  return vero<int (*)(int, const char*, int, const char*)>("renameat")(d1, da, d2, a);
}
int renameat2(int d1, const char* da, int d2, const char* a, unsigned int flags) {
  if ((contato(da) || contato(a)) && fallisce(t_rename)) return -1;
  return vero<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2")(d1, da, d2, a,
                                                                                      flags);
}

int unlink(const char* percorso) {
  if (contato(percorso) && fallisce(t_delete)) return -1;
  return vero<int (*)(const char*)>("unlink")(percorso);
}
int unlinkat(int dirfd, const char* percorso, int flags) {
  if (contato(percorso) && fallisce(t_delete)) return -1;
  return vero<int (*)(int, const char*, int)>("unlinkat")(dirfd, percorso, flags);
}

// The function, not the record of the same name that fcntl.h declares.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
int flock(int fd, int operazione) {
  if (contato(fd) && fallisce(t_lock)) return -1;
  return vero<int (*)(int, int)>("flock")(fd, operazione);
}
#pragma GCC diagnostic pop

int fchmod(int fd, mode_t modo) {
  if (contato(fd) && fallisce(t_mode)) return -1;
  return vero<int (*)(int, mode_t)>("fchmod")(fd, modo);
}

int stat(const char* percorso, struct stat* info) {
  if (contato(percorso) && fallisce(t_examine)) return -1;
  return vero<int (*)(const char*, struct stat*)>("stat")(percorso, info);
}
int lstat(const char* percorso, struct stat* info) {
  if (contato(percorso) && fallisce(t_examine)) return -1;
  return vero<int (*)(const char*, struct stat*)>("lstat")(percorso, info);
}
int fstat(int fd, struct stat* info) {
  if (contato(fd) && fallisce(t_examine)) return -1;
  return vero<int (*)(int, struct stat*)>("fstat")(fd, info);
}

}  // extern "C"
