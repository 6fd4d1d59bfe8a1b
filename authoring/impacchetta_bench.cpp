// The cost of checking a large source that holds many faults: the authors'
// packer with --check, in this process, on sources held in memory. Each
// benchmark grows one kind of fault; the time per byte (`ns_per_byte`) and
// the memory per byte (`picco_per_byte`) stay flat when the checks are
// linear in the size of the source.
//
// BM_NomiSconosciuti/N  N lines whose record name no rule takes (each a
//                       diagnostic; past the limit per kind only counted)
// BM_CampiSuUnaRiga/N   one line of N fields after a record name no rule takes
// BM_CampoLungo/N       one field of N bytes without a comma, in a record
//                       name's place
// BM_Commenti/N         N comment lines, three in a row each time, so that
//                       every third is read as a record name
// BM_StazioniErrate/N   N stations off the 50 m grid: the loader stops at
//                       the first, the report goes on through all of them
//
// Counters: `MiB` the size of the train source; `ns_per_byte` the time of
// one check per byte of it; `picco_MiB` the peak memory one check adds to
// the process (measured in a forked copy, Linux), `picco_per_byte` that
// peak per byte of source.

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "authoring/impacchetta.h"
#include "prova/disco_memoria.h"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace autore {
namespace {

const std::string nome_linea = "R_linea.txt";
const std::string nome_treno = "R_T-.txt";

// A small line source that holds no fault.
const std::string linea =
    "[generale]\r\nlunghezza percorso, 5000\r\nprogressiva chilometrica uno, 0, 0, 0\r\n"
    "progressiva chilometrica due, 0, 0, 0\r\nprogressiva chilometrica tre, 0, 0, 0\r\n"
    "sfondo uno, 1\r\nsfondo due, 0\r\nsfondo tre, 0\r\n"
    "ripetizione segnali 9 codici, 0, 4000\r\n[curve]\r\ncurvad1, 1500, 900\r\n[fine]\r\n";

// The head of a train source that holds no fault, before `corpo`.
std::string treno(const std::string& corpo) {
  return "[generale]\r\nnumero vetture, 8\r\npercentuale massa frenata, 120\r\nsabbia, 200\r\n"
         "orologio, 13 55 20\r\naderenza, 0, 90\r\nvelocita, 0, 140\r\n"
         "stazione, 0, 8, 400, 1, 0, 0, 4,1,0, 2,1,1, 1, 13,55,20, Alfa\r\n" +
         corpo + "[fine]\r\n";
}

// One check of the two sources; returns the exit status.
int controlla(const std::string& sorgente_treno) {
  piattaforma::DiscoMemoria disco;
  disco.file[nome_linea] = linea;
  disco.file[nome_treno] = sorgente_treno;
  std::ostringstream uscita, errori;
  return impacchetta_sorgenti(disco, leggi_opzioni({"--check", nome_linea, nome_treno}), uscita,
                              errori);
}

// The peak resident memory, in bytes, that one check adds to a forked copy
// of this process; 0 where that cannot be measured.
double picco(const std::string& sorgente_treno) {
#ifdef __linux__
  int tubo[2];
  if (pipe(tubo) != 0) return 0;
  const pid_t figlio = fork();
  if (figlio == 0) {
    close(tubo[0]);
    rusage prima{}, dopo{};
    getrusage(RUSAGE_SELF, &prima);
    controlla(sorgente_treno);
    getrusage(RUSAGE_SELF, &dopo);
    const long kib = dopo.ru_maxrss - prima.ru_maxrss;
    [[maybe_unused]] const ssize_t scritti = write(tubo[1], &kib, sizeof kib);
    _exit(0);
  }
  close(tubo[1]);
  long kib = 0;
  const ssize_t letti = figlio > 0 ? read(tubo[0], &kib, sizeof kib) : 0;
  close(tubo[0]);
  if (figlio > 0) waitpid(figlio, nullptr, 0);
  return letti == static_cast<ssize_t>(sizeof kib) ? static_cast<double>(kib) * 1024.0 : 0;
#else
  (void)sorgente_treno;
  return 0;
#endif
}

// Times the check of `sorgente_treno` and sets the counters.
void misura(benchmark::State& stato, const std::string& sorgente_treno) {
  for (auto _ : stato) benchmark::DoNotOptimize(controlla(sorgente_treno));
  const double byte = static_cast<double>(sorgente_treno.size());
  const double p = picco(sorgente_treno);
  stato.counters["MiB"] = byte / (1024.0 * 1024.0);
  stato.counters["ns_per_byte"] = benchmark::Counter(
      byte * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  stato.counters["picco_MiB"] = p / (1024.0 * 1024.0);
  stato.counters["picco_per_byte"] = p / byte;
}

// The same line `n` times.
std::string ripeti(const std::string& riga, int64_t n) {
  std::string r;
  r.reserve(riga.size() * static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) r += riga;
  return r;
}

void BM_NomiSconosciuti(benchmark::State& stato) {
  misura(stato, treno(ripeti("segmale, 2500, 2, 4, 0, 0, 0, 2, 1,0,0, 0\r\n", stato.range(0))));
}
BENCHMARK(BM_NomiSconosciuti)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_CampiSuUnaRiga(benchmark::State& stato) {
  misura(stato, treno("segmale" + ripeti(", 12345", stato.range(0)) + "\r\n"));
}
BENCHMARK(BM_CampiSuUnaRiga)->Arg(100000)->Arg(1000000)->Arg(4000000)->Unit(benchmark::kMillisecond);

void BM_CampoLungo(benchmark::State& stato) {
  misura(stato, treno(std::string(static_cast<size_t>(stato.range(0)), 'x') + "\r\n"));
}
BENCHMARK(BM_CampoLungo)->Arg(1 << 20)->Arg(10 << 20)->Arg(50 << 20)->Unit(benchmark::kMillisecond);

void BM_Commenti(benchmark::State& stato) {
  misura(stato, treno(ripeti("-- a comment about the next record\r\n", stato.range(0))));
}
BENCHMARK(BM_Commenti)->Arg(100000)->Arg(1000000)->Arg(4000000)->Unit(benchmark::kMillisecond);

void BM_StazioniErrate(benchmark::State& stato) {
  misura(stato, treno(ripeti("stazione, 4020, 6, 500, 1, 0, 0, 1,1,0, 2,1,1, 0, 14,5,0, Beta\r\n",
                             stato.range(0))));
}
BENCHMARK(BM_StazioniErrate)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace autore
