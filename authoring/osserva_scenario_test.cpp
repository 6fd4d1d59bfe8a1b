// End to end: the built impacchetta_scenario --watch, driven as an author
// drives it: started, a source saved with an error, saved again fixed,
// then stopped by closing its standard input. The test waits for the line
// the program prints after each drawing, never for a time.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "prova/cartella_temporanea.h"
#include "prova/esegui_programma.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace autore {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32

// A program started with a pipe on its standard input and one on its
// standard output; its standard error goes to a file.
class ProgrammaInCorso {
 public:
  ProgrammaInCorso(const fs::path& programma, const std::vector<std::string>& argomenti,
                   const fs::path& file_errori) {
    if (::pipe(ingresso_) != 0 || ::pipe(uscita_) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t azioni;
    posix_spawn_file_actions_init(&azioni);
    posix_spawn_file_actions_adddup2(&azioni, ingresso_[0], 0);
    posix_spawn_file_actions_adddup2(&azioni, uscita_[1], 1);
    posix_spawn_file_actions_addopen(&azioni, 2, file_errori.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (int fd : {ingresso_[0], ingresso_[1], uscita_[0], uscita_[1]})
      posix_spawn_file_actions_addclose(&azioni, fd);
    std::vector<std::string> tutti = {programma.string()};
    tutti.insert(tutti.end(), argomenti.begin(), argomenti.end());
    std::vector<char*> argv;
    for (std::string& a : tutti) argv.push_back(a.data());
    argv.push_back(nullptr);
    const int e = posix_spawn(&pid_, programma.c_str(), &azioni, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&azioni);
    ::close(ingresso_[0]);
    ::close(uscita_[1]);
    if (e != 0) throw std::runtime_error("cannot start " + programma.string());
  }
  ~ProgrammaInCorso() {
    chiudi_ingresso();
    ::close(uscita_[0]);
    if (pid_ > 0) attendi_fine();
  }

  // The next line of standard output that begins with `inizio` (earlier
  // lines are passed over); empty when the output ends first, or after
  // two minutes, a bound far above any round, that only keeps a broken
  // program from holding the test for ever.
  std::string riga_che_inizia(const std::string& inizio) {
    for (;;) {
      const size_t fine = letto_.find('\n');
      if (fine != std::string::npos) {
        std::string riga = letto_.substr(0, fine);
        letto_.erase(0, fine + 1);
        if (riga.starts_with(inizio)) return riga;
        continue;
      }
      pollfd p{uscita_[0], POLLIN, 0};
      if (::poll(&p, 1, 120000) <= 0) return "";
      char blocco[4096];
      const ssize_t n = ::read(uscita_[0], blocco, sizeof blocco);
      if (n <= 0) return "";
      letto_.append(blocco, static_cast<size_t>(n));
    }
  }

  // The end of the program's input: the loop's way out.
  void chiudi_ingresso() {
    if (ingresso_[1] >= 0) ::close(ingresso_[1]);
    ingresso_[1] = -1;
  }

  // Waits for the program to end; its exit status, -1 when it did not exit.
  int attendi_fine() {
    int stato = 0;
    ::waitpid(pid_, &stato, 0);
    pid_ = -1;
    return WIFEXITED(stato) ? WEXITSTATUS(stato) : -1;
  }

 private:
  int ingresso_[2] = {-1, -1};
  int uscita_[2] = {-1, -1};
  pid_t pid_ = -1;
  std::string letto_;
};

std::string leggi(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void scrivi(const fs::path& p, const std::string& t) {
  std::ofstream(p, std::ios::binary) << t;
}

#endif

TEST(OsservaScenario, RedrawsAfterEachSaveAndEndsWithItsInput) {
#ifdef _WIN32
  GTEST_SKIP() << "the test drives the program through POSIX pipes";
#else
  prova::CartellaTemporanea c("osserva scenario");
  const fs::path sorgenti = c / "mio";
  const auto partenza = prova::esegui_programma(
      PROGRAMMA_IMPACCHETTA_SCENARIO, {"--starting-point", sorgenti.string()}, c.percorso());
  ASSERT_EQ(partenza.stato, 0) << partenza.errori;
  const fs::path linea = sorgenti / "Tarvena-Olmara-Caldone_linea.txt";
  const fs::path treno = sorgenti / "Tarvena-Olmara-Caldone_Reg 40318-.txt";
  const fs::path svg = sorgenti / "linea.svg";
  const std::string giusto = leggi(treno);
  std::string sbagliato = giusto;
  const size_t stazione = sbagliato.find("stazione,    5300,");
  ASSERT_NE(stazione, std::string::npos);
  sbagliato.replace(stazione, 18, "stazione,    5320,");  // error 8

  ProgrammaInCorso p(PROGRAMMA_IMPACCHETTA_SCENARIO,
                     {"--watch", "--svg", svg.string(), linea.string(), treno.string()},
                     c / "errori.txt");
  EXPECT_EQ(p.riga_che_inizia("round "), "round 1: status 0; drew " + svg.string());
  const std::string buono = leggi(svg);
  EXPECT_NE(buono.find("; from Tarvena-Olmara-Caldone_Reg 40318-.txt:77</title>"), std::string::npos);
  EXPECT_TRUE(fs::exists(sorgenti / "linea.svg.html"));

  // Saved by rename over the old file, as editors do.
  scrivi(sorgenti / "nuovo.tmp", sbagliato);
  fs::rename(sorgenti / "nuovo.tmp", treno);
  EXPECT_TRUE(p.riga_che_inizia("round ").starts_with("round 2: status 2; drew " + svg.string() +
                                                      " (the last drawing without errors"));
  EXPECT_NE(leggi(svg).find("The sources have errors (round 2, "), std::string::npos);

  // Removed, then written again: missing for a while, which ends nothing.
  fs::remove(treno);
  scrivi(treno, giusto);
  EXPECT_EQ(p.riga_che_inizia("round "), "round 3: status 0; drew " + svg.string());
  EXPECT_EQ(leggi(svg), buono);

  p.chiudi_ingresso();
  EXPECT_EQ(p.attendi_fine(), 0);
  const std::string errori = leggi(c / "errori.txt");
  EXPECT_NE(errori.find("Tarvena-Olmara-Caldone_Reg 40318-.txt:38:14: error: "), std::string::npos) << errori;
  EXPECT_NE(errori.find("stopped watching after 3 packings"), std::string::npos) << errori;
  EXPECT_NE(leggi(sorgenti / "linea.svg.js").find("the packer stopped watching"), std::string::npos);
#endif
}

}  // namespace
}  // namespace autore
