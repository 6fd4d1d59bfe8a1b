// The cost of the authors' packer's diagnostics on sources that warn a
// great deal, in memory (--check: nothing is written), so that the time
// shown is the loader's and the reporting's:
//
// BM_RigheIgnorate/N   a train source of N lines that no rule takes, one
//                      warning each (100 shown, the rest counted);
// BM_RigaDiCampi/N     one line of N fields after a name no rule takes.
//
// Each reports the source's size as bytes processed and fits the time to
// N, which stays linear when every place is found without rescanning.

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "authoring/impacchetta.h"
#include "prova/disco_memoria.h"
#include "prova/sorgenti_prova.h"

namespace {

// Runs the packer with --check on the two texts; returns its standard error.
std::string controlla(const std::string& linea, const std::string& treno) {
  piattaforma::DiscoMemoria disco;
  disco.file["s/R_linea.txt"] = linea;
  disco.file["s/R_T-.txt"] = treno;
  std::ostringstream uscita, errori;
  autore::impacchetta_sorgenti(
      disco, autore::leggi_opzioni({"--check", "s/R_linea.txt", "s/R_T-.txt"}), uscita, errori);
  return errori.str();
}

void misura(benchmark::State& stato, const std::string& corpo_treno) {
  const std::string linea = prova::sorgente::linea("curvad1,  1500,  900\n");
  const std::string treno = prova::sorgente::treno(corpo_treno);
  for (auto _ : stato) benchmark::DoNotOptimize(controlla(linea, treno));
  stato.SetBytesProcessed(static_cast<int64_t>(stato.iterations()) *
                          static_cast<int64_t>(treno.size()));
  stato.SetComplexityN(stato.range(0));
}

void BM_RigheIgnorate(benchmark::State& stato) {
  std::string corpo;
  for (int64_t i = 0; i < stato.range(0); ++i) corpo += "voce" + std::to_string(i) + ", 1\n";
  misura(stato, corpo);
}
BENCHMARK(BM_RigheIgnorate)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_RigaDiCampi(benchmark::State& stato) {
  std::string corpo = "voce";
  for (int64_t i = 0; i < stato.range(0); ++i) corpo += ",1";
  misura(stato, corpo + "\n");
}
BENCHMARK(BM_RigaDiCampi)
    ->RangeMultiplier(10)
    ->Range(2000, 200000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace
