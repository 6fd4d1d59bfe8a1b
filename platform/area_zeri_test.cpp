#include "platform/area_zeri.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace piattaforma {
namespace {

// True when bytes [da, a) of the area are all zero.
bool zeri(const AreaZeri& area, size_t da, size_t a) {
  for (size_t i = da; i < a; ++i)
    if (area.data()[i] != 0) return false;
  return true;
}

// Both origins, small areas and areas of several huge pages, each checked
// through the same steps: every new byte zero, kept bytes kept.
class AreaZeriOrigini : public testing::TestWithParam<std::pair<AreaZeri::Origine, size_t>> {};

TEST_P(AreaZeriOrigini, NewBytesAreZeroAndKeptBytesStay) {
  const auto [origine, n] = GetParam();
  AreaZeri area(origine);
  EXPECT_EQ(area.size(), 0u);
  area.ridimensiona(n);
  ASSERT_EQ(area.size(), n);
  EXPECT_TRUE(zeri(area, 0, n));
  std::memset(area.data(), 0x5A, n);

  // Shrunk, then grown again within the same memory: the bytes cut off
  // come back as zero, not as they were.
  area.ridimensiona(n / 2);
  area.ridimensiona(n);
  EXPECT_EQ(area.data()[n / 2 - 1], 0x5A);
  EXPECT_TRUE(zeri(area, n / 2, n));

  // Grown past its memory: moved, the content kept, the rest zero.
  area.data()[n - 1] = 7;
  area.ridimensiona(3 * n + 5);
  EXPECT_EQ(area.data()[0], 0x5A);
  EXPECT_EQ(area.data()[n - 1], 7);
  EXPECT_TRUE(zeri(area, n, 3 * n + 5));

  // Copies are deep, moves leave the source empty.
  AreaZeri copia = area;
  copia.data()[0] = 1;
  EXPECT_EQ(area.data()[0], 0x5A);
  AreaZeri spostata = std::move(area);
  EXPECT_EQ(area.size(), 0u);
  EXPECT_EQ(spostata.data()[n - 1], 7);
  copia = spostata;
  EXPECT_EQ(copia.data()[0], 0x5A);
  spostata.libera();
  EXPECT_EQ(spostata.size(), 0u);
  EXPECT_EQ(spostata.data(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    PagineECalloc, AreaZeriOrigini,
    testing::Values(std::pair{AreaZeri::Origine::pagine, size_t{10}},
                    std::pair{AreaZeri::Origine::pagine, size_t{5} << 20},
                    std::pair{AreaZeri::Origine::calloc, size_t{10}},
                    std::pair{AreaZeri::Origine::calloc, size_t{5} << 20}));

#if defined(__SANITIZE_ADDRESS__)
// An area from calloc that shrinks keeps its memory, and the bytes past
// its size are out of bounds to AddressSanitizer until it grows again.
TEST(AreaZeri, BytesPastTheSizeOfAShrunkAreaAreOutOfBounds) {
  AreaZeri area(AreaZeri::Origine::calloc);
  area.ridimensiona(4096);
  const char* inizio = area.data();
  area.ridimensiona(1000);
  EXPECT_EQ(area.data(), inizio);
  EXPECT_FALSE(__asan_address_is_poisoned(area.data() + 999));
  EXPECT_TRUE(__asan_address_is_poisoned(area.data() + 1008));
  EXPECT_TRUE(__asan_address_is_poisoned(area.data() + 4095));
  area.ridimensiona(0);
  EXPECT_TRUE(__asan_address_is_poisoned(area.data()));
  area.ridimensiona(4096);
  EXPECT_EQ(area.data(), inizio);
  EXPECT_FALSE(__asan_address_is_poisoned(area.data() + 4095));
  EXPECT_TRUE(zeri(area, 0, 4096));
}
#endif

#ifdef __linux__
TEST(AreaZeri, ALargeAreaOfPagesStartsOnAHugePageBoundary) {
  AreaZeri area(AreaZeri::Origine::pagine);
  area.ridimensiona((size_t{4} << 20) + 100);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(area.data()) % (uintptr_t{2} << 20), 0u);
  // Such an area counts as huge pages exactly where the system gives them;
  // a part of it off the boundary, or shorter than one, never does.
  EXPECT_FALSE(su_pagine_grandi(area.data() + 4096, size_t{3} << 20));
  EXPECT_FALSE(su_pagine_grandi(area.data(), (size_t{2} << 20) - 1));
  std::ifstream f("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string modo;
  std::getline(f, modo);
  EXPECT_EQ(su_pagine_grandi(area.data(), area.size()), modo.find("[never]") == std::string::npos &&
                                                            !modo.empty());
}
#endif

}  // namespace
}  // namespace piattaforma
