#include "model/identita.h"

#include <gtest/gtest.h>

#include <string>

namespace scenario {
namespace {

TEST(DifettoNome, TheShippedNamesPassAndEveryUnsafeNameIsRefusedWithItsReason) {
  for (const char* buono : {linea_scenario, treno_scenario, "Citt\u00e0 alta", "R.1", "T ", "-"})
    EXPECT_EQ(difetto_nome(buono), "") << buono;
  struct caso {
    std::string nome;
    const char* motivo;
  };
  const caso casi[] = {
      {"", "it is empty"},
      {"../escape", "it holds \"..\", which names the folder above"},
      {"a..b", "it holds \"..\", which names the folder above"},
      {"sub/R", "it holds the path separator '/'"},
      {"sub\\R", "it holds the path separator '\\'"},
      {"Reg\n40318", "it holds a control character (code 10)"},
      {std::string("R\0T", 3), "it holds a control character (code 0)"},
      {"R\x7f", "it holds a control character (code 127)"},
      {"R\u0085", "it holds a control character (code 133)"},
      {"R:T", "it holds ':', which Windows does not allow in a file name"},
      {"R*", "it holds '*', which Windows does not allow in a file name"},
      {"\"R\"", "it holds '\"', which Windows does not allow in a file name"},
  };
  for (const caso& c : casi) EXPECT_EQ(difetto_nome(c.nome), c.motivo) << c.nome;
  for (char c : std::string("<>|?")) EXPECT_NE(difetto_nome(std::string("R") + c), "") << c;
}

}  // namespace
}  // namespace scenario
