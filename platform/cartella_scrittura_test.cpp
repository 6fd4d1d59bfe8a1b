#include "platform/cartella_scrittura.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/cartella_programma.h"
#include "platform/errore_file.h"
#include "prova/cartella_temporanea.h"

namespace piattaforma {
namespace {

namespace fs = std::filesystem;

// A second writer says once that it waits and touches nothing while the
// first holds the folder (a temporary file of the first's stays); holding
// the lock, it clears what is left of its own names' temporaries, and
// only of those.
TEST(PrendiCartella, WaitsSayingSoOnceThenClearsOnlyTheLeftoversOfItsNames) {
  const prova::CartellaTemporanea t("cartella_scrittura_test");
  const std::string f = unisci_percorso(t.str(), "f.dat");
  const std::string avanzo = f + ".nuovo-0123456789abcdef";
  const std::string altrui = unisci_percorso(t.str(), "g.dat.nuovo-0123456789abcdef");
  for (const std::string& p : {avanzo, altrui}) std::ofstream(p, std::ios::binary) << "parziale";

  DiscoReale disco;
  auto primo = prendi_cartella(disco, t.str(), {}, [] { ADD_FAILURE() << "the first waited"; });
  std::atomic<int> attese = 0;
  std::atomic<bool> preso = false;
  std::thread secondo([&] {
    const auto blocco = prendi_cartella(disco, t.str(), {f}, [&] { ++attese; });
    preso = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(preso);
  EXPECT_TRUE(fs::exists(avanzo)) << "cleared while another writer held the folder";
  primo.reset();
  secondo.join();
  EXPECT_EQ(attese, 1);
  EXPECT_FALSE(fs::exists(avanzo));
  EXPECT_TRUE(fs::exists(altrui));
  EXPECT_TRUE(fs::is_regular_file(unisci_percorso(t.str(), nome_blocco)));
}

// A path that the temporary name would take past the system's limit is
// refused before the lock file is even created.
TEST(PrendiCartella, APathTooLongIsRefusedBeforeAnythingIsTouched) {
  const prova::CartellaTemporanea t("cartella_scrittura_test");
  DiscoReale disco;
  EXPECT_THROW(prendi_cartella(disco, t.str(), {unisci_percorso(t.str(), std::string(5000, 'f'))}),
               ErroreFile);
  EXPECT_TRUE(fs::is_empty(t.percorso()));
}

}  // namespace
}  // namespace piattaforma
