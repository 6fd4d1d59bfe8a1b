#include "authoring/osserva.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "authoring/impacchetta.h"
#include "prova/disco_memoria.h"

namespace autore {
namespace {

// A small scenario, lines numbered from 1 in the comments.
const std::string linea =
    "[generale]\r\n"                                      // 1
    "lunghezza percorso,    5000\r\n"                     // 2
    "progressiva chilometrica uno,    0,    0,    0\r\n"  // 3
    "progressiva chilometrica due,    0,    0,    0\r\n"  // 4
    "progressiva chilometrica tre,    0,    0,    0\r\n"  // 5
    "sfondo uno,    1\r\n"                                // 6
    "sfondo due,    0\r\n"                                // 7
    "sfondo tre,    0\r\n"                                // 8
    "ripetizione segnali 9 codici,    0,    4000\r\n"     // 9
    "[curve]\r\n"                                         // 10
    "curvad1,  1500,  900\r\n"                            // 11
    "[pendenze]\r\n"                                      // 12
    "pendenza,   0,    0\r\n"                             // 13
    "pendenza,   2000,    6\r\n"                          // 14
    "montagna,   2500,  3500,  1\r\n"                     // 15
    "[indicazioni]\r\n"                                   // 16
    "cartello_indicatore,  3000,   (Ponte)(fiume)(Reno )\r\n"  // 17
    "[fine]\r\n";                                         // 18

// The train source with its second station at chainage `beta` (4000 is
// right; one off the 50 m grid is error 8).
std::string treno(const std::string& beta = "4000") {
  return "[generale]\r\n"                                                                  // 1
         "numero vetture,    8\r\n"                                                        // 2
         "percentuale massa frenata,    120\r\n"                                           // 3
         "sabbia,    200\r\n"                                                              // 4
         "orologio,    13              55            20 \r\n"                              // 5
         "aderenza,       0,    90\r\n"                                                    // 6
         "velocita,       0,   140\r\n"                                                    // 7
         "velocita,    1000,    90\r\n"                                                    // 8
         "stazione,       0,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20, Alfa\r\n"  // 9
         "stazione,    " + beta + ",  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, Beta\r\n"  // 10
         "segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0\r\n"                         // 11
         "abbattimento,    2000,   270\r\n"                                                // 12
         "[fine]\r\n";                                                                     // 13
}

const std::string nome_linea = "s/R_linea.txt";
const std::string nome_treno = "s/R_T-.txt";
const std::string svg = "s/disegno.svg";

// An in-memory disk holding the two sources, and a watcher of them.
struct banco {
  piattaforma::DiscoMemoria disco;
  opzioni o;
  std::ostringstream uscita, errori;
  Osservatore osservatore{disco, o, uscita, errori, [] { return "12:00:00"; }};

  explicit banco(std::vector<std::string> argomenti = {"--watch", "--svg", svg}) {
    argomenti.push_back(nome_linea);
    argomenti.push_back(nome_treno);
    o = leggi_opzioni(argomenti);
    disco.file[nome_linea] = linea;
    disco.file[nome_treno] = treno();
  }
  const std::string& disegno() { return disco.file.at(svg); }
  const std::string& segnale() { return disco.file.at(svg + ".js"); }
};

TEST(Osservatore, PacksAndRedrawsOnlyWhenASourceChangesAndKeepsTheLastGoodDrawing) {
  banco b;
  using esito = Osservatore::esito;

  // Round 1: packed and drawn, with the page and its signal beside it.
  ASSERT_EQ(b.osservatore.giro(), esito::impacchettato) << b.errori.str();
  EXPECT_EQ(b.osservatore.stato(), riuscito);
  const std::string buono = b.disegno();
  EXPECT_NE(b.disco.file.at(svg + ".html").find("disegno.svg.js"), std::string::npos);
  EXPECT_NE(b.segnale().find("disegno(1, \"round 1, 12:00:00: packed without errors\", false, 1600, "),
            std::string::npos)
      << b.segnale();
  EXPECT_NE(b.uscita.str().find("round 1: status 0; drew s/disegno.svg\n"), std::string::npos);

  // Nothing saved: nothing packed or written. A source missing for a moment
  // (a save by rename) is waited for, without a word the first time.
  const size_t scritti = b.disco.sostituiti.size();
  EXPECT_EQ(b.osservatore.giro(), esito::invariato);
  b.disco.file.erase(nome_treno);
  EXPECT_EQ(b.osservatore.giro(), esito::mancante);
  EXPECT_EQ(b.errori.str().find("waiting"), std::string::npos);
  b.disco.file[nome_treno] = treno();
  EXPECT_EQ(b.osservatore.giro(), esito::invariato);
  EXPECT_EQ(b.disco.sostituiti.size(), scritti);

  // A save with an error: reported, and the drawing is the last good one
  // under a notice; the page shows it in the colour of errors.
  b.disco.file[nome_treno] = treno("4020");
  ASSERT_EQ(b.osservatore.giro(), esito::impacchettato);
  EXPECT_EQ(b.osservatore.stato(), errore_dati);
  EXPECT_NE(b.errori.str().find("s/R_T-.txt:10:14: error: "), std::string::npos) << b.errori.str();
  EXPECT_NE(b.disegno().find("this is the drawing of round 1, 12:00:00, the last without errors"),
            std::string::npos);
  EXPECT_EQ(b.disegno().substr(0, b.disegno().find("<g id=\"avviso\">")),
            buono.substr(0, buono.rfind("</svg>")));
  EXPECT_NE(b.segnale().find("disegno(2, \"round 2, 12:00:00: the sources have errors\", true"),
            std::string::npos)
      << b.segnale();

  // The fix: drawn again, as in round 1.
  b.disco.file[nome_treno] = treno();
  ASSERT_EQ(b.osservatore.giro(), esito::impacchettato);
  EXPECT_EQ(b.osservatore.stato(), riuscito);
  EXPECT_EQ(b.disegno(), buono);

  // The end: the page is told, the drawing left as it is.
  b.osservatore.fine();
  EXPECT_NE(b.segnale().find("disegno(3, \"round 3, 12:00:00: packed without errors; the packer "
                             "stopped watching at 12:00:00\", false"),
            std::string::npos)
      << b.segnale();
  EXPECT_EQ(b.disegno(), buono);
}

TEST(Osservatore, TitlesEachFeatureWithItsSourceLineAndPacksTheSameBytes) {
  banco b({"--svg", svg});
  b.osservatore.giro(true);
  ASSERT_EQ(b.osservatore.stato(), riuscito) << b.errori.str();
  const std::string& d = b.disegno();
  const std::pair<const char*, const char*> casi[] = {
      {"Signal (segnale), chainage 2500 m", "R_T-.txt:11"},
      {"Cab code (abbattimento), chainage 2000 m", "R_T-.txt:12"},
      {"Direction board (cartello_indicatore), chainage 3000 m", "R_linea.txt:17"},
      {"Alfa, station", "R_T-.txt:9"},
      {"Beta, station", "R_T-.txt:10"},
      {"Speed limit 140 km/h", "R_T-.txt:7"},
      {"Speed limit 90 km/h", "R_T-.txt:8"},
      {"Gradient 0 per mille", "R_linea.txt:13"},
      {"Gradient 6 per mille", "R_linea.txt:14"},
      {"Adhesion 90", "R_T-.txt:6"},
      {"Mountain zone", "R_linea.txt:15"},
  };
  for (const auto& [titolo, riga] : casi) {
    const size_t i = d.find("<title>" + std::string(titolo));
    ASSERT_NE(i, std::string::npos) << titolo;
    const std::string t = d.substr(i, d.find("</title>", i) - i);
    EXPECT_TRUE(t.ends_with(std::string("; from ") + riga)) << t;
  }
  // Without --watch, no page.
  EXPECT_EQ(b.disco.file.count(svg + ".html"), 0u);

  // The packed bytes are those of a packing that draws nothing.
  piattaforma::DiscoMemoria semplice;
  semplice.file[nome_linea] = linea;
  semplice.file[nome_treno] = treno();
  std::ostringstream u, e;
  ASSERT_EQ(impacchetta_sorgenti(semplice, leggi_opzioni({nome_linea, nome_treno}), u, e), riuscito);
  for (const auto& [nome, byte] : semplice.file) EXPECT_EQ(b.disco.file.at(nome), byte) << nome;
}

TEST(Osservatore, SaysWhatWasDrawnWhenThereIsNoGoodPacking) {
  struct caso {
    std::string linea, treno;
    int stato;
    const char* avviso;
  } casi[] = {
      // Errors from the first round: what was packed, under the notice.
      {linea, treno("4020"), errore_dati, "): drawn from what was packed of them"},
      // Nothing packed at all: the notice alone.
      {"[generale]\r\n[fine]\r\n", treno(), senza_celle, "nothing could be packed (round 1, 12:00:00): nothing to draw"},
  };
  for (const caso& c : casi) {
    banco b;
    b.disco.file[nome_linea] = c.linea;
    b.disco.file[nome_treno] = c.treno;
    b.osservatore.giro();
    EXPECT_EQ(b.osservatore.stato(), c.stato);
    EXPECT_NE(b.disegno().find(c.avviso), std::string::npos) << b.disegno();
    EXPECT_NE(b.segnale().find(", true, 1600, "), std::string::npos) << b.segnale();
  }
}

TEST(Osservatore, NeverDrawsOverASourceOrAPackedFile) {
  for (const std::string& bersaglio : {nome_treno, std::string("s/R_T.dat")}) {
    banco b({"--svg", bersaglio});
    b.osservatore.giro(true);
    EXPECT_EQ(b.osservatore.stato(), errore_file) << bersaglio;
    EXPECT_NE(b.errori.str().find("which the drawing never replaces"), std::string::npos) << b.errori.str();
    EXPECT_EQ(b.disco.file.at(nome_treno), treno());
    EXPECT_NE(b.uscita.str().find("could not draw " + bersaglio), std::string::npos);
  }
}

TEST(Osserva, RoundsUntilTheWaitSaysToEndAndPacksAtOnceWhenAsked) {
  banco b({"--watch"});
  int attese = 0;
  const int stato = osserva(b.osservatore, [&](bool& subito) {
    ++attese;
    if (attese == 1) b.disco.file[nome_treno] = treno("4020");  // saved with an error
    if (attese == 2) subito = true;                             // Enter: packed again, unchanged
    return attese < 3;
  });
  EXPECT_EQ(stato, errore_dati);
  EXPECT_NE(b.uscita.str().find("round 1: status 0, packed without errors\n"), std::string::npos)
      << b.uscita.str();
  EXPECT_NE(b.uscita.str().find("round 3: status 2, the sources have errors\n"), std::string::npos)
      << b.uscita.str();
  EXPECT_NE(b.errori.str().find("stopped watching after 3 packings"), std::string::npos);
}

}  // namespace
}  // namespace autore
