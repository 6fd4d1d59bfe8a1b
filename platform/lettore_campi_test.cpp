#include "platform/lettore_campi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace piattaforma {
namespace {

// One case: the data, then steps run in order. A step is "t=TEXT", "8=N",
// "16=N" or "32=N" (read and expect), "t!", "8!", "16!", "32!" (the read
// must throw ErroreLettura), "eof" or "!eof" (the end-of-file test).
struct Caso {
  const char* nome;
  std::string dati;
  std::vector<std::string> passi;
};

void esegui(const Caso& caso) {
  SCOPED_TRACE(caso.nome);
  LettoreCampi f(caso.dati);
  for (size_t i = 0; i < caso.passi.size(); ++i) {
    const std::string& passo = caso.passi[i];
    SCOPED_TRACE("step " + std::to_string(i) + ": " + passo);
    if (passo == "eof") { EXPECT_TRUE(f.fine_file()); continue; }
    if (passo == "!eof") { EXPECT_FALSE(f.fine_file()); continue; }
    const auto segno = passo.find_first_of("=!");
    ASSERT_NE(segno, std::string::npos);
    const std::string tipo = passo.substr(0, segno);
    auto leggi = [&]() -> std::string {
      if (tipo == "t") return f.leggi_testo();
      if (tipo == "8") return std::to_string(f.leggi_8());
      if (tipo == "16") return std::to_string(f.leggi_16());
      return std::to_string(f.leggi_32());
    };
    if (passo[segno] == '!')
      EXPECT_THROW(leggi(), ErroreLettura);
    else
      EXPECT_EQ(leggi(), passo.substr(segno + 1));
  }
}

TEST(LettoreCampi, ReadsFieldsAsTheSourcesUseThem) {
  const std::vector<Caso> casi = {
      {"several numbers in one field, trailing blank before the line end",
       "orologio,    13              55            20 \r\n[aderenze]\r\n",
       {"t=orologio", "16=13", "!eof", "16=55", "16=20", "!eof", "t=[aderenze]", "eof"}},
      {"station record: groups without blanks, then a name to the line end",
       "stazione,       0,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20, Tarvena\r\n"
       "[rallentamenti]\r\n",
       {"t=stazione", "32=0", "8=8", "32=400", "8=1", "8=0", "8=0", "16=4", "16=1", "8=0",
        "16=2", "16=1", "16=1", "8=1", "32=13", "32=55", "32=20", "t=Tarvena",
        "t=[rallentamenti]", "eof"}},
      {"board text keeps inner and trailing blanks, drops leading ones",
       "cartello_indicatore,  205400,   (Ponte)(fiume)(Adda )  \r\nx",
       {"t=cartello_indicatore", "32=205400", "t=(Ponte)(fiume)(Adda )  ", "t=x", "eof"}},
      {"minus signs, and a hyphen inside a text field",
       "progressiva chilometrica due,    100000,    -100000,    0\r\n-- nota -- , y",
       {"t=progressiva chilometrica due", "32=100000", "32=-100000", "32=0", "t=-- nota -- ",
        "t=y"}},
      {"a quoted field runs to its closing quote; the rest of it is dropped",
       "\"a, b\"  resto,dopo\r\n\"aperta, fino in fondo",
       {"t=a, b", "t=dopo", "t=aperta, fino in fondo", "eof"}},
      {"empty lines, lone CR and lone LF between fields",
       "a\n\n\r\n  b\rc\r\n\r\n   \t",
       {"t=a", "t=b", "!eof", "t=c", "eof", "t!"}},
      {"empty text field between two commas", "a,,b", {"t=a", "t=", "t=b", "eof"}},
      {"a number followed by the next line without a comma", "5\r\n6", {"8=5", "8=6", "eof"}},
      {"a number as the last bytes of the data", "  7", {"!eof", "8=7", "eof", "8!"}},
      {"the closing field is read and then the end is seen", "[indicazioni]\r\n[fine]\r\n",
       {"t=[indicazioni]", "!eof", "t=[fine]", "eof"}},
      {"empty data", "", {"eof", "t!", "32!"}},
  };
  for (const auto& caso : casi) esegui(caso);
}

TEST(LettoreCampi, RefusesNumbersThatDoNotFitOrAreNotWholeNumbers) {
  const std::vector<Caso> casi = {
      {"8-bit limits", "255,256", {"8=255", "8!"}},
      {"8-bit takes no sign", "-1", {"8!"}},
      {"16-bit upper limit", "32767,32768", {"16=32767", "16!"}},
      {"16-bit lower limit", "-32768,-32769", {"16=-32768", "16!"}},
      {"32-bit upper limit", "2147483647,2147483648", {"32=2147483647", "32!"}},
      {"32-bit lower limit", "-2147483648,-2147483649", {"32=-2147483648", "32!"}},
      {"far too many digits", "99999999999999999999999", {"32!"}},
      {"letters after digits", "12abc", {"32!"}},
      {"letters only", "abc", {"8!"}},
      {"decimal point", "1.5", {"16!"}},
      {"a lone minus sign", "- 5", {"32!"}},
      {"a field that is empty", ",5", {"32!"}},
      {"no field left after the last one", "x,", {"t=x", "eof", "32!"}},
  };
  for (const auto& caso : casi) esegui(caso);
}

// The table of line starts places every offset as the scan from the start
// does, over every kind of line end, a CR at the very end and past the end.
TEST(LettoreCampi, LineTablePlacesEachOffsetAsTheScanDoes) {
  for (const std::string& dati : {std::string("a,b\r\n  c\rd\n\n\r\nfine\r"), std::string(),
                                 std::string("\n\r\r\n")}) {
    const indice_righe righe(dati);
    for (size_t i = 0; i <= dati.size(); ++i) {
      const riga_colonna attesa = trova_riga_colonna(dati, i), trovata = righe.dove(i);
      EXPECT_EQ(trovata.riga, attesa.riga) << i;
      EXPECT_EQ(trovata.colonna, attesa.colonna) << i;
      EXPECT_EQ(righe.inizio_riga(i) + attesa.colonna - 1, i) << i;
    }
  }
}

// A long field is quoted cut short, ending in an ellipsis.
TEST(LettoreCampi, CutsALongFieldShort) {
  EXPECT_EQ(citazione("segnale"), "segnale");
  EXPECT_EQ(citazione(std::string(40, 'x')), std::string(40, 'x'));
  EXPECT_EQ(citazione(std::string(1234567, 'x')), std::string(40, 'x') + "\x85");
  EXPECT_EQ(citazione("abcdef", 3), "abc\x85");
}

// Each field's start, as line and column, over every kind of line end; a
// field that runs on after a missing value is placed on its own line.
TEST(LettoreCampi, KnowsTheLineAndColumnOfEachFieldItReads) {
  LettoreCampi f("segnale,  2500, 2\r\n  sabbia,200\rora, 13  55\n\nfine\r\n");
  std::vector<std::pair<size_t, size_t>> luoghi;
  auto annota = [&] {
    const riga_colonna rc = trova_riga_colonna(f.dati(), f.inizio_campo());
    luoghi.emplace_back(rc.riga, rc.colonna);
  };
  f.leggi_testo(); annota();
  f.leggi_32(); annota();
  f.leggi_32(); annota();
  f.leggi_testo(); annota();
  f.leggi_16(); annota();
  f.leggi_testo(); annota();
  f.leggi_16(); annota();
  f.leggi_16(); annota();
  f.leggi_testo(); annota();
  EXPECT_THROW(f.leggi_32(), ErroreLettura);
  annota();
  const std::vector<std::pair<size_t, size_t>> attesi = {
      {1, 1}, {1, 11}, {1, 17}, {2, 3}, {2, 10}, {3, 1}, {3, 6}, {3, 10}, {5, 1}, {6, 1}};
  EXPECT_EQ(luoghi, attesi);
}

}  // namespace
}  // namespace piattaforma
