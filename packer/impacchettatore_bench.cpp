// The cost of a build run set against a plain write of the same bytes.
//
// BM_Percorso/L: a line of L metres with a curve every 1000 m all along it.
// Each iteration times, one right after the other, the run (the two
// sources written to disk, then memorizza_percorso: load, pack, write the
// three packed files) and a plain write of the same five files (each to a
// temporary file, flushed, renamed, as the disk replaces every file). The
// reported time is the run's wall time; the counters give the plain
// write's, both processor times and the two ratios (on a machine shared
// with other work the processor time is the steadier), the run's peak heap
// and the largest file written.
//
// BM_ProgrammaSpedito: the built program itself started in a scratch
// folder (the shipped scenario), set against a plain write of the six
// files it leaves there.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "model/identita.h"
#include "packer/impacchettatore.h"
#include "platform/cartella_programma.h"
#include "platform/disco.h"
#include "prova/cartella_temporanea.h"
#include "prova/sorgenti_prova.h"

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

// ---- heap accounting: every operator new of this program is counted ----

namespace {

std::atomic<int64_t> heap_vivo{0};
std::atomic<int64_t> heap_picco{0};

// Room before each block for its size, keeping the block's alignment.
constexpr size_t testa = alignof(std::max_align_t);

// Allocates n bytes and records them; nullptr when the system has none.
void* prendi(size_t n) noexcept {
  auto* p = static_cast<char*>(std::malloc(n + testa));
  if (p == nullptr) return nullptr;
  *reinterpret_cast<size_t*>(p) = n;
  const int64_t vivo = heap_vivo += static_cast<int64_t>(n);
  int64_t picco = heap_picco.load();
  while (vivo > picco && !heap_picco.compare_exchange_weak(picco, vivo)) {
  }
  return p + testa;
}

// Frees a block from prendi.
void rendi(void* q) noexcept {
  if (q == nullptr) return;
  char* p = static_cast<char*>(q) - testa;
  heap_vivo -= static_cast<int64_t>(*reinterpret_cast<size_t*>(p));
  std::free(p);
}

}  // namespace

void* operator new(size_t n) {
  if (void* p = prendi(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) {
  if (void* p = prendi(n)) return p;
  throw std::bad_alloc();
}
void* operator new(size_t n, const std::nothrow_t&) noexcept { return prendi(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return prendi(n); }
void operator delete(void* p) noexcept { rendi(p); }
void operator delete[](void* p) noexcept { rendi(p); }
void operator delete(void* p, size_t) noexcept { rendi(p); }
void operator delete[](void* p, size_t) noexcept { rendi(p); }

namespace scenario {
namespace {

namespace fs = std::filesystem;
using orologio = std::chrono::steady_clock;

constexpr double mib = 1024.0 * 1024.0;

// Seconds since `da`.
double secondi_da(orologio::time_point da) {
  return std::chrono::duration<double>(orologio::now() - da).count();
}

// Processor time of this program so far, user and system, in seconds.
double cpu() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Times of the two sides of one comparison, summed over the iterations.
struct confronto {
  double parete_percorso = 0, parete_scrittura = 0;  // wall clock
  double cpu_percorso = 0, cpu_scrittura = 0;        // processor time

  // The counters beside the run's own time: the plain write's times per
  // iteration and the two ratios.
  void riporta(benchmark::State& state) const {
    const auto n = static_cast<double>(state.iterations());
    state.counters["scrittura_ms"] = 1000 * parete_scrittura / n;
    state.counters["rapporto"] = parete_percorso / parete_scrittura;
    state.counters["cpu_ms"] = 1000 * cpu_percorso / n;
    state.counters["cpu_scrittura_ms"] = 1000 * cpu_scrittura / n;
    state.counters["rapporto_cpu"] = cpu_percorso / cpu_scrittura;
  }
};

using Cartella = prova::CartellaTemporanea;

// Every byte of the file at `p`.
std::string leggi_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Line source of `lunghezza` metres with a curve of 500 m starting every
// 1000 m, the six classes and both sides in turn.
std::string sorgente_linea(int32_t lunghezza) {
  std::string s = "[generale]\r\nlunghezza percorso,    " + std::to_string(lunghezza) +
                  "\r\nripetizione segnali 9 codici,    0,    0\r\n[curve]\r\n";
  int classe = 0;
  for (int32_t inizio = 1000; inizio + 500 < lunghezza; inizio += 1000, ++classe)
    s += std::string("curva") + (classe % 2 == 0 ? "d" : "s") + std::to_string(classe % 6 + 1) +
         ",  " + std::to_string(inizio) + ",  500\r\n";
  s += "[pendenze]\r\npendenza,   0,    0\r\n[fine]\r\n";
  return s;
}

const char* const sorgente_treno =
    "[generale]\r\n"
    "numero vetture,    8\r\n"
    "[aderenze]\r\naderenza,       0,    90\r\n"
    "[vel_limite]\r\nvelocita,       0,   140\r\n"
    "[fine]\r\n";

// The files of one run at their paths, in the order the run writes them.
using file_scritti = std::vector<std::pair<std::string, std::string>>;

// One build run on a line of `lunghezza` metres in `cartella`: the two
// sources written, then the whole packer. Returns the run's peak heap in
// bytes, above what was in use when it started.
int64_t percorso(const std::string& cartella, const file_scritti& sorgenti) {
  const int64_t prima = heap_vivo.load();
  heap_picco = prima;
  piattaforma::DiscoReale disco;
  modello m = prova::modello_spedito();
  for (const auto& [percorso_file, byte] : sorgenti) disco.sostituisci(percorso_file, byte);
  int32_t j = 1;
  memorizza_percorso(m, disco, cartella, j);
  return heap_picco.load() - prima;
}

// Writes each file whole, as the disk replaces a file.
void scrittura_semplice(const file_scritti& file) {
  piattaforma::DiscoReale disco;
  for (const auto& [percorso_file, byte] : file) disco.sostituisci(percorso_file, byte);
}

void BM_Percorso(benchmark::State& state) {
  const auto lunghezza = static_cast<int32_t>(state.range(0));
  Cartella cartella("impacchettatore_bench_percorso_" + std::to_string(lunghezza));
  Cartella copia("impacchettatore_bench_copia_" + std::to_string(lunghezza));
  const std::string c = cartella.str();
  const modello spedito = prova::modello_spedito();
  const std::string &linea = spedito.linea, &treno = spedito.treno;
  const file_scritti sorgenti = {
      {piattaforma::unisci_percorso(c, nome_sorgente_linea(linea)), sorgente_linea(lunghezza)},
      {piattaforma::unisci_percorso(c, nome_sorgente_treno(linea, treno)), sorgente_treno}};

  // The same bytes for the plain write: the sources, then the packed
  // files of one run, under other names in another folder.
  percorso(c, sorgenti);
  file_scritti stessi_byte;
  size_t file_massimo = 0;
  for (const auto& [p, byte] : sorgenti)
    stessi_byte.emplace_back((copia.percorso() / fs::path(p).filename()).string(), byte);
  for (const std::string& nome : {nome_pacchetto_linea(linea), nome_pacchetto_voci(linea, treno),
                                  nome_pacchetto_celle(linea, treno)}) {
    std::string byte = leggi_file(cartella.percorso() / nome);
    file_massimo = std::max(file_massimo, byte.size());
    stessi_byte.emplace_back((copia.percorso() / nome).string(), std::move(byte));
  }

  confronto tempi;
  int64_t picco = 0;
  int64_t giro = 0;
  for (auto _ : state) {
    // Alternating which goes first, so neither always finds the disk busy.
    const bool prima_il_percorso = giro++ % 2 == 0;
    auto scrivi = [&] {
      const auto t = orologio::now();
      const double c0 = cpu();
      scrittura_semplice(stessi_byte);
      tempi.cpu_scrittura += cpu() - c0;
      tempi.parete_scrittura += secondi_da(t);
    };
    if (!prima_il_percorso) scrivi();
    const auto t = orologio::now();
    const double c0 = cpu();
    picco = std::max(picco, percorso(c, sorgenti));
    tempi.cpu_percorso += cpu() - c0;
    const double s = secondi_da(t);
    tempi.parete_percorso += s;
    state.SetIterationTime(s);
    if (prima_il_percorso) scrivi();
  }
  tempi.riporta(state);
  state.counters["picco_MiB"] = static_cast<double>(picco) / mib;
  state.counters["file_max_MiB"] = static_cast<double>(file_massimo) / mib;
  state.counters["picco_su_file"] = static_cast<double>(picco) / static_cast<double>(file_massimo);
}
BENCHMARK(BM_Percorso)
    ->Arg(227550)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

#if !defined(_WIN32) && defined(PROGRAMMA_CREA_SCENARIO)

// Starts `programma` with no argument, in its own folder as a user would,
// and waits for it. Returns its processor time (user and system) in
// seconds, or -1 when it could not be started or did not end with status 0.
double avvia(const std::string& programma) {
  char* argv[] = {const_cast<char*>(programma.c_str()), nullptr};
  posix_spawn_file_actions_t azioni;
  posix_spawn_file_actions_init(&azioni);
  posix_spawn_file_actions_addopen(&azioni, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  const int errore = posix_spawn(&pid, programma.c_str(), &azioni, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&azioni);
  if (errore != 0) return -1;
  int stato = 0;
  struct rusage uso {};
  if (::wait4(pid, &stato, 0, &uso) != pid || !WIFEXITED(stato) || WEXITSTATUS(stato) != 0)
    return -1;
  auto secondi = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return secondi(uso.ru_utime) + secondi(uso.ru_stime);
}

void BM_ProgrammaSpedito(benchmark::State& state) {
  Cartella cartella("impacchettatore_bench_programma");
  Cartella copia("impacchettatore_bench_programma_copia");
  const fs::path programma = cartella.percorso() / "crea_scenario";
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, programma);
  if (avvia(programma.string()) < 0) {
    state.SkipWithError("the program did not run");
    return;
  }
  file_scritti stessi_byte;
  size_t file_massimo = 0;
  for (const auto& voce : fs::directory_iterator(cartella.percorso())) {
    if (voce.path() == programma) continue;
    std::string byte = leggi_file(voce.path());
    file_massimo = std::max(file_massimo, byte.size());
    stessi_byte.emplace_back((copia.percorso() / voce.path().filename()).string(), std::move(byte));
  }

  confronto tempi;
  int64_t giro = 0;
  for (auto _ : state) {
    const bool prima_il_programma = giro++ % 2 == 0;
    auto scrivi = [&] {
      const auto t = orologio::now();
      const double c0 = cpu();
      scrittura_semplice(stessi_byte);
      tempi.cpu_scrittura += cpu() - c0;
      tempi.parete_scrittura += secondi_da(t);
    };
    if (!prima_il_programma) scrivi();
    const auto t = orologio::now();
    const double cpu_programma = avvia(programma.string());
    const double s = secondi_da(t);
    if (cpu_programma < 0) {
      state.SkipWithError("the program did not run");
      break;
    }
    tempi.cpu_percorso += cpu_programma;
    tempi.parete_percorso += s;
    state.SetIterationTime(s);
    if (prima_il_programma) scrivi();
  }
  tempi.riporta(state);
  state.counters["file_max_MiB"] = static_cast<double>(file_massimo) / mib;
}
BENCHMARK(BM_ProgrammaSpedito)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

#endif

}  // namespace
}  // namespace scenario
