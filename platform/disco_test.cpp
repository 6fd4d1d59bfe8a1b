#include "platform/disco.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/cartella_programma.h"
#include "platform/errore_file.h"
#include "prova/cartella_temporanea.h"

namespace piattaforma {
namespace {

namespace fs = std::filesystem;

class DiscoRealeTest : public ::testing::Test {
 protected:
  std::string percorso(const std::string& nome) { return unisci_percorso(cartella.string(), nome); }
  static std::string contenuto(const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), {}};
  }
  size_t voci_in_cartella() {
    return static_cast<size_t>(std::distance(fs::directory_iterator(cartella), {}));
  }

  const prova::CartellaTemporanea temporanea{"disco_test "};
  const fs::path& cartella = temporanea.percorso();
  DiscoReale disco;
};

TEST_F(DiscoRealeTest, ReplacesAnOlderLongerFileWhole) {
  const auto p = percorso("file.txt");
  { std::ofstream(p, std::ios::binary) << std::string(1000, 'x'); }
  disco.sostituisci(p, "nuovo\r\n");
  EXPECT_EQ(contenuto(p), "nuovo\r\n");
  EXPECT_EQ(disco.leggi(p), "nuovo\r\n");
  EXPECT_EQ(voci_in_cartella(), 1u);  // no temporary file left behind
}

TEST_F(DiscoRealeTest, CreatesMissingFilesAndDeletesQuietly) {
  const auto p = percorso("nome con spazio-.txt");
  EXPECT_FALSE(disco.esiste(p));
  disco.sostituisci(p, std::string("a\0b", 3));
  EXPECT_TRUE(disco.esiste(p));
  EXPECT_EQ(disco.leggi(p), std::string("a\0b", 3));
  disco.elimina(p);
  EXPECT_FALSE(disco.esiste(p));
  EXPECT_NO_THROW(disco.elimina(p));  // already gone: not an error
}

TEST_F(DiscoRealeTest, FailuresNameTheFileAndLeaveNothingHalfWritten) {
  // A folder that does not exist.
  const auto assente = unisci_percorso(percorso("manca"), "f.dat");
  try {
    disco.sostituisci(assente, "x");
    FAIL();
  } catch (const ErroreFile& e) {
    EXPECT_EQ(e.percorso(), assente);
    EXPECT_FALSE(e.motivo().empty());
  }
  EXPECT_THROW(disco.leggi(assente), ErroreFile);

  // An output name that is a folder: the folder stays, no temporary remains.
  const auto cartella_omonima = percorso("occupato.dat");
  fs::create_directory(cartella_omonima);
  EXPECT_THROW(disco.sostituisci(cartella_omonima, "x"), ErroreFile);
  EXPECT_TRUE(fs::is_directory(cartella_omonima));
  EXPECT_FALSE(disco.esiste(cartella_omonima));
  EXPECT_EQ(voci_in_cartella(), 1u);
}

// UTF-8 text of a path, as the program holds paths, and back.
std::string in_utf8(const fs::path& p) {
  const std::u8string u = p.u8string();
  return {u.begin(), u.end()};
}
fs::path da_utf8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

// A folder name with letters outside ASCII: paths are UTF-8 in the program
// and must reach the file system as the same name.
TEST_F(DiscoRealeTest, FolderWithNonAsciiLettersWorksForEveryOperation) {
  const fs::path sotto = cartella / fs::path(u8"cartella \u00e8");
  fs::create_directory(sotto);
  const std::string p = unisci_percorso(in_utf8(sotto), "citt\u00e0.txt");

  EXPECT_FALSE(disco.esiste(p));
  disco.sostituisci(p, "uno\r\n");
  EXPECT_TRUE(fs::is_regular_file(da_utf8(p)));  // the very name, not a mangled one
  EXPECT_TRUE(disco.esiste(p));
  disco.sostituisci(p, "due");
  EXPECT_EQ(disco.leggi(p), "due");
  EXPECT_EQ(std::distance(fs::directory_iterator(sotto), {}), 1);  // no temporary left
  disco.elimina(p);
  EXPECT_FALSE(disco.esiste(p));
  EXPECT_TRUE(fs::is_empty(sotto));
}

TEST(UnisciPercorso, AlwaysAddsOneSeparator) {
  const std::string s(1, separatore);
  EXPECT_EQ(unisci_percorso("cartella", "f.txt"), "cartella" + s + "f.txt");
  EXPECT_EQ(unisci_percorso("radice" + s, "f.txt"), "radice" + s + s + "f.txt");
}

#ifdef _WIN32
// The test program is piattaforma_test.exe; its folder is absolute, holds it
// and does not end with a separator.
TEST(CartellaProgramma, IsTheFolderOfTheRunningExecutable) {
  const std::string cartella = cartella_programma();
  ASSERT_FALSE(cartella.empty());
  EXPECT_NE(cartella.back(), separatore);
  EXPECT_TRUE(da_utf8(cartella).is_absolute()) << cartella;
  EXPECT_TRUE(fs::is_regular_file(da_utf8(unisci_percorso(cartella, "piattaforma_test.exe"))))
      << cartella;
}
#else
TEST(CartellaProgramma, IsTheFolderOfTheRunningExecutable) {
  const fs::path eseguibile = fs::canonical("/proc/self/exe");
  EXPECT_EQ(fs::path(cartella_programma()), eseguibile.parent_path());
}
#endif

}  // namespace
}  // namespace piattaforma
