#include "platform/area_zeri.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <new>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#define AREA_ZERI_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AREA_ZERI_ASAN 1
#endif
#endif
#ifdef AREA_ZERI_ASAN
#include <sanitizer/asan_interface.h>
#endif

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace piattaforma {
namespace {

#ifndef _WIN32
// Huge pages on x86-64 and most other Linux systems.
constexpr size_t pagina_grande = size_t{2} << 20;

size_t arrotonda(size_t n, size_t passo) { return (n + passo - 1) / passo * passo; }

// Maps `n` bytes of zero pages, or nullptr.
char* mappa(size_t n) {
  void* p = ::mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : static_cast<char*>(p);
}

// Asks for huge pages under the whole huge pages that bytes [p, p + n)
// cover; those not yet touched get them on their first touch. Bytes
// outside them stay in small pages: memory that calloc gave may share its
// first and last pages with other blocks. A system without huge pages
// refuses, and nothing changes.
void chiedi_pagine_grandi(char* p, size_t n) {
#ifdef MADV_HUGEPAGE
  const auto base = reinterpret_cast<uintptr_t>(p);
  const uintptr_t inizio = arrotonda(base, pagina_grande);
  const uintptr_t fine = (base + n) / pagina_grande * pagina_grande;
  if (fine > inizio) ::madvise(reinterpret_cast<char*>(inizio), fine - inizio, MADV_HUGEPAGE);
#else
  (void)p;
  (void)n;
#endif
}
#endif

// Marks bytes [da, a) of an area from calloc out of bounds (fuori) or back
// in bounds for AddressSanitizer; nothing without it.
void segna(char* p, size_t da, size_t a, bool fuori) {
#ifdef AREA_ZERI_ASAN
  if (p == nullptr || a <= da) return;
  if (fuori)
    ASAN_POISON_MEMORY_REGION(p + da, a - da);
  else
    ASAN_UNPOISON_MEMORY_REGION(p + da, a - da);
#else
  (void)p;
  (void)da;
  (void)a;
  (void)fuori;
#endif
}

// Takes at least n > 0 zero bytes from `origine`; `capienza` gets how many.
// Throws std::bad_alloc.
char* prendi(AreaZeri::Origine origine, size_t n, size_t& capienza) {
  if (origine == AreaZeri::Origine::calloc) {
    auto* p = static_cast<char*>(std::calloc(n, 1));
    if (p == nullptr) throw std::bad_alloc();
#ifndef _WIN32
    chiedi_pagine_grandi(p, n);
#endif
    capienza = n;
    return p;
  }
#ifdef _WIN32
  void* p = ::VirtualAlloc(nullptr, n, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (p == nullptr) throw std::bad_alloc();
  capienza = n;
  return static_cast<char*>(p);
#else
  capienza = arrotonda(n, static_cast<size_t>(::sysconf(_SC_PAGESIZE)));
  if (capienza < pagina_grande) {
    char* p = mappa(capienza);
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  // Whole huge pages: the last one, partly used, costs at most 2 MiB more
  // memory and spares up to 511 faults of small pages.
  capienza = arrotonda(capienza, pagina_grande);
  // One huge page more than needed, so that a part starting on a boundary
  // fits; the rest is given back at once.
  const size_t mappati = capienza + pagina_grande;
  char* p = mappa(mappati);
  if (p == nullptr) throw std::bad_alloc();
  const auto base = reinterpret_cast<uintptr_t>(p);
  const uintptr_t inizio = arrotonda(base, pagina_grande);
  if (inizio > base) ::munmap(p, inizio - base);
  const size_t coda = base + mappati - (inizio + capienza);
  if (coda > 0) ::munmap(reinterpret_cast<char*>(inizio + capienza), coda);
  char* area = reinterpret_cast<char*>(inizio);
  chiedi_pagine_grandi(area, capienza);
  return area;
#endif
}

// Gives back what prendi took.
void rendi(AreaZeri::Origine origine, char* p, size_t capienza) {
  if (p == nullptr) return;
  if (origine == AreaZeri::Origine::calloc) {
    segna(p, 0, capienza, false);
    std::free(p);
    return;
  }
#ifdef _WIN32
  (void)capienza;
  ::VirtualFree(p, 0, MEM_RELEASE);
#else
  ::munmap(p, capienza);
#endif
}

}  // namespace

AreaZeri::AreaZeri(const AreaZeri& altra) : origine_(altra.origine_) {
  ridimensiona(altra.dimensione_);
  if (dimensione_ > 0) std::memcpy(dati_, altra.dati_, dimensione_);
}

AreaZeri& AreaZeri::operator=(const AreaZeri& altra) {
  if (this != &altra) {
    AreaZeri copia(altra);
    *this = std::move(copia);
  }
  return *this;
}

AreaZeri::AreaZeri(AreaZeri&& altra) noexcept
    : origine_(altra.origine_),
      dati_(std::exchange(altra.dati_, nullptr)),
      dimensione_(std::exchange(altra.dimensione_, 0)),
      capienza_(std::exchange(altra.capienza_, 0)),
      toccati_(std::exchange(altra.toccati_, 0)) {}

AreaZeri& AreaZeri::operator=(AreaZeri&& altra) noexcept {
  if (this != &altra) {
    libera();
    origine_ = altra.origine_;
    dati_ = std::exchange(altra.dati_, nullptr);
    dimensione_ = std::exchange(altra.dimensione_, 0);
    capienza_ = std::exchange(altra.capienza_, 0);
    toccati_ = std::exchange(altra.toccati_, 0);
  }
  return *this;
}

AreaZeri::~AreaZeri() { libera(); }

void AreaZeri::ridimensiona(size_t n) {
  if (n <= capienza_) {
    // Bytes once inside the area may hold anything; beyond them the
    // system's zeros are still there.
    const size_t fino = n < toccati_ ? n : toccati_;
    if (origine_ == Origine::calloc) {
      if (n > dimensione_)
        segna(dati_, dimensione_, n, false);
      else
        segna(dati_, n, dimensione_, true);
    }
    if (fino > dimensione_) std::memset(dati_ + dimensione_, 0, fino - dimensione_);
    dimensione_ = n;
    if (n > toccati_) toccati_ = n;
    return;
  }
  size_t capienza = 0;
  char* nuovi = prendi(origine_, n, capienza);
  if (dimensione_ > 0) std::memcpy(nuovi, dati_, dimensione_);
  rendi(origine_, dati_, capienza_);
  dati_ = nuovi;
  capienza_ = capienza;
  dimensione_ = n;
  toccati_ = n;
}

void AreaZeri::libera() {
  rendi(origine_, dati_, capienza_);
  dati_ = nullptr;
  dimensione_ = capienza_ = toccati_ = 0;
}

bool su_pagine_grandi(const void* p, size_t n) {
#ifdef _WIN32
  (void)p;
  (void)n;
  return false;
#else
  // The system's setting, read once: "always [madvise] never", the
  // bracketed word the one in force.
  static const bool concesse = [] {
    std::ifstream f("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string riga;
    std::getline(f, riga);
    return riga.find("[always]") != std::string::npos || riga.find("[madvise]") != std::string::npos;
  }();
  return concesse && n >= pagina_grande && reinterpret_cast<uintptr_t>(p) % pagina_grande == 0;
#endif
}

}  // namespace piattaforma
