#include "platform/disco.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/area_zeri.h"
#include "platform/cartella_programma.h"
#include "platform/errore_file.h"
#include "prova/cartella_temporanea.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <limits.h>
#include <sys/stat.h>
#endif

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

// Files of every size come back whole: empty, a single byte, larger than
// one read of the system, and with bytes of every value.
TEST_F(DiscoRealeTest, ReadsFilesOfEverySizeWhole) {
  for (const size_t n : {size_t{0}, size_t{1}, size_t{65537}, size_t{3} << 20}) {
    std::string byte(n, '\0');
    for (size_t i = 0; i < n; ++i) byte[i] = static_cast<char>(i * 7 % 256);
    const auto p = percorso("dimensione " + std::to_string(n));
    { std::ofstream(p, std::ios::binary) << byte; }
    EXPECT_EQ(disco.leggi(p), byte) << n;
  }
}

// A bounded read takes no more than it is asked for, whatever the file's
// size (a sparse file of 1 GiB here), and says how large the file is.
TEST_F(DiscoRealeTest, ABoundedReadTakesAtMostWhatItIsAskedAndGivesTheWholeSize) {
  const auto grande = percorso("grande");
  { std::ofstream(grande, std::ios::binary) << "abcdef"; }
  fs::resize_file(grande, uint64_t{1} << 30);
  const auto piccolo = percorso("piccolo");
  { std::ofstream(piccolo, std::ios::binary) << "abc"; }
  struct caso { std::string p; size_t massimo; std::string byte; uint64_t dimensione; };
  for (const caso& c : {caso{grande, 4, "abcd", uint64_t{1} << 30}, caso{grande, 0, "", uint64_t{1} << 30},
                        caso{piccolo, 4, "abc", 3}, caso{piccolo, 3, "abc", 3}, caso{piccolo, 2, "ab", 3}}) {
    const Disco::inizio_file letto = disco.leggi_inizio(c.p, c.massimo);
    EXPECT_EQ(letto.byte, c.byte) << c.p << " " << c.massimo;
    EXPECT_EQ(letto.dimensione, c.dimensione) << c.p << " " << c.massimo;
  }
  EXPECT_THROW(disco.leggi_inizio(percorso("assente"), 10), ErroreFile);
  EXPECT_THROW(disco.leggi_inizio(cartella.string(), 10), ErroreFile);  // a folder
}

// A move keeps the bytes whole and never takes a name that is there; a
// failed one leaves both files as they were.
TEST_F(DiscoRealeTest, AMoveNeverReplacesWhatStandsAtTheNewName) {
  const auto da = percorso("mia.txt"), a = percorso("mia.1.txt"), preso = percorso("altra.txt");
  { std::ofstream(da, std::ios::binary) << "modifica\r\n"; }
  { std::ofstream(preso, std::ios::binary) << "altra"; }
  try {
    disco.sposta_senza_sostituire(da, preso);
    ADD_FAILURE() << "moved over a file";
  } catch (const ErroreFile& e) {
    EXPECT_NE(std::string(e.what()).find("there already"), std::string::npos) << e.what();
  }
  EXPECT_EQ(contenuto(da), "modifica\r\n");
  EXPECT_EQ(contenuto(preso), "altra");
  disco.sposta_senza_sostituire(da, a);
  EXPECT_FALSE(fs::exists(da));
  EXPECT_EQ(contenuto(a), "modifica\r\n");
  EXPECT_THROW(disco.sposta_senza_sostituire(da, percorso("x.txt")), ErroreFile);  // gone
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
  // A folder that does not exist: the temporary file is what cannot be created.
  const auto assente = unisci_percorso(percorso("manca"), "f.dat");
  try {
    disco.sostituisci(assente, "x");
    FAIL();
  } catch (const ErroreFile& e) {
    EXPECT_TRUE(temporaneo_di(fs::path(e.percorso()).filename().string(), "f.dat"))
        << e.percorso();
    EXPECT_EQ(e.percorso().rfind(assente, 0), 0u) << e.percorso();
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

// In a series the flushes and renames may finish in the background: a
// read of a name waits for its replacement, two replacements of one name
// land in the order given, and a failed one is thrown at the end of the
// series, after which nothing given later is made and no temporary stays.
TEST_F(DiscoRealeTest, ASeriesKeepsItsOrderAndReportsItsFirstFailureAtTheEnd) {
  const auto a = percorso("a.dat"), b = percorso("b.dat"), c = percorso("c.dat");
  { std::ofstream(c, std::ios::binary) << "vecchio"; }
  {
    Serie serie(disco);
    disco.sostituisci(a, "primo");
    disco.sostituisci(a, "secondo");
    EXPECT_EQ(disco.leggi(a), "secondo");
    serie.concludi();
  }
  EXPECT_EQ(contenuto(a), "secondo");

  // A folder (not empty) at b's name: its rename fails on every system.
  fs::create_directory(b);
  { std::ofstream(fs::path(b) / "dentro", std::ios::binary) << "x"; }
  Serie serie(disco);
  disco.sostituisci(a, "terzo");
  try {
    disco.sostituisci(b, "mai");
    disco.sostituisci(c, "nuovo");
    serie.concludi();
    FAIL() << "the failed rename was not reported";
  } catch (const ErroreFile& e) {
    EXPECT_EQ(e.percorso(), b);
  }
  EXPECT_EQ(contenuto(a), "terzo");
  EXPECT_EQ(contenuto(c), "vecchio");
  EXPECT_TRUE(fs::is_directory(b));
  EXPECT_EQ(voci_in_cartella(), 3u);  // a, b and c: no temporary left
}

// A file on huge pages (the plan table's memory) is written straight to
// the device in whole blocks and its last partial block through the cache:
// every byte comes back, at every length around a block.
TEST_F(DiscoRealeTest, AFileFromHugePagesComesBackWhole) {
  AreaZeri area(AreaZeri::Origine::pagine);
  const size_t n = (size_t{3} << 20) + 4096 + 123;
  area.ridimensiona(n);
  for (size_t i = 0; i < n; ++i) area.data()[i] = static_cast<char>(i * 7919 % 251);
  const auto p = percorso("piano.dat");
  for (const size_t lunghezza : {n, n - 123, n - 4096 - 123 + 1}) {
    Serie serie(disco);
    const std::string_view byte(area.data(), lunghezza);
    disco.sostituisci(p, byte);
    serie.concludi();
    EXPECT_EQ(contenuto(p), byte) << lunghezza;
  }
  EXPECT_EQ(voci_in_cartella(), 1u);
}

// A second lock on the same file waits, then gives up with a message that
// says why; once the first is released the lock can be taken again, and a
// waiter that is still waiting gets it.
TEST_F(DiscoRealeTest, TheLockKeepsASecondHolderOutUntilTheFirstLetsGo) {
  using std::chrono::milliseconds;
  const auto p = percorso("prova.lock");
  auto primo = disco.blocca(p, milliseconds(0));
  try {
    disco.blocca(p, milliseconds(200));
    FAIL() << "a second lock was granted";
  } catch (const ErroreFile& e) {
    EXPECT_EQ(e.percorso(), p);
    EXPECT_NE(e.motivo().find("another run"), std::string::npos) << e.motivo();
  }
  std::thread rilascio([&] {
    std::this_thread::sleep_for(milliseconds(300));
    primo.reset();
  });
  EXPECT_NO_THROW(disco.blocca(p, milliseconds(30000)));
  rilascio.join();
  EXPECT_NO_THROW(disco.blocca(p, milliseconds(0)));
  EXPECT_TRUE(fs::is_regular_file(p));
  // In a folder that is not there: the folder is named.
  const std::string manca = percorso("manca");
  try {
    disco.blocca(unisci_percorso(manca, "prova.lock"), milliseconds(0));
    ADD_FAILURE() << "locked in a missing folder";
  } catch (const ErroreFile& e) {
    EXPECT_EQ(e.what(), "cannot write into \"" + manca + "\": there is no such folder");
  }
}

// Only entries named "<name>.nuovo-" and 16 lower-case hexadecimal digits
// are an interrupted replacement's leftovers; near misses and other names stay.
TEST_F(DiscoRealeTest, RemovesOnlyTheTemporaryFilesOfTheName) {
  const auto p = percorso("f.dat");
  // Two names of one folder, cleared by one call.
  const std::vector<std::string> avanzi = {"f.dat.nuovo-0123456789abcdef",
                                           "f.dat.nuovo-ffffffffffffffff",
                                           "h.txt.nuovo-00000000000000aa"};
  const std::vector<std::string> altri = {"f.dat", "f.dat.nuovo", "f.dat.nuovo-0123456789abcde",
                                          "f.dat.nuovo-0123456789abcdeg", "g.dat.nuovo-0123456789abcdef",
                                          "f.dat.nuovo-0123456789abcdef0"};
  for (const auto& n : avanzi) std::ofstream(percorso(n), std::ios::binary) << "parziale";
  for (const auto& n : altri) std::ofstream(percorso(n), std::ios::binary) << "altro";
  disco.rimuovi_temporanei({p, percorso("h.txt")});
  for (const auto& n : avanzi) EXPECT_FALSE(fs::exists(percorso(n))) << n;
  for (const auto& n : altri) EXPECT_TRUE(fs::exists(percorso(n))) << n;
  EXPECT_NO_THROW(disco.rimuovi_temporanei({percorso("nessuno.txt")}));
}

// A path at the system's limit is refused before any file call; one
// character less passes.
TEST(VerificaLunghezza, RefusesAPathAtTheSystemsLimit) {
#ifdef _WIN32
  const size_t limite = MAX_PATH;
#else
  const size_t limite = PATH_MAX;
#endif
  EXPECT_NO_THROW(verifica_lunghezza("c" + std::string(limite - 2, 'a')));
  try {
    verifica_lunghezza("c" + std::string(limite - 1, 'a'));
    FAIL();
  } catch (const ErroreFile& e) {
    EXPECT_NE(e.motivo().find(std::to_string(limite - 1)), std::string::npos) << e.motivo();
  }
}

#ifndef _WIN32
// Permission bits of the file as the system reports them.
fs::perms permessi(const std::string& p) { return fs::symlink_status(p).permissions(); }

// The new file keeps the old one's permission bits; a new name gets what
// the umask lets through of 0666.
TEST_F(DiscoRealeTest, KeepsThePermissionBitsOfTheFileItReplaces) {
  for (auto modo : {fs::perms(0600), fs::perms(0640), fs::perms(0755), fs::perms(0444)}) {
    const auto p = percorso("f.txt");
    { std::ofstream(p, std::ios::binary) << "vecchio"; }
    fs::permissions(p, modo);
    disco.sostituisci(p, "nuovo");
    EXPECT_EQ(permessi(p), modo) << static_cast<int>(modo);
    EXPECT_EQ(disco.leggi(p), "nuovo");
    fs::remove(p);
  }
  const mode_t maschera = ::umask(022);
  disco.sostituisci(percorso("g.txt"), "nuovo");
  ::umask(maschera);
  EXPECT_EQ(permessi(percorso("g.txt")), fs::perms(0644));
}

// Whatever stands at the output name — a link to a file elsewhere, a hard
// link, a dangling link, a pipe — is replaced by a new regular file: the
// file elsewhere keeps its content and the run never blocks on the pipe.
TEST_F(DiscoRealeTest, ALinkOrPipeAtTheNameIsReplacedNeverWrittenThrough) {
  const fs::path fuori = cartella / "fuori";
  fs::create_directory(fuori);
  const fs::path bersaglio = fuori / "segreto";
  const auto p = percorso("note.txt");
  const std::vector<std::pair<const char*, std::function<void()>>> casi = {
      {"symbolic link", [&] { fs::create_symlink(bersaglio, p); }},
      {"hard link", [&] { fs::create_hard_link(bersaglio, p); }},
      {"dangling link", [&] { fs::create_symlink(fuori / "manca", p); }},
      {"pipe", [&] { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
  };
  for (const auto& [nome, pianta] : casi) {
    SCOPED_TRACE(nome);
    { std::ofstream(bersaglio, std::ios::binary) << "segreto"; }
    fs::permissions(bersaglio, fs::perms(0600));
    pianta();
    disco.sostituisci(p, "note");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(p)));
    EXPECT_EQ(disco.leggi(p), "note");
    EXPECT_EQ(contenuto(bersaglio.string()), "segreto");
    EXPECT_EQ(permessi(bersaglio.string()), fs::perms(0600));
    EXPECT_FALSE(fs::exists(fuori / "manca"));
    fs::remove(p);
  }
}

// Reading, locking and clearing leftovers never follow a link or wait on a
// pipe: a link or pipe at a source or at the lock file is refused, and a
// link at a temporary name is removed while its target stays.
TEST_F(DiscoRealeTest, ReadingLockingAndClearingNeverFollowALinkOrWaitOnAPipe) {
  const auto bersaglio = percorso("bersaglio");
  { std::ofstream(bersaglio, std::ios::binary) << "segreto"; }
  const auto collegamento = percorso("collegamento");
  fs::create_symlink(bersaglio, collegamento);
  const auto tubo = percorso("tubo");
  ASSERT_EQ(::mkfifo(tubo.c_str(), 0600), 0);
  for (const auto& p : {collegamento, tubo}) {
    EXPECT_THROW(disco.leggi(p), ErroreFile) << p;
    EXPECT_THROW(disco.leggi_inizio(p, 10), ErroreFile) << p;
    EXPECT_THROW(disco.blocca(p, std::chrono::milliseconds(0)), ErroreFile) << p;
  }
  const auto avanzo = percorso("f.dat.nuovo-0123456789abcdef");
  fs::create_symlink(bersaglio, avanzo);
  disco.rimuovi_temporanei({percorso("f.dat")});
  EXPECT_FALSE(fs::exists(fs::symlink_status(avanzo)));
  EXPECT_EQ(contenuto(bersaglio), "segreto");
}
#endif

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

// The folder of a path, a root and a doubled separator included: what
// unisci_percorso joins, cartella_di takes apart.
TEST(CartellaDi, GivesTheFolderARootAndDotForABareName) {
  const std::string s(1, separatore);
  struct caso { std::string percorso, cartella; };
  std::vector<caso> casi = {{"f.txt", "."}, {"a" + s + "f", "a"}, {"a" + s + "b" + s + "f", "a" + s + "b"},
                            {"a" + s + s + "f", "a"}, {s + "f", s}, {s + s + "f", s}};
#ifdef _WIN32
  casi.push_back({"C:\\f", "C:\\"});
  casi.push_back({"C:/a/f", "C:/a"});
#endif
  for (const caso& c : casi) EXPECT_EQ(cartella_di(c.percorso), c.cartella) << c.percorso;
  EXPECT_EQ(cartella_di(unisci_percorso("cartella", "f.txt")), "cartella");
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
