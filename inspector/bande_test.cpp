#include "inspector/bande.h"

#include <gtest/gtest.h>

namespace ispettore {
namespace {

TEST(PassoTondo, IsOneTwoOrFiveTimesAPowerOfTenNotBelowTheAsk) {
  struct caso { double grezzo, passo; };
  for (auto [grezzo, passo] : {caso{1, 1}, caso{1.2, 2}, caso{3, 5}, caso{7, 10}, caso{45000, 50000},
                               caso{0.03, 0.05}, caso{0, 1}, caso{-5, 1}})
    EXPECT_DOUBLE_EQ(passo_tondo(grezzo), passo) << grezzo;
}

}  // namespace
}  // namespace ispettore
