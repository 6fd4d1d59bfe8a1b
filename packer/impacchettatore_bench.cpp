// Throughput of the packer: the whole memorizza_percorso on the shipped
// scenario and on a line of the greatest length with curves all along it,
// the packed line file alone (encoding, then encoding and writing), and a
// plain write of the same number of bytes for comparison.

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "model/identita.h"
#include "packer/caricatore.h"
#include "packer/impacchettatore.h"
#include "packer/pacchetti.h"
#include "platform/cartella_programma.h"
#include "platform/disco.h"
#include "prova/cartella_temporanea.h"
#include "prova/scenario_spedito.h"
#include "prova/sorgenti_prova.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

using Cartella = prova::CartellaTemporanea;

// Total size of the packed files of `m` in `cartella`.
int64_t byte_scritti(const modello& m, const std::string& cartella) {
  int64_t totale = 0;
  for (const std::string& nome : {nome_pacchetto_linea(m.linea), nome_pacchetto_voci(m.linea, m.treno),
                                  nome_pacchetto_celle(m.linea, m.treno)}) {
    const fs::path p = piattaforma::unisci_percorso(cartella, nome);
    if (fs::exists(p)) totale += static_cast<int64_t>(fs::file_size(p));
  }
  return totale;
}

// Line source of the greatest length, 1000000 m, with a curve of 500 m
// starting every 1000 m, the six classes and both sides in turn.
std::string sorgente_linea_massima() {
  std::string s =
      "[generale]\r\n"
      "lunghezza percorso,    1000000\r\n"
      "ripetizione segnali 9 codici,    0,    0\r\n"
      "[curve]\r\n";
  int classe = 0;
  for (int32_t inizio = 1000; inizio + 500 < lunghezza_massima; inizio += 1000, ++classe)
    s += std::string("curva") + (classe % 2 == 0 ? "d" : "s") + std::to_string(classe % 6 + 1) +
         ",  " + std::to_string(inizio) + ",  500\r\n";
  s += "[pendenze]\r\npendenza,   0,    0\r\n[fine]\r\n";
  return s;
}

const char* const sorgente_treno_minima =
    "[generale]\r\n"
    "numero vetture,    8\r\n"
    "[aderenze]\r\naderenza,       0,    90\r\n"
    "[vel_limite]\r\nvelocita,       0,   140\r\n"
    "[fine]\r\n";

// Runs memorizza_percorso once per iteration on sources that `scrivi`
// lays into the folder beforehand (not timed).
template <typename Scrittore>
void misura_percorso(benchmark::State& state, const std::string& nome, Scrittore scrivi) {
  Cartella cartella("impacchettatore_bench_" + nome);
  piattaforma::DiscoReale disco;
  int64_t totale = 0;
  for (auto _ : state) {
    state.PauseTiming();
    modello m = prova::modello_spedito();
    scrivi(m, disco, cartella.str());
    state.ResumeTiming();
    int32_t j = 1;
    try {
      memorizza_percorso(m, disco, cartella.str(), j);
    } catch (const ModelloSenzaCelle&) {
      state.SkipWithError("the loader built no track cells");
      break;
    }
    state.PauseTiming();
    totale += byte_scritti(m, cartella.str());
    state.ResumeTiming();
  }
  state.SetBytesProcessed(totale);
}

void BM_ScenarioSpedito(benchmark::State& state) {
  misura_percorso(state, "spedito", prova::scrivi_sorgenti_spedite);
}
BENCHMARK(BM_ScenarioSpedito)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LineaMassima(benchmark::State& state) {
  const std::string linea = sorgente_linea_massima();
  misura_percorso(state, "massima", [&](const modello& m, piattaforma::Disco& d, const std::string& c) {
    d.sostituisci(piattaforma::unisci_percorso(c, nome_sorgente_linea(m.linea)), linea);
    d.sostituisci(piattaforma::unisci_percorso(c, nome_sorgente_treno(m.linea, m.treno)),
                  sorgente_treno_minima);
  });
}
BENCHMARK(BM_LineaMassima)->Unit(benchmark::kMillisecond)->UseRealTime();

// The plan of the greatest line, computed by the loader's recurrence (a
// curve of 500 m every 1000 m), so that the packed line file can be
// measured on its own.
modello con_planimetria_massima() {
  modello m = prova::modello_spedito();
  m.lunghezza_estesa = lunghezza_massima + estensione;
  auto& x = m.planimetria[0];
  auto& y = m.planimetria[1];
  const size_t righe = static_cast<size_t>(m.lunghezza_estesa) + 1;
  x.assign(righe, variante{});
  y.assign(righe, variante{});
  x[0] = {variante::intero, 0};
  y[0] = {variante::intero, 0};
  x[1] = {variante::intero, 0};
  y[1] = {variante::intero, 1};
  for (size_t j = 2; j + 2 <= righe - 1; ++j)
    riga_piano(m.planimetria, j, j % 1000 > 0 && j % 1000 <= 500 && j < 1000000, 0.0001);
  return m;
}

void BM_CodificaLinea(benchmark::State& state) {
  const modello m = con_planimetria_massima();
  int64_t totale = 0;
  for (auto _ : state) {
    std::string b = pacchetto_linea(m);
    benchmark::DoNotOptimize(b.data());
    totale += static_cast<int64_t>(b.size());
  }
  state.SetBytesProcessed(totale);
}
BENCHMARK(BM_CodificaLinea)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScriviLinea(benchmark::State& state) {
  const modello m = con_planimetria_massima();
  Cartella cartella("impacchettatore_bench_scrivi_linea");
  piattaforma::DiscoReale disco;
  const std::string p = piattaforma::unisci_percorso(cartella.str(), nome_pacchetto_linea(m.linea));
  int64_t totale = 0;
  for (auto _ : state) {
    const std::string b = pacchetto_linea(m);
    disco.sostituisci(p, b);
    totale += static_cast<int64_t>(b.size());
  }
  state.SetBytesProcessed(totale);
}
BENCHMARK(BM_ScriviLinea)->Unit(benchmark::kMillisecond)->UseRealTime();

// For comparison: the same number of bytes, already in memory, copied
// once and written through the same disk.
void BM_CopiaSemplice(benchmark::State& state) {
  const size_t n = static_cast<size_t>(20 * (lunghezza_massima + estensione) - 36);
  const std::string sorgente(n, 'x');
  Cartella cartella("impacchettatore_bench_copia");
  piattaforma::DiscoReale disco;
  const std::string p = piattaforma::unisci_percorso(cartella.str(), "copia.dat");
  int64_t totale = 0;
  for (auto _ : state) {
    std::string b(n, '\0');
    std::memcpy(b.data(), sorgente.data(), n);
    disco.sostituisci(p, b);
    totale += static_cast<int64_t>(n);
  }
  state.SetBytesProcessed(totale);
}
BENCHMARK(BM_CopiaSemplice)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace scenario
