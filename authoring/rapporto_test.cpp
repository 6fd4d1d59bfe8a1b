#include "authoring/rapporto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace autore {
namespace {

segnalazione avviso(size_t riga, std::string testo) {
  segnalazione s;
  s.file = "t.txt";
  s.riga = riga;
  s.colonna = 1;
  s.testo = std::move(testo);
  return s;
}

// Warnings of one kind (the same text but for quoted names and numbers)
// past the limit of the kind or of all are counted in one note per kind,
// at the first left out and after all that are shown; errors are all shown.
TEST(Riduci, CountsTheWarningsPastEachLimitInOneNotePerKind) {
  segnalazione errore = avviso(4, "a rejected record");
  errore.errore = true;
  const std::vector<segnalazione> tutte = {
      avviso(1, "name `a` unknown"), avviso(2, "name `bb` unknown"),
      avviso(3, "speed 142 packed as 140"), errore,
      avviso(5, "name `c` unknown"), avviso(6, "speed 7 packed as 5"),
      avviso(7, "name `d` unknown")};
  std::vector<std::string> righe;
  for (const segnalazione& s : riduci(tutte, 2, 3)) righe.push_back(in_riga(s, "p"));
  EXPECT_EQ(righe, (std::vector<std::string>{
                       "t.txt:1:1: warning: name `a` unknown",
                       "t.txt:2:1: warning: name `bb` unknown",
                       "t.txt:3:1: warning: speed 142 packed as 140",
                       "t.txt:4:1: error: a rejected record",
                       "t.txt:5:1: note: and 2 more like it, not shown, from this one on: name `c` unknown",
                       "t.txt:6:1: note: and 1 more like it, not shown, from this one on: speed 7 packed as 5"}));
  EXPECT_NE(in_json(riduci(tutte, 2, 3)).find("\"severity\": \"note\""), std::string::npos);
  EXPECT_EQ(riduci(tutte).size(), tutte.size());
}

}  // namespace
}  // namespace autore
