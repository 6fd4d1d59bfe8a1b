#include "platform/identita_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "prova/cartella_temporanea.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace piattaforma {
namespace {

namespace fs = std::filesystem;

// A folder holding a file "a", a hard link "h" to it, and a folder "sub"
// with a file "b"; on Linux also a link "la" to "a", a linked folder "ln"
// (to "sub"), a dangling link and a FIFO.
class Identita : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(t / "a") << "a";
    fs::create_directory(t / "sub");
    std::ofstream(t / "sub" / "b") << "b";
    fs::create_hard_link(t / "a", t / "h");
#ifndef _WIN32
    fs::create_symlink("a", t / "la");
    fs::create_directory_symlink("sub", t / "ln");
    fs::create_symlink("nessuno", t / "rotto");
    ASSERT_EQ(::mkfifo((t / "fifo").c_str(), 0600), 0);
#endif
  }
  std::string p(const std::string& relativo) const { return t.str() + "/" + relativo; }

  prova::CartellaTemporanea t{"identita_file"};
};

TEST_F(Identita, EverySpellingOfOneFileIsOneFileAndOthersAreNot) {
  struct caso {
    const char* a;
    const char* b;
    bool stesso;
  };
  const caso casi[] = {
      {"a", "./a", true},
      {"a", "sub/../a", true},
      {"a", "h", true},  // a hard link is the file itself
      {"sub/b", "sub/./b", true},
      {"a", "sub/b", false},
      // Neither there yet: the same name in the same folder.
      {"x", "sub/../x", true},
      {"x", "y", false},
      {"x", "sub/x", false},
      {"nuova/x", "./nuova/x", true},  // the folder missing too
      {"nuova/x", "altra/x", false},
      {"a", "x", false},  // one there, one not
#ifndef _WIN32
      {"a", "la", true},  // a link leads to its target
      {"sub/b", "ln/b", true},
      {"sub/x", "ln/x", true},
      {"ln/nuova/x", "sub/nuova/x", true},
#endif
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(std::string(c.a) + " and " + c.b);
    EXPECT_EQ(stesso_file(p(c.a), p(c.b)), c.stesso);
  }
  EXPECT_TRUE(stesso_file(p("a"), fs::absolute(t / "." / "a").string()));
  EXPECT_EQ(identita_di(p("x")), std::nullopt);
  EXPECT_EQ(identita_di(p("a/x")), std::nullopt);  // a file on the way: nothing there
  EXPECT_NE(identita_di(p("a")), identita_di(p("sub")));
}

TEST_F(Identita, TellsWhatStandsAtAPathWithoutFollowingALink) {
  struct caso {
    std::string percorso;
    tipo_file tipo;
  };
  const caso casi[] = {
      {p("a"), tipo_file::regolare},
      {p("sub"), tipo_file::cartella},
      {p("x"), tipo_file::mancante},
      {p("a/x"), tipo_file::mancante},
#ifndef _WIN32
      {p("la"), tipo_file::collegamento},
      {p("ln"), tipo_file::collegamento},
      {p("rotto"), tipo_file::collegamento},
      {p("fifo"), tipo_file::fifo},
      {"/dev/null", tipo_file::dispositivo},
#endif
  };
  for (const caso& c : casi) EXPECT_EQ(tipo_di(c.percorso), c.tipo) << c.percorso;
  EXPECT_EQ(motivo_non_regolare(tipo_file::collegamento),
            "it is a symbolic link; links are not followed");
  EXPECT_EQ(motivo_non_regolare(tipo_file::fifo), "it is a FIFO (named pipe), not a regular file");
}

}  // namespace
}  // namespace piattaforma
