#include "fuzz/pacchetti_fuzz.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "inspector/ispezione.h"
#include "model/modello.h"
#include "packer/pacchetti.h"
#include "prova/modello_piccolo.h"

namespace ispettore {
namespace {

namespace fs = std::filesystem;

const fs::path corpus = fs::path(__FILE__).parent_path() / "corpus_pacchetti";

std::string leggi(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

// The seed corpus is the generated seeds, byte for byte; with
// SCENARIO_SCRIVI_SEMI=1 in the environment this test writes them anew.
TEST(SemiPacchetti, TheCorpusHoldsTheGeneratedSeeds) {
  const auto semi = semi_pacchetti();
  if (const char* scrivi = std::getenv("SCENARIO_SCRIVI_SEMI"); scrivi && std::string(scrivi) == "1") {
    fs::remove_all(corpus);
    fs::create_directories(corpus);
    for (const auto& [nome, byte] : semi) std::ofstream(corpus / nome, std::ios::binary) << byte;
  }
  std::map<std::string, std::string> trovati;
  for (const auto& voce : fs::directory_iterator(corpus))
    trovati[voce.path().filename().string()] = leggi(voce.path());
  EXPECT_EQ(trovati, (std::map<std::string, std::string>(semi.begin(), semi.end())))
      << "run fuzz_scenario_test with SCENARIO_SCRIVI_SEMI=1 to write the seeds anew";
}

// Every seed ends with the status its name gives ("s2-…": 2), within the
// heap bound of its declared route.
TEST(SemiPacchetti, EverySeedEndsWithItsStatusWithinTheBound) {
  for (const auto& [nome, byte] : semi_pacchetti()) {
    const esito_pacchetti e = esegui_pacchetti_fuzz(byte);
    EXPECT_EQ(e.stato, nome[1] - '0') << nome;
    EXPECT_LE(e.picco, e.limite) << nome;
  }
}

// A track file megabytes longer than its route: the bound is that of the
// route (the excess adds nothing to it), and the inspection stays within
// it, so the excess was neither held nor decoded.
TEST(SemiPacchetti, AFileFarLongerThanItsRouteStaysWithinTheRoutesBound) {
  const scenario::modello m = prova::modello_piccolo();
  const std::string voci = scenario::pacchetto_voci(m);
  const std::string celle = scenario::pacchetto_celle(m);
  const std::string lunga = celle + std::string(size_t{24} << 20, '\x07');
  for (const uint8_t flag : {uint8_t{0}, uint8_t{2}, uint8_t{4}}) {
    const esito_pacchetti e = esegui_pacchetti_fuzz(ingresso_pacchetti(flag, voci, lunga, std::nullopt));
    EXPECT_EQ(e.stato, ispezione_difetti);
    EXPECT_EQ(e.limite, memoria_ammessa(voci, celle + "x", std::nullopt));
    if (e.misurato) {
      EXPECT_LE(e.picco, e.limite) << int{flag};
    }
  }
}

// The densest track file of a 100 km route: a signal in every cell. Its
// listing and drawing hold one feature per cell, and stay within the bound.
TEST(SemiPacchetti, TheDensestTrackFileStaysWithinTheBound) {
  scenario::modello m = prova::modello_piccolo();
  m.voci[scenario::riga_treno].fine = 100000;
  const std::string voci = scenario::pacchetto_voci(m);
  std::string celle;
  for (int32_t i = 0; i <= scenario::ultima_cella(100000); ++i)
    celle += std::string("\x01\x15\x00\x15\x00\x15\x00\x0f\x00\x65\x00\x00\x1c\x64\x5a", 15);
  for (const uint8_t flag : {uint8_t{0}, uint8_t{2}, uint8_t{4}}) {
    const esito_pacchetti e = esegui_pacchetti_fuzz(ingresso_pacchetti(flag, voci, celle, std::nullopt));
    EXPECT_EQ(e.stato, ispezione_difetti);
    EXPECT_LE(e.picco, e.limite) << int{flag};
  }
}

}  // namespace
}  // namespace ispettore
