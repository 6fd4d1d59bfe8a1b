#pragma once
// A resizable run of bytes that starts out zero, for the large tables a run
// fills once and writes out (the plan table: 4.7 MB for the shipped line,
// 19 MB at 1,000,000 m).
//
// The bytes come from the system as whole pages, which it hands over
// already zero, so the area is never cleared by hand. On Linux an area of
// 2 MiB or more takes whole 2 MiB pages (huge pages, where the system has
// them), at most 2 MiB more than it needs: the first touch of 19 MB then
// costs ten faults instead of nearly five thousand, which were the largest
// cost of a run. Under AddressSanitizer
// the bytes come from calloc instead, so that the sanitizer watches the
// area's bounds; the whole huge pages inside it are still asked for. An
// area shrunk keeps its memory for growing again, and there the bytes past
// its size are marked out of bounds to the sanitizer, so a read beyond
// size() is caught as in an area just taken.

#include <cstddef>

namespace piattaforma {

class AreaZeri {
 public:
  // Where the bytes come from: whole pages of the system, or calloc.
  enum class Origine { pagine, calloc };
  // calloc under AddressSanitizer, pages otherwise.
  static constexpr Origine predefinita =
#if defined(__SANITIZE_ADDRESS__)
      Origine::calloc;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
      Origine::calloc;
#else
      Origine::pagine;
#endif
#else
      Origine::pagine;
#endif

  explicit AreaZeri(Origine origine = predefinita) : origine_(origine) {}
  AreaZeri(const AreaZeri& altra);
  AreaZeri& operator=(const AreaZeri& altra);
  AreaZeri(AreaZeri&& altra) noexcept;
  AreaZeri& operator=(AreaZeri&& altra) noexcept;
  ~AreaZeri();

  char* data() { return dati_; }
  const char* data() const { return dati_; }
  size_t size() const { return dimensione_; }

  // Makes the area n bytes long: the first min(size(), n) bytes are kept,
  // every byte after them is zero. Shrinking keeps the memory (ridimensiona(0)
  // empties the area for a later table without giving it back); growing
  // within it clears only the bytes once used, growing past it may move the
  // bytes (data() changes). Throws std::bad_alloc when the system has no room.
  void ridimensiona(size_t n);

  // Gives every byte back to the system: size() is 0.
  void libera();


 private:
  Origine origine_;
  char* dati_ = nullptr;
  size_t dimensione_ = 0;
  // Bytes held from the system (at least dimensione_).
  size_t capienza_ = 0;
  // Bytes ever inside the area since it was taken: those beyond are still
  // as the system gave them, zero.
  size_t toccati_ = 0;
};

// True when the `n` bytes at `p` lie on huge pages, as far as can be told
// without asking the system about each page: at least one huge page long,
// starting on a huge-page boundary (an area of 2 MiB or more taken from
// pages does), on a system that gives huge pages to memory that asks for
// them (Linux with transparent huge pages "always" or "madvise"). Such
// bytes are written to a file faster straight from memory than through
// the system's cache; on small pages it is the other way round. Always
// false on Windows.
bool su_pagine_grandi(const void* p, size_t n);

}  // namespace piattaforma
