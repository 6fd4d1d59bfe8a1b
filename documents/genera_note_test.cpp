// The notes draft made from the sources: marked as a draft, in the notes'
// layout, and agreeing with its sources through the notes' checks.

#include "documents/genera_note.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "documents/genera_documenti.h"
#include "prova/accordo_documenti.h"
#include "prova/sorgenti_prova.h"

namespace documenti {
namespace {

using prova::sorgente::fermata;

// The draft's lines made from two source texts, through the layout and
// agreement checks (the sheet made with it gives the places it names).
std::vector<std::string> note_da(const prova::sorgenti_testo& s, const valori_documenti& v = {}) {
  const documenti_generati d = genera_documenti(prova::carica(s), v);
  EXPECT_EQ(prova::impaginazione_testo(d.note, larghezza_note), std::vector<std::string>{});
  std::vector<std::string> difetti;
  const auto righe = prova::righe_crlf(d.note, difetti);
  const auto scheda = prova::righe_crlf(d.scheda, difetti);
  EXPECT_EQ(prova::accordo_note(righe, s, scheda), std::vector<std::string>{});
  // Paragraphs open with four blanks; no line is empty.
  for (const std::string& r : righe) EXPECT_TRUE(!r.empty() && (r.rfind("    ", 0) == 0 || r[0] != ' ')) << r;
  return righe;
}

// The lines joined as the paragraphs were before they were broken.
std::string testo(const std::vector<std::string>& righe) {
  std::string t;
  for (const std::string& r : righe) t += r + " ";
  return t;
}

TEST(NoteGenerate, TheShippedSourcesGiveADraftThatAgreesWithThem) {
  const auto righe = note_da(prova::sorgenti_spedite());
  ASSERT_FALSE(righe.empty());
  EXPECT_EQ(righe[0].rfind("    BOZZA delle note", 0), 0u);
  EXPECT_EQ(righe.back(), "    Buon divertimento.");
  const std::string t = testo(righe);
  for (const char* fatto : {"27 fermate", "Castel Brunora, Olmara C.le e Montesella", "a 9 codici",
                            "codici 180 al posto dei consueti 270", "al km 287.550 si passa a 0.000"})
    EXPECT_NE(t.find(fatto), std::string::npos) << fatto;
}

TEST(NoteGenerate, SlowdownsOneStopAndNoCabSignalling) {
  const prova::sorgenti_testo s{
      prova::sorgente::linea("", 20000, "progressiva chilometrica uno,    0,    10000,    0\n"),
      prova::sorgente::treno("numero vetture, 3\npercentuale massa frenata, 90\nvelocita, 0, 100\n"
                             "rallentamento,    3000,   60,  400, 0, 0, 0\nrallentamento,    5000,   30,  100, 0, 0, 0\n" +
                             fermata(0, 8, 1, 7, 30, 0, "Origine") + fermata(5000, 22, 60, 7, 40, 0, "Mezzo") +
                             fermata(10000, 6, 0, 7, 50, 0, "Termine"))};
  valori_documenti v;
  v.locomotiva = "E 424";
  const std::string t = testo(note_da(s, v));
  for (const char* fatto :
       {"1 fermata: Mezzo.", "non ha la ripetizione segnali in macchina", "La locomotiva \xE8 una E 424.",
        "n. 1 dal km 13.000 a 60 km/h per 400 m, fra Origine e Mezzo",
        "n. 2 dal km 15.000 a 30 km/h per 100 m, nella stazione di Mezzo", "parte da Origine alle 07.30"})
    EXPECT_NE(t.find(fatto), std::string::npos) << fatto << "\n" << t;
}

TEST(NoteGenerate, ParagraphsBreakAtBlanksWithinTheWidth) {
  EXPECT_EQ(paragrafo("uno due tre quattro", 12), (std::vector<std::string>{"    uno due", "tre quattro"}));
  EXPECT_EQ(paragrafo("lunghissimaparola e", 8), (std::vector<std::string>{"    lunghissimaparola", "e"}));
  EXPECT_EQ(paragrafo("a", 98), (std::vector<std::string>{"    a"}));
}

}  // namespace
}  // namespace documenti
