#include "platform/windows1252.h"

#include <gtest/gtest.h>

namespace piattaforma {
namespace {

TEST(Windows1252, AccentsAndSymbolsBecomeSingleBytes) {
  struct caso { const char* utf8; const char* atteso; };
  for (auto c : {caso{"abc", "abc"}, caso{"°", "\xB0"}, caso{"à", "\xE0"}, caso{"è", "\xE8"},
                 caso{"ì", "\xEC"}, caso{"ò", "\xF2"}, caso{"ù", "\xF9"}, caso{"€", "\x80"},
                 caso{"’", "\x92"}, caso{"Scheda n° 1/3", "Scheda n\xB0 1/3"}}) {
    auto r = in_windows1252(c.utf8);
    ASSERT_TRUE(r.has_value()) << c.utf8;
    EXPECT_EQ(*r, c.atteso) << c.utf8;
    EXPECT_EQ(da_windows1252(*r), c.utf8);
  }
}

TEST(Windows1252, RefusesWhatItCannotHoldAndSaysWhere) {
  struct caso { const char* utf8; size_t colonna; };
  for (auto c : {caso{"ab\xE2\x86\x92", 3} /* arrow */, caso{"x\xC3", 2} /* cut short */,
                 caso{"\xC0\xAF", 1} /* overlong */, caso{"ok \xF0\x9F\x98\x80", 4}}) {
    size_t colonna = 0;
    EXPECT_FALSE(in_windows1252(c.utf8, &colonna).has_value()) << c.utf8;
    EXPECT_EQ(colonna, c.colonna) << c.utf8;
  }
}

TEST(Windows1252, ReplacingPutsAQuestionMarkForEachSequenceItCannotHold) {
  struct caso { const char* utf8; const char* atteso; };
  for (auto c : {caso{"Citt\u00e0", "Citt\xE0"}, caso{"a\u2192b\u00e8", "a?b\xE8"} /* arrow */,
                 caso{"\xF0\x9F\x98\x80!", "?!"} /* four bytes, one mark */,
                 caso{"\x80x\xFF", "?x?"} /* no first byte */,
                 caso{"ab\xE2\x86", "ab??"} /* cut short */}) {
    EXPECT_EQ(in_windows1252_o_punto(c.utf8), c.atteso) << c.utf8;
  }
}

}  // namespace
}  // namespace piattaforma
