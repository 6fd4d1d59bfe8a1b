// The inspector on the densest track file a route can have: the longest
// route (1,000,000 m, 20,141 cells, a 302,115-byte track file), a signal
// in every cell from cell 2 on, packed without the plan, so that the track
// file is the largest file of the scenario. The whole inspection runs in
// this process on the real disk (read, checks, listing written out,
// discarded): BM_IspezioneDensa/0 the text listing, /1 the JSON.
// `picco_MiB` is the peak resident memory the inspection adds to the
// process (measured in a forked copy), `file_max_MiB` the largest file and
// `picco_su_file` their ratio.
//
// With ISPETTORE_BENCH_CARTELLA set, the packed files are written into
// that folder (and left there), to inspect them with the program itself.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "inspector/ispezione.h"
#include "inspector/prova_scenario.h"
#include "model/modello.h"
#include "packer/formato.h"
#include "packer/pacchetti.h"
#include "platform/cartella_programma.h"
#include "platform/disco.h"
#include "prova/cartella_temporanea.h"

#ifdef __linux__
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace ispettore {
namespace {

constexpr double mib = 1024.0 * 1024.0;

// The densest scenario: the small test scenario on the longest route, with
// a signal in every cell after the header cell.
scenario::modello modello_denso() {
  scenario::modello m = prova::modello_piccolo();
  m.voci[scenario::riga_treno].fine = scenario::lunghezza_massima;
  const int32_t u = scenario::ultima_cella(scenario::lunghezza_massima);
  m.celle.assign(static_cast<size_t>(u) + 1, scenario::cella{});
  for (size_t i = 0; i < m.celle.size(); ++i) {
    scenario::cella& c = m.celle[i];
    if (i >= 2) {
      c.tipo = scenario::tipo_cella::segnale;
      c.valore1 = c.valore2 = c.valore3 = 21;
      c.valore4 = 15;
      c.tempo = 101;
    }
    c.velocita = 28;
    c.pendenza = 100;
    c.aderenza = 90;
  }
  m.celle[scenario::formato::cella_testata].valore1 = scenario::formato::marca_celle;
  m.celle[scenario::formato::cella_testata].valore2 = static_cast<int16_t>(scenario::codice_gara_og(m));
  return m;
}

// Output that goes nowhere.
class Scarico : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

#ifdef __linux__
int64_t campo_stato(const std::string& campo) {
  std::ifstream f("/proc/self/status");
  std::string parola;
  while (f >> parola)
    if (parola == campo) {
      int64_t kib = -1;
      f >> kib;
      return kib * 1024;
    }
  return -1;
}

// The resident memory one call of `lavoro` adds at its peak, in bytes,
// measured in a forked copy of this process; -1 when it cannot be.
double memoria_aggiunta(const std::function<void()>& lavoro) {
  int tubo[2];
  if (::pipe(tubo) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::malloc_trim(0);
    const int64_t prima = campo_stato("VmRSS:");
    bool azzerato = false;
    {
      std::ofstream azzera("/proc/self/clear_refs");
      azzera << "5";
      azzerato = static_cast<bool>(azzera.flush());
    }
    lavoro();
    const int64_t picco = campo_stato("VmHWM:");
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
#else
double memoria_aggiunta(const std::function<void()>&) { return -1; }
#endif

void BM_IspezioneDensa(benchmark::State& state) {
  std::unique_ptr<::prova::CartellaTemporanea> temporanea;
  std::string cartella;
  if (const char* c = std::getenv("ISPETTORE_BENCH_CARTELLA")) {
    cartella = c;
    std::filesystem::create_directories(cartella);
  } else {
    temporanea = std::make_unique<::prova::CartellaTemporanea>("ispettore_bench ");
    cartella = temporanea->percorso().string();
  }
  const scenario::modello m = modello_denso();
  piattaforma::DiscoReale disco;
  const pacchetti p = prova::pacchetti_di(m);
  disco.sostituisci(piattaforma::unisci_percorso(cartella, p.nome_voci), *p.byte_voci);
  disco.sostituisci(piattaforma::unisci_percorso(cartella, p.nome_celle), *p.byte_celle);
  const size_t file_max = std::max(p.byte_voci->size(), p.byte_celle->size());

  opzioni o;
  o.linea = m.linea;
  o.treno = m.treno;
  o.json = state.range(0) != 0;
  Scarico scarico;
  std::ostream nulla(&scarico);
  auto elenca = [](const std::string&) { return std::vector<std::string>{}; };
  auto ispezione = [&] {
    if (ispeziona(disco, elenca, o, cartella, nulla, nulla) != ispezione_riuscita) std::abort();
  };
  for (auto _ : state) ispezione();
  const double picco = memoria_aggiunta(ispezione);
  state.counters["picco_MiB"] = picco / mib;
  state.counters["file_max_MiB"] = static_cast<double>(file_max) / mib;
  state.counters["picco_su_file"] = picco / static_cast<double>(file_max);
}
BENCHMARK(BM_IspezioneDensa)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ispettore
