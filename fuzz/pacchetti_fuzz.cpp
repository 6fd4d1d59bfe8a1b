#include "fuzz/pacchetti_fuzz.h"

#include <algorithm>
#include <atomic>
#include <ostream>
#include <streambuf>

#include "inspector/ispezione.h"
#include "inspector/lettore.h"
#include "model/identita.h"
#include "packer/pacchetti.h"
#include "platform/cartella_programma.h"
#include "prova/disco_memoria.h"
#include "prova/modello_piccolo.h"

// The heap is measured through the sanitizer allocator's hooks, in the
// builds under AddressSanitizer (the test build and the fuzz build).
#if defined(__SANITIZE_ADDRESS__)
#define PACCHETTI_FUZZ_MISURA 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PACCHETTI_FUZZ_MISURA 1
#endif
#endif

#ifdef PACCHETTI_FUZZ_MISURA
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void*);
#endif

namespace ispettore {
namespace {

// The heap bytes held, counted from the hooks' installation: each
// allocation adds the bytes asked for, each release takes away its
// chunk's size as the allocator gives it. Differences of it are the
// allocator's own count of the bytes held (its current allocated bytes),
// without summing its statistics after every allocation. Signed: a
// release of a chunk taken before the hooks takes away what was never added.
std::atomic<int64_t> tenuti{0};
// The most heap bytes held at once since it was last set, after every
// allocation.
std::atomic<int64_t> picco{0};

#ifdef PACCHETTI_FUZZ_MISURA
int64_t in_uso() { return tenuti.load(std::memory_order_relaxed); }
void preso(const volatile void*, size_t n) {
  const int64_t ora = tenuti.fetch_add(static_cast<int64_t>(n), std::memory_order_relaxed) +
                      static_cast<int64_t>(n);
  int64_t prima = picco.load(std::memory_order_relaxed);
  while (ora > prima && !picco.compare_exchange_weak(prima, ora, std::memory_order_relaxed)) {
  }
}
void reso(const volatile void* p) {
  tenuti.fetch_sub(static_cast<int64_t>(__sanitizer_get_allocated_size(p)), std::memory_order_relaxed);
}
// Installs the hook once; false where the allocator takes none.
bool misura() {
  static const bool installati = __sanitizer_install_malloc_and_free_hooks(preso, reso) != 0;
  return installati;
}
#else
int64_t in_uso() { return 0; }
bool misura() { return false; }
#endif

// Output that goes nowhere: what the inspector prints is not its memory.
class Scarico : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

uint32_t leggi32(std::string_view b, size_t i) {
  uint32_t v = 0;
  for (size_t k = 0; k < 4; ++k) v |= uint32_t{static_cast<unsigned char>(b[i + k])} << (8 * k);
  return v;
}

}  // namespace

size_t memoria_ammessa(std::string_view voci, std::string_view celle,
                       const std::optional<std::string_view>& linea) {
  const std::optional<int32_t> lunghezza = lunghezza_dichiarata(voci.substr(0, da_leggere_voci));
  size_t letti = std::min(voci.size(), da_leggere_voci) + std::min(celle.size(), da_leggere_celle(lunghezza));
  if (linea) letti += std::min(linea->size(), da_leggere_linea(lunghezza));
  return 64 * letti + (size_t{16} << 20);
}

std::string ingresso_pacchetti(uint8_t flag, std::string_view voci, std::string_view celle,
                               const std::optional<std::string_view>& linea) {
  std::string t(1, static_cast<char>(flag | (linea ? 0 : 1)));
  for (const size_t n : {voci.size(), celle.size()})
    for (size_t k = 0; k < 4; ++k) t += static_cast<char>((n >> (8 * k)) & 0xFF);
  t += voci;
  t += celle;
  if (linea) t += *linea;
  return t;
}

esito_pacchetti esegui_pacchetti_fuzz(std::string_view ingresso) {
  esito_pacchetti esito;
  if (ingresso.size() < 9) return esito;
  const auto flag = static_cast<unsigned char>(ingresso[0]);
  std::string_view resto = ingresso.substr(9);
  const std::string_view voci = resto.substr(0, std::min<size_t>(leggi32(ingresso, 1), resto.size()));
  resto.remove_prefix(voci.size());
  const std::string_view celle = resto.substr(0, std::min<size_t>(leggi32(ingresso, 5), resto.size()));
  resto.remove_prefix(celle.size());
  std::optional<std::string_view> linea;
  if ((flag & 1) == 0) linea = resto;
  esito.limite = memoria_ammessa(voci, celle, linea);

  const std::string route = "Linea Prova", treno = "R 7", cartella = "c";
  piattaforma::DiscoMemoria disco;
  disco.file[piattaforma::unisci_percorso(cartella, scenario::nome_pacchetto_voci(route, treno))] = voci;
  disco.file[piattaforma::unisci_percorso(cartella, scenario::nome_pacchetto_celle(route, treno))] = celle;
  if (linea) disco.file[piattaforma::unisci_percorso(cartella, scenario::nome_pacchetto_linea(route))] = *linea;
  opzioni o;
  o.linea = route;
  o.treno = treno;
  o.json = (flag & 2) != 0;
  if ((flag & 4) != 0) o.svg = "disegno.svg";
  auto elenca = [](const std::string&) { return std::vector<std::string>{}; };
  Scarico scarico;
  std::ostream nulla(&scarico);

  esito.misurato = misura();
  const int64_t base = in_uso();
  picco = base;
  esito.stato = ispeziona(disco, elenca, o, cartella, nulla, nulla);
  esito.picco = static_cast<size_t>(picco.load() - base);
  return esito;
}

std::vector<std::pair<std::string, std::string>> semi_pacchetti() {
  const scenario::modello m = prova::modello_piccolo();
  const std::string linea(scenario::pacchetto_linea(m));
  const std::string voci = scenario::pacchetto_voci(m);
  const std::string celle = scenario::pacchetto_celle(m);
  constexpr uint8_t json = 2, svg = 4;
  return {
      {"s0-sano-json-svg", ingresso_pacchetti(json | svg, voci, celle, linea)},
      {"s0-senza-linea", ingresso_pacchetti(0, voci, celle, std::nullopt)},
      {"s2-celle-tre-di-troppo", ingresso_pacchetti(svg, voci, celle + std::string(45, '\x07'), linea)},
      {"s2-linea-e-celle-scambiate", ingresso_pacchetti(json, voci, linea, celle)},
      {"s2-celle-troncate", ingresso_pacchetti(svg, voci, celle.substr(0, celle.size() - 7), std::nullopt)},
      {"s2-voci-troncate", ingresso_pacchetti(json, voci.substr(0, voci.size() / 2), celle, std::nullopt)},
      {"s2-linea-troncata", ingresso_pacchetti(svg, voci, celle, linea.substr(0, linea.size() / 3))},
  };
}

}  // namespace ispettore
