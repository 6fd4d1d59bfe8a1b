#include "platform/coda_sfondo.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace piattaforma {
namespace {

// A piece that writes into a shared log what became of it, and fails on
// demand.
class Voce : public CodaSfondo::Lavoro {
 public:
  Voce(std::vector<std::string>& registro, std::string nome, bool fallisce = false)
      : registro_(registro), nome_(std::move(nome)), fallisce_(fallisce) {}
  void esegui() override {
    if (fallisce_) throw std::runtime_error(nome_ + " failed");
    registro_.push_back("done " + nome_);
  }
  void abbandona() noexcept override { registro_.push_back("abandoned " + nome_); }

 private:
  std::vector<std::string>& registro_;
  std::string nome_;
  bool fallisce_;
};

std::string messaggio(std::exception_ptr e) {
  try {
    std::rethrow_exception(e);
  } catch (const std::exception& x) {
    return x.what();
  }
}

TEST(CodaSfondo, DoesThePiecesInTheOrderGivenAndCanBeUsedAgain) {
  std::vector<std::string> registro;
  CodaSfondo coda;
  for (const char* n : {"a", "b", "c"}) coda.aggiungi(std::make_unique<Voce>(registro, n));
  EXPECT_EQ(coda.attendi(), nullptr);
  coda.aggiungi(std::make_unique<Voce>(registro, "d"));
  EXPECT_EQ(coda.attendi(), nullptr);
  EXPECT_EQ(registro, (std::vector<std::string>{"done a", "done b", "done c", "done d"}));
}

TEST(CodaSfondo, TheFirstFailureAbandonsWhatFollowsAndReachesTheCaller) {
  std::vector<std::string> registro;
  CodaSfondo coda;
  coda.aggiungi(std::make_unique<Voce>(registro, "a"));
  coda.aggiungi(std::make_unique<Voce>(registro, "b", true));
  coda.aggiungi(std::make_unique<Voce>(registro, "c", true));
  coda.aggiungi(std::make_unique<Voce>(registro, "d"));
  const std::exception_ptr errore = coda.attendi();
  ASSERT_NE(errore, nullptr);
  EXPECT_EQ(messaggio(errore), "b failed");
  EXPECT_EQ(registro, (std::vector<std::string>{"done a", "abandoned c", "abandoned d"}));
  // Forgotten once returned: the queue works again.
  coda.aggiungi(std::make_unique<Voce>(registro, "e"));
  EXPECT_EQ(coda.attendi(), nullptr);
  EXPECT_EQ(registro.back(), "done e");
}

TEST(CodaSfondo, AFailureKnownBeforeAPieceIsHandedOverIsThrownAndThePieceAbandoned) {
  std::vector<std::string> registro;
  CodaSfondo coda;
  coda.aggiungi(std::make_unique<Voce>(registro, "a", true));
  // Wait for the failure without closing the queue.
  for (;;) {
    try {
      coda.verifica();
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "a failed");
      break;
    }
  }
  EXPECT_THROW(coda.aggiungi(std::make_unique<Voce>(registro, "b")), std::runtime_error);
  EXPECT_EQ(registro, (std::vector<std::string>{"abandoned b"}));
  EXPECT_NE(coda.attendi(), nullptr);
}

TEST(CodaSfondo, DestroyingTheQueueWaitsForEveryPiece) {
  std::vector<std::string> registro;
  {
    CodaSfondo coda;
    for (int i = 0; i < 50; ++i) coda.aggiungi(std::make_unique<Voce>(registro, std::to_string(i)));
  }
  ASSERT_EQ(registro.size(), 50u);
  EXPECT_EQ(registro.back(), "done 49");
}

}  // namespace
}  // namespace piattaforma
