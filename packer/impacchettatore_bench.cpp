// The cost of a build run set against writing the same bytes plainly.
//
// Every benchmark times, in each iteration, the run and one or two plain
// ways of writing the very bytes the run leaves, one right after the
// other, starting from a different one each time, each from a quiet disk
// (what the one before left unwritten is written out, untimed, first):
//   riferimento  (set against the started programs) the durable
//                reference: a small started program,
//                packer/riferimento/riferimento_durevole.cpp, that does
//                the least a build must do to put the same bytes down as
//                durably: each file it leaves copied (as cp reads) into a
//                fresh temporary file, flushed, renamed over the old one,
//                the folder flushed once at the end; the sources a run
//                reads back and removes written, read back and removed,
//                never flushed; one file after the other;
//   scrittura    (set against the run in this process) the same bytes,
//                held in memory, written through the same disk as the run
//                in the same way;
//   cp           the system's cp copying the same files into a folder (no
//                flush: the cheapest way a user has to put those bytes
//                down).
// The time column is the run's wall time; the counters give each plain
// way's wall time (`riferimento_ms`, `scrittura_ms`, `cp_ms`), the ratios
// (`rapporto` against the first plain way, `rapporto_cp`), the processor
// times (`cpu_ms`, `cpu_riferimento_ms`, `cpu_scrittura_ms`, `cpu_cp_ms`;
// the steadier figure on a machine shared with other work) and the memory:
// `picco_MiB` the run's peak resident memory, next to `file_max_MiB` the
// largest file it writes.
//
// BM_Percorso/L          a line of L metres with a curve every 1000 m, in
//                        this process: the two sources written, then the
//                        whole packer (load, plan, pack, three files
//                        written); its peak is what the run adds to the
//                        process, measured in a forked copy.
// BM_ProgrammaSpedito    crea_scenario itself, started as a user starts it,
//                        against the eight files it writes (the two sources
//                        included, which it reads back and removes); its
//                        peak is the whole program's.
// BM_ProgrammaAutori/L   impacchetta_scenario started on the same line of
//                        L metres, against the three packed files it writes.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "model/identita.h"
#include "packer/impacchettatore.h"
#include "platform/cartella_programma.h"
#include "platform/disco.h"
#include "prova/cartella_temporanea.h"
#include "prova/scenario_spedito.h"
#include "prova/sorgenti_prova.h"

#ifdef __linux__
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace scenario {
namespace {

namespace fs = std::filesystem;
using orologio = std::chrono::steady_clock;
using Cartella = prova::CartellaTemporanea;

constexpr double mib = 1024.0 * 1024.0;

// Processor time of this program so far, user and system, in seconds.
double cpu() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Every byte of the file at `p`.
std::string leggi_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Files at their paths, in the order they are written.
using file_scritti = std::vector<std::pair<std::string, std::string>>;

// The files named `nomi` in `da`, read whole, to be written into `a`.
file_scritti copie(const fs::path& da, const std::vector<std::string>& nomi, const fs::path& a) {
  file_scritti file;
  for (const std::string& nome : nomi) file.emplace_back((a / nome).string(), leggi_file(da / nome));
  return file;
}

size_t file_massimo(const file_scritti& file) {
  size_t massimo = 0;
  for (const auto& f : file) massimo = std::max(massimo, f.second.size());
  return massimo;
}

// The same bytes written through the same disk as a run: the first
// `provvisori` files are intermediates (written without a flush, read back
// and removed), the others are replaced whole in one series, whose folder
// is flushed once at the end.
void scrittura_semplice(const file_scritti& file, size_t provvisori = 0) {
  piattaforma::DiscoReale disco;
  piattaforma::Serie serie(disco);
  for (size_t i = 0; i < file.size(); ++i) {
    const auto& [percorso_file, byte] = file[i];
    if (i < provvisori) {
      disco.sostituisci_provvisorio(percorso_file, byte);
      benchmark::DoNotOptimize(disco.leggi(percorso_file));
      disco.elimina(percorso_file);
    } else {
      disco.sostituisci(percorso_file, byte);
    }
  }
  serie.concludi();
}

// What a started program used: its processor time (user and system) in
// seconds.
struct risorse {
  bool riuscito = false;
  double cpu = 0;
};

// A measured way of doing one side of a comparison: it does the work once
// and returns the processor time it used, in seconds (negative when the
// work failed).
using lato = std::function<double()>;

// A side done in this process.
lato qui(std::function<void()> lavoro) {
  return [lavoro = std::move(lavoro)] {
    const double c0 = cpu();
    lavoro();
    return cpu() - c0;
  };
}

#ifdef __linux__

// The argument vector of `parole` as a program receives it, ended by a null
// pointer; valid while `parole` lives unchanged.
std::vector<char*> vettore_c(std::vector<std::string>& parole) {
  std::vector<char*> puntatori;
  for (std::string& p : parole) puntatori.push_back(p.data());
  puntatori.push_back(nullptr);
  return puntatori;
}

// Starts argv[0] with the arguments argv in `cartella`, output discarded,
// and waits for it. Fails unless it ends with status 0.
risorse avvia(const std::vector<std::string>& argv, const fs::path& cartella) {
  std::vector<std::string> parole = argv;
  const std::vector<char*> puntatori = vettore_c(parole);
  posix_spawn_file_actions_t azioni;
  posix_spawn_file_actions_init(&azioni);
  posix_spawn_file_actions_addopen(&azioni, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&azioni, cartella.c_str());
  pid_t pid = 0;
  const int errore = posix_spawnp(&pid, puntatori[0], &azioni, nullptr, puntatori.data(), environ);
  posix_spawn_file_actions_destroy(&azioni);
  risorse r;
  if (errore != 0) return r;
  int stato = 0;
  struct rusage uso {};
  if (::wait4(pid, &stato, 0, &uso) != pid || !WIFEXITED(stato) || WEXITSTATUS(stato) != 0) return r;
  auto secondi = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  r.riuscito = true;
  r.cpu = secondi(uso.ru_utime) + secondi(uso.ru_stime);
  return r;
}

// A side that starts a program.
lato avviato(std::vector<std::string> argv, fs::path cartella) {
  return [argv = std::move(argv), cartella = std::move(cartella)] {
    const risorse r = avvia(argv, cartella);
    return r.riuscito ? r.cpu : -1.0;
  };
}

// One field of /proc/PID/status in bytes ("VmRSS:", "VmHWM:"), or -1.
int64_t campo_stato(const std::string& processo, const std::string& campo) {
  std::ifstream f("/proc/" + processo + "/status");
  std::string parola;
  while (f >> parola)
    if (parola == campo) {
      int64_t kib = -1;
      f >> kib;
      return kib * 1024;
    }
  return -1;
}

// The peak resident memory of one run of argv[0] in `cartella`, in bytes,
// or -1. The program is traced only to be stopped as it exits, while its
// memory is still there to be read: the peak the system keeps for a
// process that was started from a larger one would be the larger one's.
double picco_programma(const std::vector<std::string>& argv, const fs::path& cartella) {
  std::vector<std::string> parole = argv;
  const std::vector<char*> puntatori = vettore_c(parole);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int nulla = ::open("/dev/null", O_WRONLY);
    if (nulla < 0 || ::dup2(nulla, 1) < 0 || ::chdir(cartella.c_str()) != 0) ::_exit(127);
    ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    ::execvp(puntatori[0], puntatori.data());
    ::_exit(127);
  }
  if (pid < 0) return -1;
  double picco = -1;
  int stato = 0;
  while (::waitpid(pid, &stato, 0) == pid && WIFSTOPPED(stato)) {
    int segnale = WSTOPSIG(stato);
    if (segnale == SIGTRAP && (stato >> 16) == PTRACE_EVENT_EXIT) {
      picco = static_cast<double>(campo_stato(std::to_string(pid), "VmHWM:"));
      segnale = 0;
    } else if (segnale == SIGTRAP) {
      // Stopped at its start: ask to be stopped again as it exits.
      ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
      segnale = 0;
    }
    ::ptrace(PTRACE_CONT, pid, nullptr, segnale);
  }
  return WIFEXITED(stato) && WEXITSTATUS(stato) == 0 ? picco : -1;
}

// The side that copies the files `nomi` of folder `da` into folder `a`
// with the system's cp.
lato con_cp(const fs::path& da, const std::vector<std::string>& nomi, const fs::path& a) {
  std::vector<std::string> argv = {"cp"};
  for (const std::string& nome : nomi) argv.push_back((da / nome).string());
  argv.push_back(a.string());
  return avviato(std::move(argv), a);
}

#ifdef PROGRAMMA_RIFERIMENTO_DUREVOLE
// The side that starts the durable reference on the files `nomi` of folder
// `da`, the first `provvisori` of them intermediates, writing into `a`.
lato riferimento(const fs::path& da, const std::vector<std::string>& nomi, int provvisori,
                 const fs::path& a) {
  std::vector<std::string> argv = {PROGRAMMA_RIFERIMENTO_DUREVOLE, da.string(), a.string(),
                                   std::to_string(provvisori)};
  argv.insert(argv.end(), nomi.begin(), nomi.end());
  return avviato(std::move(argv), a);
}
#endif

// The resident memory one call of `lavoro` adds at its peak, in bytes:
// measured in a forked copy of this process, its free heap given back and
// its peak reset just before the call. -1 when it cannot be measured.
double memoria_aggiunta(const std::function<void()>& lavoro) {
  int tubo[2];
  if (::pipe(tubo) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::malloc_trim(0);
    const int64_t prima = campo_stato("self", "VmRSS:");
    bool azzerato = false;
    {
      std::ofstream azzera("/proc/self/clear_refs");
      azzera << "5";
      azzerato = static_cast<bool>(azzera.flush());
    }
    lavoro();
    const int64_t picco = campo_stato("self", "VmHWM:");
    const double aggiunta = azzerato && prima >= 0 && picco >= 0 ? static_cast<double>(picco - prima) : -1;
    const ssize_t scritti = ::write(tubo[1], &aggiunta, sizeof aggiunta);
    ::_exit(scritti == sizeof aggiunta ? 0 : 1);
  }
  ::close(tubo[1]);
  double aggiunta = -1;
  if (pid < 0 || ::read(tubo[0], &aggiunta, sizeof aggiunta) != sizeof aggiunta) aggiunta = -1;
  ::close(tubo[0]);
  if (pid > 0) ::waitpid(pid, nullptr, 0);
  return aggiunta;
}

#endif

// Times the sides in turn in every iteration (the first is the run) and
// reports the counters described at the top; `nomi` names the other sides.
void confronta(benchmark::State& state, const std::vector<lato>& lati,
               const std::vector<std::string>& nomi) {
  std::vector<double> parete(lati.size(), 0), processore(lati.size(), 0);
  size_t giro = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < lati.size(); ++i) {
      const size_t l = (giro + i) % lati.size();
      const auto t = orologio::now();
      const double c = lati[l]();
      const double s = std::chrono::duration<double>(orologio::now() - t).count();
      if (c < 0) {
        state.SkipWithError(l == 0 ? "the run failed" : "a plain write failed");
        return;
      }
      parete[l] += s;
      processore[l] += c;
      if (l == 0) state.SetIterationTime(s);
#ifdef __linux__
      // Untimed: what a side left for the system to write (cp flushes
      // nothing) goes to the disk now, not during the next side.
      ::sync();
#endif
    }
    ++giro;
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["cpu_ms"] = 1000 * processore[0] / n;
  for (size_t l = 1; l < lati.size(); ++l) {
    const std::string& nome = nomi[l - 1];
    const std::string suffisso = l == 1 ? "" : "_" + nome;
    state.counters[nome + "_ms"] = 1000 * parete[l] / n;
    state.counters["rapporto" + suffisso] = parete[0] / parete[l];
    state.counters["cpu_" + nome + "_ms"] = 1000 * processore[l] / n;
    state.counters["rapporto_cpu" + suffisso] = processore[0] / processore[l];
  }
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

// The names of the two sources and of the three packed files.
std::vector<std::string> nomi_sorgenti() {
  const modello m = prova::modello_spedito();
  return {nome_sorgente_linea(m.linea), nome_sorgente_treno(m.linea, m.treno)};
}
std::vector<std::string> nomi_pacchetti() {
  const modello m = prova::modello_spedito();
  return {nome_pacchetto_linea(m.linea), nome_pacchetto_voci(m.linea, m.treno),
          nome_pacchetto_celle(m.linea, m.treno)};
}

// The two sources of a line of `lunghezza` metres, at their paths in `cartella`.
file_scritti sorgenti_di(int32_t lunghezza, const fs::path& cartella) {
  const std::vector<std::string> nomi = nomi_sorgenti();
  return {{(cartella / nomi[0]).string(), sorgente_linea(lunghezza)},
          {(cartella / nomi[1]).string(), sorgente_treno}};
}

// One build run in `cartella` on the sources: they are written, then the
// whole packer runs, as the program does after the documents.
void percorso(const std::string& cartella, const file_scritti& sorgenti) {
  piattaforma::DiscoReale disco;
  modello m = prova::modello_spedito();
  piattaforma::Serie serie(disco);
  for (const auto& [percorso_file, byte] : sorgenti) disco.sostituisci_provvisorio(percorso_file, byte);
  int32_t j = 1;
  memorizza_percorso(m, disco, cartella, j);
  serie.concludi();
}

void BM_Percorso(benchmark::State& state) {
  const auto lunghezza = static_cast<int32_t>(state.range(0));
  Cartella cartella("impacchettatore_bench_percorso_" + std::to_string(lunghezza));
  Cartella copia("impacchettatore_bench_copia_" + std::to_string(lunghezza));
  const std::string c = cartella.str();
  const file_scritti sorgenti = sorgenti_di(lunghezza, cartella.percorso());

  // The same bytes for the durable reference: the sources (intermediates,
  // as the run's), then the packed files of one run, under the same names
  // in another folder.
  percorso(c, sorgenti);
  file_scritti stessi_byte = sorgenti_di(lunghezza, copia.percorso());
  for (auto& f : copie(cartella.percorso(), nomi_pacchetti(), copia.percorso()))
    stessi_byte.push_back(std::move(f));

  confronta(state, {qui([&] { percorso(c, sorgenti); }), qui([&] { scrittura_semplice(stessi_byte, 2); })},
            {"scrittura"});
  state.counters["file_max_MiB"] = static_cast<double>(file_massimo(stessi_byte)) / mib;
#ifdef __linux__
  state.counters["picco_MiB"] = memoria_aggiunta([&] { percorso(c, sorgenti); }) / mib;
#endif
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

#if defined(__linux__) && defined(PROGRAMMA_CREA_SCENARIO) && defined(PROGRAMMA_IMPACCHETTA_SCENARIO) && \
    defined(PROGRAMMA_RIFERIMENTO_DUREVOLE)

void BM_ProgrammaSpedito(benchmark::State& state) {
  Cartella cartella("impacchettatore_bench_programma");
  Cartella copia("impacchettatore_bench_programma_copia");
  Cartella originali("impacchettatore_bench_programma_originali");
  const fs::path programma = cartella / "crea_scenario";
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, programma);
  if (!avvia({programma.string()}, cartella.percorso()).riuscito) {
    state.SkipWithError("the program did not run");
    return;
  }
  // The eight files: the six it leaves and the two sources it removes.
  piattaforma::DiscoReale disco;
  prova::scrivi_sorgenti_spedite(prova::modello_spedito(), disco, originali.str());
  std::vector<std::string> nomi = nomi_sorgenti();
  for (const auto& voce : fs::directory_iterator(cartella.percorso())) {
    const std::string nome = voce.path().filename().string();
    if (voce.path() != programma && nome != "crea_scenario.lock") nomi.push_back(nome);
  }
  for (size_t i = 2; i < nomi.size(); ++i) fs::copy_file(cartella / nomi[i], originali / nomi[i]);
  const file_scritti stessi_byte = copie(originali.percorso(), nomi, copia.percorso());

  confronta(state,
            {avviato({programma.string()}, cartella.percorso()),
             riferimento(originali.percorso(), nomi, 2, copia.percorso()),
             con_cp(originali.percorso(), nomi, copia.percorso())},
            {"riferimento", "cp"});
  state.counters["file_max_MiB"] = static_cast<double>(file_massimo(stessi_byte)) / mib;
  state.counters["picco_MiB"] = picco_programma({programma.string()}, cartella.percorso()) / mib;
}
BENCHMARK(BM_ProgrammaSpedito)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ProgrammaAutori(benchmark::State& state) {
  const auto lunghezza = static_cast<int32_t>(state.range(0));
  Cartella cartella("impacchettatore_bench_autori_" + std::to_string(lunghezza));
  Cartella copia("impacchettatore_bench_autori_copia_" + std::to_string(lunghezza));
  scrittura_semplice(sorgenti_di(lunghezza, cartella.percorso()));
  const std::vector<std::string> sorgenti = nomi_sorgenti();
  const std::vector<std::string> argv = {PROGRAMMA_IMPACCHETTA_SCENARIO, sorgenti[0], sorgenti[1]};
  if (!avvia(argv, cartella.percorso()).riuscito) {
    state.SkipWithError("the program did not run");
    return;
  }
  const std::vector<std::string> pacchetti = nomi_pacchetti();
  const file_scritti stessi_byte = copie(cartella.percorso(), pacchetti, copia.percorso());

  confronta(state,
            {avviato(argv, cartella.percorso()), riferimento(cartella.percorso(), pacchetti, 0, copia.percorso()),
             con_cp(cartella.percorso(), pacchetti, copia.percorso())},
            {"riferimento", "cp"});
  state.counters["file_max_MiB"] = static_cast<double>(file_massimo(stessi_byte)) / mib;
  state.counters["picco_MiB"] = picco_programma(argv, cartella.percorso()) / mib;
}
BENCHMARK(BM_ProgrammaAutori)
    ->Arg(227550)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

#endif

}  // namespace
}  // namespace scenario
