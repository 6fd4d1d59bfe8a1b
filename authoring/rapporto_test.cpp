#include "authoring/rapporto.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace autore {
namespace {

// One error with everything a diagnostic can carry, and a count of
// warnings left out: the lines, the summary and the JSON say the same.
TEST(Rapporto, PrintsADiagnosticWithItsNotesAndCountsWhatWasLeftOut) {
  segnalazione e;
  e.file = "R_T.txt";
  e.riga = 12;
  e.colonna = 14;
  e.livello = gravita::errore;
  e.codice = 16;
  e.testo = "signal on a cell already taken";
  e.posizione = 2500;
  e.rimedio = "move it to 2450 m or 2550 m";
  e.note.push_back({"R_T.txt", 9, 14, "the cell is held by the signal at line 9"});
  segnalazione omessi;
  omessi.file = "R_T.txt";
  omessi.riga = 40;
  omessi.colonna = 1;
  omessi.livello = gravita::nota;
  omessi.omessi = 1234;
  omessi.testo = "1,234 more warnings";
  omessi.dopo_arresto = true;

  EXPECT_EQ(in_righe(e, "p"),
            "R_T.txt:12:14: error: signal on a cell already taken (chainage 2500 m); move it to "
            "2450 m or 2550 m [code 16]\n"
            "R_T.txt:9:14: note: the cell is held by the signal at line 9\n");
  segnalazione senza_file;
  senza_file.testo = "no place";
  EXPECT_EQ(in_righe(senza_file, "p"), "p: warning: no place\n");

  const std::vector<segnalazione> tutte = {e, omessi};
  EXPECT_EQ(conta(tutte), (std::pair<size_t, size_t>{1, 1234}));
  EXPECT_EQ(riepilogo(tutte, "p").rfind("p: 1 error, 1,234 warnings; the loader stopped", 0), 0u);
  EXPECT_EQ(riepilogo({}, "p"), "");

  resoconto r;
  r.segnalazioni = tutte;
  r.stato = 2;
  const nlohmann::json j = nlohmann::json::parse(in_json(r));
  EXPECT_EQ(j["errors"], 1);
  EXPECT_EQ(j["warnings"], 1234);
  EXPECT_EQ(j["status"], 2);
  EXPECT_EQ(j["diagnostics"][0]["code"], 16);
  EXPECT_EQ(j["diagnostics"][0]["notes"][0]["line"], 9);
  EXPECT_TRUE(j["diagnostics"][1]["code"].is_null());
  EXPECT_EQ(con_migliaia(9999000), "9,999,000");
  EXPECT_EQ(con_migliaia(0), "0");
}

}  // namespace
}  // namespace autore
