#include "app/sequenza.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/cartella_programma.h"
#include "platform/errore_file.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace scenario {
namespace {

namespace fs = std::filesystem;

// A disk in memory that can be told to fail on the n-th replacement.
class DiscoGuasto : public piattaforma::Disco {
 public:
  explicit DiscoGuasto(int guasto_alla_scrittura) : guasto_(guasto_alla_scrittura) {}
  bool esiste(const std::string& p) override { return file.count(p) != 0; }
  std::string leggi(const std::string& p) override {
    auto it = file.find(p);
    if (it == file.end()) throw piattaforma::ErroreFile(p, "read", "No such file or directory");
    return it->second;
  }
  void sostituisci(const std::string& p, std::string_view c) override {
    if (++scritture == guasto_) throw piattaforma::ErroreFile(p, "write", "No space left on device");
    file[p] = std::string(c);
    ordine.push_back(p);
  }
  void elimina(const std::string& p) override { file.erase(p); }

  std::map<std::string, std::string> file;
  std::vector<std::string> ordine;
  int scritture = 0;

 private:
  int guasto_;
};

TEST(CostruisciScenario, WritesSourcesThenNotesFormAndSheetInThatOrder) {
  DiscoGuasto disco(0);
  costruisci_scenario(disco, "c");
  ASSERT_GE(disco.ordine.size(), 5u);
  const std::vector<std::string> attesi = {
      "Tarvena-Olmara-Caldone_linea.txt", "Tarvena-Olmara-Caldone_Reg 40318-.txt",
      "Tarvena-Olmara-Caldone_Reg 40318_note.txt",
      "Tarvena-Olmara-Caldone_Reg 40318_rallentamenti.txt",
      "Tarvena-Olmara-Caldone_Reg 40318_scheda_treno.txt"};
  for (size_t i = 0; i < attesi.size(); ++i)
    EXPECT_EQ(disco.ordine[i], piattaforma::unisci_percorso("c", attesi[i])) << i;
}

TEST(CostruisciScenario, AFileFailureStopsTheRunWithStatusOneAndKeepsEarlierFiles) {
  for (int guasto = 1; guasto <= 5; ++guasto) {
    DiscoGuasto disco(guasto);
    EXPECT_EQ(costruisci_scenario(disco, "c"), uscita_errore_file) << guasto;
    EXPECT_EQ(disco.ordine.size(), static_cast<size_t>(guasto - 1)) << "no later step runs";
  }
}

#ifndef _WIN32
// Runs a copy of the built program from a folder whose path holds a blank,
// with the working directory elsewhere: every file lands beside the program.
TEST(CreaScenario, WritesIntoTheProgramsFolderNotTheWorkingDirectory) {
  const fs::path radice = fs::temp_directory_path() / ("sequenza_test_" + std::to_string(::getpid()));
  const fs::path cartella = radice / "cartella con spazio";
  const fs::path altrove = radice / "altrove";
  fs::remove_all(radice);
  fs::create_directories(cartella);
  fs::create_directories(altrove);
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, cartella / "crea_scenario");

  const std::string comando = "cd '" + altrove.string() + "' && '" +
                              (cartella / "crea_scenario").string() + "' >/dev/null 2>&1";
  const int stato = std::system(comando.c_str());
  ASSERT_TRUE(WIFEXITED(stato));
  EXPECT_EQ(WEXITSTATUS(stato), uscita_riuscita);

  EXPECT_TRUE(fs::is_empty(altrove));
  for (const char* nome : {"Tarvena-Olmara-Caldone_Reg 40318_note.txt",
                           "Tarvena-Olmara-Caldone_Reg 40318_rallentamenti.txt",
                           "Tarvena-Olmara-Caldone_Reg 40318_scheda_treno.txt"})
    EXPECT_TRUE(fs::is_regular_file(cartella / nome)) << nome;
  fs::remove_all(radice);
}
#endif

}  // namespace
}  // namespace scenario
