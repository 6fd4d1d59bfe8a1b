#include "inspector/svg.h"

#include <gtest/gtest.h>

#include <string>

namespace ispettore {
namespace {

TEST(TestoXml, EscapesTheSpecialCharactersAndReplacesControlCharacters) {
  EXPECT_EQ(testo_xml("a&b<c>d\"e'f"), "a&amp;b&lt;c&gt;d&quot;e&apos;f");
  EXPECT_EQ(testo_xml(std::string("x\x01y\x7Fz\tw", 8)), "x?y?z?w?");
  EXPECT_EQ(testo_xml("Citt\u00e0"), "Citt\u00e0");
}

}  // namespace
}  // namespace ispettore
