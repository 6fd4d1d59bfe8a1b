#include "fuzz/ingresso_fuzz.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "model/errori.h"
#include "packer/impacchettatore.h"

namespace scenario {
namespace {

namespace fs = std::filesystem;

const fs::path cartella_fuzz = fs::path(__FILE__).parent_path();

std::string leggi(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

// Seeds are named for the code they reach: "e016" ends with code 16,
// "e1250" with the header check 1250, "ok" and "spedito-*" with none.
TEST(SemiFuzz, EverySeedReachesTheCodeInItsName) {
  std::set<int32_t> raggiunti;
  for (const auto& voce : fs::directory_iterator(cartella_fuzz / "corpus")) {
    const std::string nome = voce.path().filename().string();
    const int32_t esito = esegui_ingresso_fuzz(leggi(voce.path()));
    int32_t atteso = 0;
    if (nome[0] == 'e') atteso = std::stoi(nome.substr(1, nome.find_first_not_of("0123456789", 1) - 1));
    EXPECT_EQ(esito, atteso) << nome;
    raggiunti.insert(esito);
    // Read as the authors' packer reads it, checks and all, going on past
    // every stop: the same end.
    EXPECT_EQ(esegui_lettura_autore_fuzz(leggi(voce.path())), atteso)
        << nome << " read as the authors' packer does";
  }
  // Together the seeds reach every code of the error table and the two
  // header checks, and nothing else: every code the loader, the builders
  // and the pass set has its entry, and no entry is dead.
  std::set<int32_t> tutti = {errore_marche, errore_codici_gara};
  for (const voce_errore& v : tabella_errori) tutti.insert(v.codice);
  EXPECT_EQ(raggiunti, tutti);
}

// Inputs the fuzzer once found faulty (every file of fuzz/regressioni but
// its README): each must now end normally, in both readings.
TEST(RegressioniFuzz, EveryFindingEndsNormally) {
  const fs::path regressioni = cartella_fuzz / "regressioni";
  ASSERT_TRUE(fs::is_directory(regressioni)) << regressioni;
  for (const auto& voce : fs::directory_iterator(regressioni)) {
    if (voce.path().filename() == "README.md") continue;
    const std::string ingresso = leggi(voce.path());
    EXPECT_NO_THROW(esegui_ingresso_fuzz(ingresso)) << voce.path().filename();
    EXPECT_NO_THROW(esegui_lettura_autore_fuzz(ingresso)) << voce.path().filename();
  }
}

}  // namespace
}  // namespace scenario
