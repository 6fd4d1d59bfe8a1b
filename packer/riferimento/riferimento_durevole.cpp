// Benchmark-only program: the least a build must do to put given bytes
// down as durably as the programs do, so that a started program can be
// set against another started program.
//
//   riferimento_durevole FROM TO INTERMEDIATES NAME...
//
// Each FROM/NAME is read (in blocks, as cp reads) and written to a fresh
// temporary file in TO. The first INTERMEDIATES names are a build's
// intermediate files: renamed over TO/NAME without a flush, read back and
// removed. Every other file is flushed, then renamed over TO/NAME; the
// folder TO is flushed once at the end, which makes every rename durable.
// One file after the other, on one thread, with plain system calls.
// Status 0, or 1 with the failed call on standard error.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

char blocco[128 * 1024];

[[noreturn]] void fallito(const std::string& cosa) {
  std::perror(cosa.c_str());
  std::exit(1);
}

// Copies every byte of `da` into the descriptor `fd`.
void copia(const std::string& da, int fd) {
  const int in = ::open(da.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) fallito(da);
  for (;;) {
    const ssize_t n = ::read(in, blocco, sizeof blocco);
    if (n < 0) fallito(da);
    if (n == 0) break;
    for (ssize_t fatti = 0; fatti < n;) {
      const ssize_t w = ::write(fd, blocco + fatti, static_cast<size_t>(n - fatti));
      if (w < 0) fallito("write");
      fatti += w;
    }
  }
  ::close(in);
}

// Reads the file whole and drops what it read.
void rileggi(const std::string& percorso) {
  const int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fallito(percorso);
  while (::read(fd, blocco, sizeof blocco) > 0) {
  }
  ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: riferimento_durevole FROM TO INTERMEDIATES NAME...\n", stderr);
    return 1;
  }
  const std::string da = argv[1], a = argv[2];
  const int provvisori = std::atoi(argv[3]);
  for (int i = 4; i < argc; ++i) {
    const std::string finale = a + "/" + argv[i];
    const std::string temporaneo = finale + ".nuovo-riferimento";
    const int fd = ::open(temporaneo.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) fallito(temporaneo);
    copia(da + "/" + argv[i], fd);
    const bool intermedio = i - 4 < provvisori;
    if (!intermedio && ::fsync(fd) != 0) fallito("fsync");
    if (::close(fd) != 0) fallito("close");
    if (::rename(temporaneo.c_str(), finale.c_str()) != 0) fallito(finale);
    if (intermedio) {
      rileggi(finale);
      if (::unlink(finale.c_str()) != 0) fallito(finale);
    }
  }
  const int cartella = ::open(a.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (cartella < 0 || ::fsync(cartella) != 0) fallito(a);
  ::close(cartella);
  return 0;
}
