#include "authoring/impacchetta.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "packer/impacchettatore.h"
#include "model/modello.h"
#include "platform/cartella_programma.h"
#include "prova/accordo_documenti.h"
#include "prova/disco_memoria.h"

namespace autore {
namespace {

// A small scenario: a 5 km line with one curve and one board, two stations,
// one signal and one code point. Lines are numbered from 1 in the comments.
const std::vector<std::string> linea_base = {
    "[generale]",                                          // 1
    "lunghezza percorso,    5000",                         // 2
    "progressiva chilometrica uno,    0,    0,    0",      // 3
    "progressiva chilometrica due,    0,    0,    0",      // 4
    "progressiva chilometrica tre,    0,    0,    0",      // 5
    "sfondo uno,    1",                                    // 6
    "sfondo due,    0",                                    // 7
    "sfondo tre,    0",                                    // 8
    "ripetizione segnali 9 codici,    0,    4000",         // 9
    "[curve]",                                             // 10
    "curvad1,  1500,  900",                                // 11
    "[pendenze]",                                          // 12
    "pendenza,   0,    0",                                 // 13
    "[indicazioni]",                                       // 14
    "cartello_indicatore,  3000,   (Ponte)(fiume)(Reno )", // 15
    "[fine]"};                                             // 16
const std::vector<std::string> treno_base = {
    "[generale]",                                                                        // 1
    "numero vetture,    8",                                                              // 2
    "percentuale massa frenata,    120",                                                 // 3
    "sabbia,    200",                                                                    // 4
    "orologio,    13              55            20 ",                                    // 5
    "[aderenze]",                                                                        // 6
    "aderenza,       0,    90",                                                          // 7
    "[vel_limite]",                                                                      // 8
    "velocita,       0,   140",                                                          // 9
    "[stazioni]",                                                                        // 10
    "stazione,       0,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20, Alfa",      // 11
    "stazione,    4000,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, Beta",      // 12
    "[rallentamenti]",                                                                   // 13
    "[segnali]",                                                                         // 14
    "segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0",                               // 15
    "[codici]",                                                                          // 16
    "abbattimento,    2000,   270",                                                      // 17
    "[fine]"};                                                                           // 18

// The sources are named with a slash, as an author may on every system;
// the packed files go beside them, joined with the system's separator.
const std::string cartella = "sorgenti";
const std::string nome_linea = "sorgenti/R_linea.txt";
const std::string nome_treno = "sorgenti/R_T-.txt";
const std::vector<std::string> nomi_pacchetti = {"R_linea.dat", "R_T.sim", "R_T.dat"};

// The lines joined with CR LF, each ended by one.
std::string testo(const std::vector<std::string>& righe) {
  std::string t;
  for (const std::string& r : righe) t += r + "\r\n";
  return t;
}

// A change to the fixture: line `riga` (from 1) of the line or train source
// replaced by `nuove` (none: removed; several: inserted).
struct modifica {
  bool treno = true;
  size_t riga = 0;
  std::vector<std::string> nuove;
};

std::vector<std::string> applica(std::vector<std::string> righe, const modifica& m) {
  if (m.riga == 0) return righe;
  righe.erase(righe.begin() + static_cast<std::ptrdiff_t>(m.riga - 1));
  righe.insert(righe.begin() + static_cast<std::ptrdiff_t>(m.riga - 1), m.nuove.begin(),
               m.nuove.end());
  return righe;
}

// What one run left: the status, the two streams and the disk.
struct esito {
  int stato = 0;
  std::string uscita;
  std::string errori;
  piattaforma::DiscoMemoria disco;
};

// Runs impacchetta_sorgenti on the two texts with the extra arguments.
esito esegui(const std::string& linea, const std::string& treno,
             std::vector<std::string> argomenti = {}) {
  esito e;
  e.disco.file[nome_linea] = linea;
  e.disco.file[nome_treno] = treno;
  argomenti.push_back(nome_linea);
  argomenti.push_back(nome_treno);
  std::ostringstream uscita, errori;
  e.stato = impacchetta_sorgenti(e.disco, leggi_opzioni(argomenti), uscita, errori);
  e.uscita = uscita.str();
  e.errori = errori.str();
  return e;
}

// The packed files that the builder's own packing writes for the same texts.
std::map<std::string, std::string> come_il_costruttore(const std::string& linea,
                                                       const std::string& treno) {
  piattaforma::DiscoMemoria disco;
  disco.file[piattaforma::unisci_percorso("c", "R_linea.txt")] = linea;
  disco.file[piattaforma::unisci_percorso("c", "R_T-.txt")] = treno;
  scenario::modello m;
  m.linea = "R";
  m.treno = "T";
  int32_t j = 1;
  try {
    scenario::memorizza_percorso(m, disco, "c", j);
  } catch (const scenario::ModelloSenzaCelle&) {
    return {};  // nothing to pack
  } catch (const scenario::ErroreFatale&) {
    return {};  // a header slot taken: nothing written
  }
  std::map<std::string, std::string> pacchetti;
  for (const std::string& n : nomi_pacchetti)
    if (disco.file.count(piattaforma::unisci_percorso("c", n)))
      pacchetti[n] = disco.file.at(piattaforma::unisci_percorso("c", n));
  return pacchetti;
}

// The diagnostics printed, without the count at the end.
std::vector<std::string> diagnostiche(const std::string& errori) {
  std::vector<std::string> righe;
  std::istringstream in(errori);
  for (std::string r; std::getline(in, r);)
    if (r.rfind("impacchetta_scenario: ", 0) != 0) righe.push_back(r);
  return righe;
}

TEST(ImpacchettaSorgenti, PacksTheFixtureWithoutAWordAndLeavesItsSources) {
  const esito e = esegui(testo(linea_base), testo(treno_base));
  EXPECT_EQ(e.stato, riuscito) << e.errori;
  EXPECT_EQ(e.errori, "");
  EXPECT_EQ(e.uscita, "wrote R_linea.dat\nwrote R_T.sim\nwrote R_T.dat\n");
  EXPECT_EQ(e.disco.file.at(nome_linea), testo(linea_base));
  EXPECT_EQ(e.disco.file.at(nome_treno), testo(treno_base));
}

// The form of every diagnostic line, as the problem matchers of editors and
// CI systems for compilers read it.
const std::regex forma_gcc(R"(^(.*):(\d+):(\d+): (error|warning|note): (.*)$)");

// Every line printed is a diagnostic in that form, or one of the program's
// own lines, which such matchers pass over (the builder's " Errore n. 1250"
// among them).
void controlla_forma(const std::string& errori) {
  std::istringstream in(errori);
  for (std::string r; std::getline(in, r);) {
    if (r.rfind("impacchetta_scenario: ", 0) == 0 || r.rfind(" Errore n. ", 0) == 0) continue;
    EXPECT_TRUE(std::regex_match(r, forma_gcc)) << r;
  }
}

// Every misreading and every error at its exact place, in the form editors
// follow, with what to do: one row each. Whatever is told, the packed files
// are those the builder's packing, which tells nothing, writes for the same
// bytes, and the sources are left as they were.
TEST(ImpacchettaSorgenti, PointsEachDiagnosticAtItsFileLineAndColumn) {
  const std::string L = "sorgenti/R_linea.txt:";
  const std::string T = "sorgenti/R_T-.txt:";
  struct caso {
    const char* nome;
    std::vector<modifica> cambi;
    int stato;
    std::vector<std::string> attese;
  };
  const std::vector<caso> casi = {
      {"a curve name without its side", {{false, 11, {"curva3,  1500,  900"}}}, riuscito,
       {L + "11:1: warning: the loader reads `curva3` as `curvad3`, a curve to the right (the name "
            "holds no s) of class 3 (the first of the digits 1 to 6 it holds): write `curvad3` for a "
            "right-hand curve or `curvas3` for a left-hand one"}},
      {"a curve laid over the one before", {{false, 11, {"curvad1,  1500,  900", "curvas2,  2000,  300"}}}, riuscito,
       {L + "12:11: warning: this curve starts at 2000 m, before the plan laid so far ends (2400 m): "
            "the loader lays it from 2400 m on; curves must follow one another along the line "
            "without overlapping",
        L + "11:1: note: the curve before it, at line 11"}},
      {"speed indicator boards off the 5 km/h steps", {{false, 14, {"[indicazioni]", "indicatori_v_max, 1000, 83, 60, 60, 1, 100, 100, 100, 2"}}}, riuscito,
       {L + "15:25: warning: speed indicator speeds must be multiples of 5 from 0 to 495 km/h: 83 on "
            "the left is packed with the other side's into one number (left / 5 x 100 + right / 5 = "
            "1680), which reads back as left 80 and right 400 km/h"}},
      {"a board text not of three bracketed texts", {{false, 15, {"cartello_indicatore,  3000,   Ponte sul fiume"}}}, riuscito,
       {L + "15:31: warning: a direction board's text is three bracketed texts, such as "
            "`(Ponte)(fiume)(Reno )`: `Ponte sul fiume` is packed as it is, and the simulator shows "
            "its lines otherwise than written"}},
      {"a board text cut at a comma", {{false, 15, {"cartello_indicatore,  3000,   (Ponte)(fiume,)(Reno )"}}}, errore_dati,
       {L + "15:45: error: the name before it ends at the comma: the loader keeps only what stands "
            "before it, and reads `)(Reno )` and the rest of the line as further fields, which are "
            "ignored; a station name or board text holds no comma"}},
      {"a board past the route's end", {{false, 15, {"cartello_indicatore,  9000,   (Ponte)(fiume)(Reno )"}}}, riuscito,
       {L + "15:23: warning: a direction board at 9000 m lies 4000 m past the route's end (5000 m), "
            "on the 7000 m of track the loader adds after it, which the train reaches only by "
            "running past the end: it is packed there; check its chainage"}},
      {"kilometre zones two and three left out", {{false, 4, {}}, {false, 5, {}}}, riuscito,
       {L + "1:1: warning: the source has no `progressiva chilometrica due` record: that kilometre "
            "zone is packed as 0, 0, 0; write `progressiva chilometrica due, 0, 0, 0` for a zone the "
            "line does not use",
        L + "1:1: warning: the source has no `progressiva chilometrica tre` record: that kilometre "
            "zone is packed as 0, 0, 0; write `progressiva chilometrica tre, 0, 0, 0` for a zone the "
            "line does not use"}},
      {"kilometre readings that fall below 0", {{false, 3, {"progressiva chilometrica uno,    0,    1000,    1"}}}, riuscito,
       {L + "3:1: warning: kilometre readings in this zone fall below 0 (-4000 m at chainage 5000 "
            "m), and are packed so: check its reading at chainage 0 and its direction (0 rising, 1 "
            "falling)"}},
      {"two kilometre zones starting together", {{false, 4, {"progressiva chilometrica due,    1000,    0,    0"}}, {false, 5, {"progressiva chilometrica tre,    1000,    500,    0"}}}, riuscito,
       {L + "3:1: warning: the loader packs all three kilometre zones as 0, 0, 0: it cannot order "
            "them when two start at the same chainage, or all three at 0 with no reading above 0; "
            "give each zone a start of its own"}},
      {"a gradient row out of place", {{false, 13, {"pendenza,   0,    0", "pendenza,   4000,    5", "pendenza,   1000,    3", "pendenza,   2000,    2"}}}, riuscito,
       {L + "14:13: warning: gradient rows must stand in ascending order of chainage: this row (4000 "
            "m) comes before rows of lower chainage, so the loader fills up to 4000 m with the value "
            "before it, and each later row up to there only carries the value one cell on; move it "
            "to its place",
        L + "15:13: note: the next row, at line 15 (1000 m)"}},
      {"a mountain zone too close to the one before", {{false, 14, {"[montagne]", "montagna,  1000,  2000,  2", "montagna,  2100,  2600,  1", "[indicazioni]"}}}, riuscito,
       {L + "16:26: warning: this zone begins 150 m or less after the previous zone ends, so the "
            "loader packs its type as 3, not 1; leave more room between them, or write them as one "
            "zone",
        L + "15:1: note: the previous zone, at line 15"}},
      {"a header record after the header block", {{false, 11, {"sfondo uno,    1"}}}, errore_dati,
       {L + "11:1: error: `sfondo uno` is read only in the [generale] block, before the section "
            "header that follows it; here the line is ignored: move it into that block"}},
      {"a record name with a hyphen", {{false, 15, {"cartello-indicatore,  3000,   (Ponte)"}}}, riuscito,
       {L + "15:1: warning: `cartello-indicatore` holds a hyphen, so the loader skips it as a "
            "comment: did you mean `cartello_indicatore`?"}},
      {"a third comment in a row, read as a record name", {{false, 12, {"-- one", "-- two", "-- three", "[pendenze]"}}}, riuscito,
       {L + "14:1: warning: `-- three` holds a hyphen but is read as a record name: the loader skips "
            "at most 2 comments in a row, and this one comes after them; it is ignored all the same"}},
      {"a third comment in a row, read as a record", {{false, 12, {"-- one", "-- two", "-- pendenza, 1000, 3", "[pendenze]"}}}, errore_dati,
       {L + "14:1: error: `-- pendenza` holds a hyphen but is read as a record name: the loader "
            "skips at most 2 comments in a row, and this one comes after them, and it holds the name "
            "of a record, which is read from it; put a record line between the comments",
        L + "16:13: warning: gradient rows must stand in ascending order of chainage, one 50 m cell "
            "apart at least: this row (0 m) does not lie beyond the row before it (1000 m), so the "
            "value of the row before it reaches one cell at most; move it to its place",
        L + "14:14: note: the row before it, at line 14"}},
      {"a board on a cell already taken", {{false, 15, {"cartello_indicatore,  3000,   (a)(b)(c)", "cartello_indicatore,  3010,   (a)(b)(c)"}}}, errore_dati,
       {L + "16:23: error: line source: direction board on a cell already taken (chainage 3010 m) "
            "[code 6]",
        L + "15:1: note: the cell is held by the direction board at line 15"}},
      {"speed indicator boards on a cell already taken", {{false, 15, {"cartello_indicatore,  3000,   (Ponte)(fiume)(Reno )", "indicatori_v_max, 3010, 60, 60, 60, 1, 100, 100, 100, 2"}}}, errore_dati,
       {L + "16:19: error: line source: speed indicator boards on a cell already taken (chainage "
            "3010 m) [code 21]",
        L + "15:1: note: the cell is held by the direction board at line 15"}},
      {"a line record past the track, and what it stops in the train source", {{false, 15, {"cartello_indicatore,  30000,   (Ponte)(fiume)(Reno )"}}}, errore_dati,
       {L + "15:23: error: a record lies too close to the end of the track, or beyond it: the track "
            "ends at 12000 m (the route's 5000 m and 7000 m beyond it), and this record must stand "
            "100 m before that at least (chainage 30000 m); the loader reads no further record of "
            "this source: correct the chainage, or the route length [code 15]",
        T + "15:1: note: because of this error the loader also stops reading here, at the first "
            "record of the train source that calls a record builder; nothing is wrong with this "
            "record"}},
      {"no route length", {{false, 2, {}}}, senza_celle,
       {L + "1:1: error: the [generale] block has no `lunghezza percorso` record, so the line has no "
            "length and there are no track cells: nothing can be packed; add `lunghezza percorso, "
            "LENGTH` (in metres) to the block [code 25]"}},
      {"a cab-signalling stretch off the 50 m grid", {{false, 9, {"ripetizione segnali 9 codici,    0,    4010"}}}, errore_dati,
       {L + "9:40: error: line source: last cab-signalling chainage not a multiple of 50 m; make the "
            "last chainage 4000 or 4050 (the nearest multiples of 50) [code 4]"}},
      {"a chainage reference off the grid, found at the end", {{false, 4, {"progressiva chilometrica due,    0,    10,    0"}}}, errore_dati,
       {L + "4:40: error: line source: a chainage reference is not a multiple of 50 m; make the "
            "zone's reading 0 or 50 (the nearest multiples of 50) [code 2]"}},
      {"a misspelt record name", {{true, 15, {"segmale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0"}}}, errore_dati,
       {T + "15:1: error: record name `segmale` is not recognised, so the line is ignored: did you "
            "mean `segnale`?"}},
      {"a record spread over two lines", {{true, 15, {"segnale,    2500,   2, 4, 0,", "   0, 0,    2,  1,0,0, 0"}}}, riuscito,
       {T + "15:1: warning: record `segnale` runs on to line 16: its line holds fewer fields than "
            "the record takes, so the rest were read from the line after it",
        T + "16:24: note: the record's last field was read here"}},
      {"a station without its name swallows the next line", {{true, 11, {"stazione,       0,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20,"}}}, errore_dati,
       {T + "11:1: error: record `stazione` runs on to line 12: its line holds fewer fields than the "
            "record takes, so the rest were read from the line after it, and what that line holds "
            "is lost; give this record all its fields",
        T + "12:1: note: the record's last field was read here"}},
      {"a station name cut at a comma", {{true, 12, {"stazione,    4000,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, San Marco, Nord"}}}, errore_dati,
       {T + "12:84: error: the name before it ends at the comma: the loader keeps only what stands "
            "before it, and reads `Nord` and the rest of the line as further fields, which are "
            "ignored; a station name or board text holds no comma"}},
      {"a tab inside a station name", {{true, 12, {"stazione,    4000,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, San\tMarco"}}}, riuscito,
       {T + "12:73: warning: the station name holds a tab, which is packed as it is and shown by the "
            "simulator as no letter; write a blank"}},
      {"trailing blanks in a station name", {{true, 12, {"stazione,    4000,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, Beta  "}}}, riuscito,
       {T + "12:73: warning: the station name `Beta  ` ends in blanks, which are packed as part of "
            "it; remove them"}},
      {"a station name in quotes", {{true, 12, {"stazione,    4000,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, \"Beta\" Nord"}}}, riuscito,
       {T + "12:73: warning: the station name begins with a double quote, so the loader reads it up "
            "to the closing quote, without the quotes, and drops whatever follows up to the comma or "
            "the line's end: it is packed as `Beta`; write it without quotes"}},
      {"a field left over", {{true, 4, {"sabbia,    200,   7"}}}, riuscito,
       {T + "4:19: warning: field `7` is left over after the record on this line has all its fields; "
            "it and the fields after it on the line are ignored"}},
      {"no speed row at chainage 0", {{true, 9, {"velocita,    1000,   140"}}}, riuscito,
       {T + "9:14: warning: the first speed row is at 1000 m: from 0 to 1000 m the speed is packed "
            "as 0 km/h; put `velocita, 0, SPEED` first"}},
      {"a speed off the 5 km/h steps", {{true, 9, {"velocita,       0,   142"}}}, riuscito,
       {T + "9:22: warning: speeds are kept in steps of 5 km/h: 142 km/h is packed as 140 km/h"}},
      {"speed rows out of order", {{true, 9, {"velocita,       0,   140", "velocita,    3000,   100", "velocita,    2000,   120"}}}, riuscito,
       {T + "11:14: warning: speed rows must stand in ascending order of chainage, one 50 m cell "
            "apart at least: this row (2000 m) does not lie beyond the row before it (3000 m), so "
            "the value of the row before it reaches one cell at most; move it to its place",
        T + "10:14: note: the row before it, at line 10"}},
      {"a clock that is no time of day", {{true, 5, {"orologio,    25  70  99"}}}, riuscito,
       {T + "5:14: warning: the start time 25:70:99 is not a time of day (hours 0 to 23, minutes and "
            "seconds 0 to 59): it is packed as 94299 seconds after midnight, 26:11:39"}},
      {"a station time that is no time of day", {{true, 12, {"stazione,    4000,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  7,79, 0, Beta"}}}, riuscito,
       {T + "12:65: warning: the scheduled time 07:79:00 is not a time of day (hours 0 to 23, "
            "minutes and seconds 0 to 59): it is packed as 29940 seconds after midnight, 08:19:00"}},
      {"options the loader sets to 0", {{true, 11, {"stazione,       0,  8,  400,  1, 1, 1,  4,1,0,  2,1,1,    1,  13,55,20, Alfa"}}}, riuscito,
       {T + "11:34: warning: the second option is packed as 0 at the first station: it counts only "
            "at a later station of 600 m or more",
        T + "11:37: warning: the third option (which lengthens the station area by 50 m) is packed "
            "as 0 at the first station"}},
      {"a signal past the route's end", {{true, 15, {"segnale,    9000,   2, 4, 0,  0, 0,    2,  1,0,0, 0"}}}, riuscito,
       {T + "15:13: warning: a signal at 9000 m lies 4000 m past the route's end (5000 m), on the "
            "7000 m of track the loader adds after it, which the train reaches only by running past "
            "the end: it is packed there; check its chainage"}},
      {"a signal timing raised to 101", {{true, 15, {"segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 50"}}}, riuscito,
       {T + "15:51: warning: a timing of 1 to 100 is raised to 101: 50 is packed as 101"}},
      {"signal values that run into one another", {{true, 15, {"segnale,    2500,   2, 14, 0,  0, 0,    2,  1,0,0, 0"}}}, riuscito,
       {T + "15:24: warning: signal left value 1 14 is outside 0 to 9: the loader packs each left "
            "value with its right one as left x 10 + right (and the repeat flag x 10 + left code x 3 "
            "+ right code), so it runs into its neighbour and the signal shows otherwise than written"}},
      {"a slowdown too near the start for its warning board", {{true, 13, {"[rallentamenti]", "rallentamento,    1200,  60,  200,  1, 1, 0"}}}, riuscito,
       {T + "14:40: warning: a slowdown starting at 1500 m or before gets no warning board, so none "
            "of the four marker cells that this field asks for"}},
      {"a slowdown that starts and ends in one cell", {{true, 13, {"[rallentamenti]", "rallentamento,    3300,  60,  20,  1, 0, 0"}}}, riuscito,
       {T + "14:31: warning: a slowdown 20 m long has its start and its end in one 50 m cell: only "
            "the start is packed, so the slowdown has no end; make it 50 m long at least"}},
      {"a stop cell over a signal", {{true, 10, {"segnale,    4050,   2, 4, 0,  0, 0,    2,  1,0,0, 0", "[stazioni]"}}}, riuscito,
       {T + "13:14: warning: the station's stop cell (chainage 4100 m) already holds a feature, "
            "which the stop cell replaces: that feature is lost; move one of them",
        T + "10:1: note: the cell is held by the signal at line 10"}},
      {"a station off the 50 m grid", {{true, 12, {"stazione,    4020,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, Beta"}}}, errore_dati,
       {T + "12:14: error: train source: station chainage not a multiple of 50 m (chainage 4020 m); "
            "make the station's chainage 4000 or 4050 (the nearest multiples of 50) [code 8]"}},
      {"stations out of order", {{true, 11, {"stazione,    4000,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20, Alfa"}}, {true, 12, {"stazione,    1000,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, Beta"}}}, errore_dati,
       {T + "12:14: error: train source: station area begins less than 350 m after the previous one "
            "ends: stations must stand in order along the line, and this one (1000 m) comes after "
            "the previous station, `Alfa` (4000 m) in the file (chainage 1000 m); put the station "
            "records in the order of their chainages [code 22]",
        T + "11:1: note: the previous station, `Alfa`, at line 11"}},
      {"a signal on a cell already taken", {{true, 15, {"segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0", "segnale,    2510,   2, 4, 0,  0, 0,    2,  1,0,0, 0"}}}, errore_dati,
       {T + "16:13: error: train source: signal on a cell already taken (chainage 2510 m) [code 16]",
        T + "15:1: note: the cell is held by the signal at line 15"}},
      {"a code point on a cell already taken", {{true, 17, {"abbattimento,    2550,   270"}}}, errore_dati,
       {T + "17:18: error: train source: cab-code point on a cell already taken (chainage 2550 m) "
            "[code 7]",
        T + "15:1: note: the cell is held by the signal at line 15"}},
      {"a slowdown's warning board on a cell already taken", {{true, 16, {"rallentamento,    3700,  60,  200,  1, 0, 0", "[codici]"}}}, errore_dati,
       {T + "16:19: error: train source: slowdown warning board on a cell already taken (chainage "
            "3700 m) [code 17]",
        T + "15:1: note: the cell is held by the signal at line 15"}},
      {"a field missing before the end of the file", {{true, 17, {"abbattimento,    2000"}}}, errore_dati,
       {T + "18:1: error: a source file could not be read (missing file, field past the end, or a "
            "value that does not fit its field): no number where one is due: \"[fine]\" [code 25]",
        T + "17:1: note: the record `abbattimento` that the field belongs to begins here: its line "
            "ends before all its fields"}},
      {"a number that is no number", {{true, 12, {"stazione,    4000,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, x, Beta"}}}, errore_dati,
       {T + "12:70: error: a source file could not be read (missing file, field past the end, or a "
            "value that does not fit its field): no number where one is due: \"x\" [code 25]"}},
      {"an error of the cab-code pass, traced to its signal",
       {{true, 15, {"segnale,    2400,   2, 4, 0,  0, 0,    2,  1,0,0, 0",
                   "segnale,    2450,   2, 4, 0,  0, 0,    2,  1,0,0, 0",
                   "segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0",
                   "rallentamento,    3900,  60,  200,  1, 0, 0"}}}, errore_dati,
       {T + "17:1: error: cab codes: a signal before a slowdown warning board has no room for a code "
            "cell (chainage 2550 m) [code 11]"}},
      {"a signal on the cell of the header stamps", {{true, 15, {"segnale,    0,   2, 4, 0,  0, 0,    2,  1,0,0, 0"}}}, errore_testata,
       {T + "15:1: error: this record takes cell 1 (the track from 50 to 100 m), whose first two "
            "values carry the packed track file's header and must stay 0: the packing stops with "
            "\" Errore n. 1250\" and writes nothing; move the record to another cell",
        " Errore n. 1250"}},
      {"a train source with no station and no speed row", {{true, 9, {}}, {true, 11, {}}, {true, 12, {}}}, riuscito,
       {T + "1:1: warning: the source has no `stazione` record: the train has no origin, stop or "
            "terminus",
        T + "1:1: warning: the source has no `velocita` record: the line speed is packed as 0 km/h "
            "everywhere; put `velocita, 0, SPEED` first"}},
      {"a train source without [generale]", {{true, 1, {"[testata]"}}}, errore_dati,
       {T + "1:1: error: the train source has no `[generale]` line, so the loader reads none of it: "
            "the train is packed without coaches, stations or speeds; put `[generale]` on its first "
            "line"}},
      {"a source saved as UTF-8", {{false, 15, {"cartello_indicatore,  3000,   (Ponte)(fiume)(R\xC3\xA9no)"}}}, errore_dati,
       {L + "15:47: error: the file is saved as UTF-8, not in the Windows-1252 code page the "
            "simulator reads: every letter outside ASCII would reach it as two wrong characters; "
            "pack with --from-utf8 to convert it while reading (the file is not changed)"}},
      {"a source of bytes no text holds", {{true, 18, {"[fine]", std::string(60, '\x01')}}}, errore_dati,
       {T + "19:1: error: this does not look like a text file: 60 of its 570 bytes are control "
            "characters or bytes that Windows-1252 leaves undefined, which no source holds; the "
            "loader reads it as text all the same"}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    std::vector<std::string> righe_linea = linea_base, righe_treno = treno_base;
    // Applied from the last line up, so that each change keeps its line number.
    for (auto m = c.cambi.rbegin(); m != c.cambi.rend(); ++m)
      (m->treno ? righe_treno : righe_linea) = applica(m->treno ? righe_treno : righe_linea, *m);
    const std::string linea = testo(righe_linea);
    const std::string treno = testo(righe_treno);
    const esito e = esegui(linea, treno);
    EXPECT_EQ(e.stato, c.stato) << e.errori;
    EXPECT_EQ(diagnostiche(e.errori), c.attese);
    controlla_forma(e.errori);
    EXPECT_EQ(e.disco.file.at(nome_linea), linea);
    EXPECT_EQ(e.disco.file.at(nome_treno), treno);
    for (const auto& [nome, byte] : come_il_costruttore(linea, treno))
      EXPECT_EQ(e.disco.file.at(piattaforma::unisci_percorso(cartella, nome)), byte) << nome;
  }
}

// A record spread over two lines packs as it does on one line.
TEST(ImpacchettaSorgenti, ARecordSpreadOverTwoLinesPacksAsOnOne) {
  const std::string treno = testo(applica(
      treno_base, {true, 15, {"segnale,    2500,   2, 4, 0,", "   0, 0,    2,  1,0,0, 0"}}));
  const esito e = esegui(testo(linea_base), treno);
  ASSERT_EQ(e.stato, riuscito);
  for (const auto& [nome, byte] : come_il_costruttore(testo(linea_base), testo(treno_base)))
    EXPECT_EQ(e.disco.file.at(piattaforma::unisci_percorso(cartella, nome)), byte) << nome;
}

// --check writes nothing; --strict fails on a warning and writes nothing;
// --no-plan leaves out the packed line file; -o chooses the folder; --json
// prints the whole report as one JSON document on standard output.
TEST(ImpacchettaSorgenti, OptionsChooseWhatIsWrittenAndHowItIsTold) {
  const std::string sabbia_in_piu = testo(applica(treno_base, {true, 4, {"sabbia,    200,   7"}}));
  const std::string linea = testo(linea_base);
  auto pacchetti = [](const esito& e) {
    size_t n = 0;
    for (const auto& [percorso, byte] : e.disco.file) n += percorso.ends_with(".dat") || percorso.ends_with(".sim");
    return n;
  };
  {
    const esito e = esegui(linea, sabbia_in_piu, {"--check"});
    EXPECT_EQ(e.stato, riuscito);
    EXPECT_EQ(pacchetti(e), 0u);
    EXPECT_EQ(e.uscita, "");
  }
  {
    const esito e = esegui(linea, sabbia_in_piu, {"--strict"});
    EXPECT_EQ(e.stato, avvisi_severi);
    EXPECT_EQ(pacchetti(e), 0u);
    EXPECT_EQ(e.uscita, "");
    EXPECT_TRUE(e.errori.ends_with(
        "impacchetta_scenario: --strict: warnings found, nothing was written\n"));
  }
  {
    const esito e = esegui(linea, testo(treno_base), {"--strict", "--no-plan", "-o", "fuori"});
    EXPECT_EQ(e.stato, riuscito);
    EXPECT_EQ(pacchetti(e), 2u);
    EXPECT_TRUE(e.disco.file.count(piattaforma::unisci_percorso("fuori", "R_T.dat")));
    EXPECT_FALSE(e.disco.file.count(piattaforma::unisci_percorso("fuori", "R_linea.dat")));
  }
  {
    const esito e = esegui(linea, sabbia_in_piu, {"--json", "--check"});
    EXPECT_EQ(e.stato, riuscito);
    EXPECT_EQ(e.uscita, R"({
  "diagnostics": [
    {
      "after_stop": false,
      "chainage": null,
      "code": null,
      "column": 19,
      "file": "sorgenti/R_T-.txt",
      "fix": null,
      "line": 4,
      "message": "field `7` is left over after the record on this line has all its fields; it and the fields after it on the line are ignored",
      "notes": [],
      "severity": "warning"
    }
  ],
  "errors": 0,
  "messages": [],
  "status": 0,
  "warnings": 1,
  "written": []
}
)");
  }
}

// The report goes on past the record where the loader stops: three
// independent errors are all told in one run, the later two marked as found
// after the stop, and what is packed is what the loader read before it.
TEST(ImpacchettaSorgenti, TellsEveryErrorInOneRun) {
  const std::string linea = testo(applica(
      linea_base, {false, 15, {"cartello_indicatore,  3000,   (Ponte)(fiume)(Reno )",
                               "cartello_indicatore,  3010,   (Ponte)(fiume)(Reno )"}}));
  std::vector<std::string> righe_treno = applica(
      treno_base, {true, 15, {"segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0",
                              "segnale,    2510,   2, 4, 0,  0, 0,    2,  1,0,0, 0"}});
  righe_treno = applica(righe_treno, {true, 12, {"stazione,    4020,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, Beta"}});
  const std::string treno = testo(righe_treno);
  const std::string L = "sorgenti/R_linea.txt:";
  const std::string T = "sorgenti/R_T-.txt:";
  const std::string dopo = " (found after the loader stopped: not packed)";
  const esito e = esegui(linea, treno);
  EXPECT_EQ(e.stato, errore_dati);
  EXPECT_EQ(e.errori,
            L + "16:23: error: line source: direction board on a cell already taken (chainage "
                "3010 m) [code 6]\n" +
            L + "15:1: note: the cell is held by the direction board at line 15\n" +
            T + "12:14: error: train source: station chainage not a multiple of 50 m (chainage "
                "4020 m); make the station's chainage 4000 or 4050 (the nearest multiples of 50) "
                "[code 8]" + dopo + "\n" +
            T + "16:13: error: train source: signal on a cell already taken (chainage 2510 m) "
                "[code 16]" + dopo + "\n" +
            T + "15:1: note: the cell is held by the signal at line 15\n" +
            "impacchetta_scenario: 3 errors, 0 warnings; the loader stopped at the first error, "
            "and what was found after it is not in the packed files: fix that error and pack "
            "again\n");
  controlla_forma(e.errori);
  for (const auto& [nome, byte] : come_il_costruttore(linea, treno))
    EXPECT_EQ(e.disco.file.at(piattaforma::unisci_percorso(cartella, nome)), byte) << nome;
}

// --json prints one JSON document whatever the status: here a source that
// cannot be read (status 1).
TEST(ImpacchettaSorgenti, PrintsAJsonDocumentWhenASourceCannotBeRead) {
  piattaforma::DiscoMemoria disco;
  disco.file[nome_linea] = testo(linea_base);
  std::ostringstream uscita, errori;
  const int stato =
      impacchetta_sorgenti(disco, leggi_opzioni({"--json", nome_linea, nome_treno}), uscita, errori);
  EXPECT_EQ(stato, errore_file);
  const std::string json = uscita.str();
  EXPECT_NE(json.find("\"status\": 1"), std::string::npos) << json;
  EXPECT_NE(json.find("\"messages\": [\n    \"impacchetta_scenario: cannot read"), std::string::npos)
      << json;
  EXPECT_EQ(json.back(), '\n');
}

// A source saved as UTF-8 is converted while reading with --from-utf8, and
// packs as the same text in Windows-1252 does; one that is not UTF-8 is refused.
TEST(ImpacchettaSorgenti, ConvertsASourceSavedAsUtf8OnlyWhenAsked) {
  const std::string utf8 = testo(applica(
      linea_base, {false, 15, {"cartello_indicatore,  3000,   (Ponte)(fiume)(R\xC3\xA9no )"}}));
  const std::string cp1252 = testo(applica(
      linea_base, {false, 15, {"cartello_indicatore,  3000,   (Ponte)(fiume)(R\xE9no )"}}));
  const esito e = esegui("\xEF\xBB\xBF" + utf8, testo(treno_base), {"--from-utf8"});
  EXPECT_EQ(e.stato, riuscito) << e.errori;
  EXPECT_EQ(e.errori, "");
  EXPECT_EQ(e.disco.file.at(nome_linea), "\xEF\xBB\xBF" + utf8);
  for (const auto& [nome, byte] : come_il_costruttore(cp1252, testo(treno_base)))
    EXPECT_EQ(e.disco.file.at(piattaforma::unisci_percorso(cartella, nome)), byte) << nome;

  const esito rifiutato = esegui(cp1252, testo(treno_base), {"--from-utf8"});
  EXPECT_EQ(rifiutato.stato, errore_file);
  EXPECT_EQ(rifiutato.errori,
            "sorgenti/R_linea.txt:15:47: error: cannot read the file as UTF-8 (--from-utf8): a byte "
            "that is not UTF-8\nimpacchetta_scenario: 1 error, 0 warnings\n");
}

// Sources that warn on every line, or hold one huge line, are reported
// in a bounded number of lines that never echo a huge field whole.
TEST(ImpacchettaSorgenti, CapsAndCutsTheWarningsOfAHugeSource) {
  const std::string T = "sorgenti/R_T-.txt:";
  std::vector<std::string> molte = {"[rallentamenti]"};
  for (int i = 0; i < 100000; ++i) molte.push_back("voce" + std::to_string(i) + ", 1");
  std::string campi = "voce";
  for (int i = 0; i < 200000; ++i) campi += ",1";
  const std::string senza_virgola(1 << 20, 'x');
  struct caso {
    const char* nome;
    std::vector<std::string> righe;  // in place of line 13, [rallentamenti]
    std::vector<std::string> attese;  // the diagnostics, or their starts
    std::string conta;
  };
  const std::string ignorata =
      "` is not recognised, so the line is ignored (a comment is a line whose first field holds "
      "a hyphen, such as `-- note`)";
  const std::vector<caso> casi = {
      {"100,000 lines no rule takes",
       molte,
       {T + "14:1: error: record name `voce0" + ignorata,
        T + "113:1: error: record name `voce99" + ignorata,
        T + "114:1: note: 99,900 more errors of this kind (record names not recognised), from "
            "here on, are not shown one by one (the first 100 of each kind are)"},
       "impacchetta_scenario: 100,000 errors, 0 warnings\n"},
      {"one line of 200,000 fields",
       {"[rallentamenti]", campi},
       {T + "14:1: error: record name `voce" + ignorata},
       "impacchetta_scenario: 1 error, 0 warnings\n"},
      {"a line of 1 MB without a comma",
       {"[rallentamenti]", senza_virgola},
       {T + "14:1: error: record name `" + std::string(40, 'x') + "\u2026" + ignorata},
       "impacchetta_scenario: 1 error, 0 warnings\n"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const esito e = esegui(testo(linea_base), testo(applica(treno_base, {true, 13, c.righe})));
    EXPECT_EQ(e.stato, errore_dati);
    const std::vector<std::string> righe = diagnostiche(e.errori);
    ASSERT_EQ(righe.size(), c.attese.size() == 1 ? 1u : 101u) << e.errori.substr(0, 2000);
    EXPECT_EQ(righe.front(), c.attese.front());
    if (c.attese.size() > 1) {
      EXPECT_EQ(righe[99], c.attese[1]);
      EXPECT_EQ(righe[100], c.attese[2]);
    }
    EXPECT_TRUE(e.errori.ends_with(c.conta)) << e.errori.substr(e.errori.size() - 200);
  }
}

// The documents are made from the packed model: the fixture with two
// slowdowns gives a sheet, a form and notes that pass the layout and
// agreement checks, written with the packed files in one series, which
// stay byte for byte what a run without --documents writes. With --check
// only the documents are written.
TEST(ImpacchettaSorgenti, DocumentsGoBesideThePackedFilesOrAloneWithCheck) {
  const std::string linea = testo(linea_base);
  const std::string treno = testo(applica(treno_base, {true, 13, {"[rallentamenti]",
      "rallentamento,    1000,   60,  400, 0, 0, 0", "rallentamento,    4100,   30,  200, 0, 0, 0"}}));
  const std::vector<std::string> documenti = {"R_T_scheda_treno.txt", "R_T_rallentamenti.txt", "R_T_note.txt"};
  const esito senza = esegui(linea, treno);
  ASSERT_EQ(senza.stato, riuscito) << senza.errori;

  const esito e = esegui(linea, treno, {"--documents"});
  ASSERT_EQ(e.stato, riuscito) << e.errori;
  EXPECT_EQ(e.errori, "");
  for (const std::string& p : nomi_pacchetti) {
    const std::string percorso = piattaforma::unisci_percorso(cartella, p);
    EXPECT_EQ(e.disco.file.at(percorso), senza.disco.file.at(percorso)) << p;
  }
  std::string scritti;
  for (const std::string& n : nomi_pacchetti) scritti += "wrote " + n + "\n";
  for (const std::string& n : documenti) scritti += "wrote " + n + "\n";
  EXPECT_EQ(e.uscita, scritti);
  EXPECT_EQ(e.disco.cartelle_scaricate, std::vector<std::string>{cartella});
  EXPECT_TRUE(e.disco.in_sospeso.empty());

  const prova::sorgenti_testo s{linea, treno};
  std::vector<std::string> difetti;
  const std::string& byte_scheda = e.disco.file.at(piattaforma::unisci_percorso(cartella, documenti[0]));
  const std::string& byte_modulo = e.disco.file.at(piattaforma::unisci_percorso(cartella, documenti[1]));
  const std::string& byte_note = e.disco.file.at(piattaforma::unisci_percorso(cartella, documenti[2]));
  const std::vector<std::string> scheda = prova::righe_crlf(byte_scheda, difetti);
  const std::vector<std::string> modulo = prova::righe_crlf(byte_modulo, difetti);
  const std::vector<std::string> note = prova::righe_crlf(byte_note, difetti);
  EXPECT_EQ(difetti, std::vector<std::string>{});
  EXPECT_EQ(prova::impaginazione_scheda(scheda), std::vector<std::string>{});
  EXPECT_EQ(prova::impaginazione_rallentamenti(modulo), std::vector<std::string>{});
  EXPECT_EQ(prova::impaginazione_testo(byte_note, 100), std::vector<std::string>{});
  EXPECT_EQ(prova::accordo_scheda(scheda, s), std::vector<std::string>{});
  EXPECT_EQ(prova::accordo_rallentamenti(modulo, s), std::vector<std::string>{});
  EXPECT_EQ(prova::accordo_note(note, s, scheda), std::vector<std::string>{});

  const esito c = esegui(linea, treno, {"--check", "--documents", "-o", "documenti"});
  ASSERT_EQ(c.stato, riuscito) << c.errori;
  std::vector<std::string> solo;
  for (const auto& [percorso, byte] : c.disco.file)
    if (percorso.starts_with("documenti")) solo.push_back(percorso.substr(10));
  EXPECT_EQ(solo, (std::vector<std::string>{documenti[2], documenti[1], documenti[0]}));
  EXPECT_EQ(c.disco.file.at(piattaforma::unisci_percorso("documenti", documenti[0])), byte_scheda);
}

// When the documents are not written, and why; the values file read at its
// line and column.
TEST(ImpacchettaSorgenti, DocumentsOnlyFromSourcesWithoutErrorsAndValuesThatCanBeTaken) {
  const std::string linea = testo(linea_base);
  auto documenti = [](const esito& e) {
    size_t n = 0;
    for (const auto& [percorso, byte] : e.disco.file) n += percorso.ends_with("_scheda_treno.txt") ||
        percorso.ends_with("_rallentamenti.txt") || percorso.ends_with("_note.txt");
    return n;
  };
  {
    // An error in the data: the packed files as ever, no documents.
    const esito e = esegui(linea, testo(applica(treno_base, {true, 9, {"velocita,       0,   xyz"}})),
                           {"--documents"});
    EXPECT_EQ(e.stato, errore_dati);
    EXPECT_EQ(documenti(e), 0u);
    EXPECT_NE(e.errori.find("impacchetta_scenario: the documents were not written: they are made "
                            "only from sources without errors"), std::string::npos) << e.errori;
  }
  {
    // An error the loader does not record (a record name it takes for no
    // record, so the slowdown is lost): no documents either.
    const esito e = esegui(linea, testo(applica(treno_base, {true, 13, {"[rallentamenti]",
                                                                          "ralentamento, 1000, 60, 400, 0, 0, 0"}})),
                           {"--documents", "--check"});
    EXPECT_EQ(e.stato, errore_dati);
    EXPECT_EQ(documenti(e), 0u) << e.errori;
  }
  {
    // A warning with --strict: nothing at all.
    const esito e = esegui(linea, testo(applica(treno_base, {true, 4, {"sabbia,    200,   7"}})),
                           {"--documents", "--strict", "--check"});
    EXPECT_EQ(e.stato, avvisi_severi);
    EXPECT_EQ(documenti(e), 0u);
  }
  const std::string valori = "sorgenti/valori.txt";
  {
    esito e;
    e.disco.file[nome_linea] = linea;
    e.disco.file[nome_treno] = testo(treno_base);
    e.disco.file[valori] = "classificazione, REG\r\nmassa, 300T\r\nsconosciuto, 1\r\n";
    std::ostringstream uscita, errori;
    e.stato = impacchetta_sorgenti(
        e.disco, leggi_opzioni({"--documents", "--document-values", valori, nome_linea, nome_treno}),
        uscita, errori);
    EXPECT_EQ(e.stato, errore_file);
    EXPECT_EQ(e.disco.file.size(), 3u);
    EXPECT_TRUE(errori.str().starts_with("sorgenti/valori.txt:3:1: error: ")) << errori.str();
  }
  {
    esito e;
    e.disco.file[nome_linea] = linea;
    e.disco.file[nome_treno] = testo(treno_base);
    e.disco.file[valori] = "classificazione, REG\r\nmassa, 300T\r\n";
    std::ostringstream uscita, errori;
    e.stato = impacchetta_sorgenti(
        e.disco, leggi_opzioni({"--documents", "--document-values", valori, nome_linea, nome_treno}),
        uscita, errori);
    EXPECT_EQ(e.stato, riuscito) << errori.str();
    const std::string& scheda = e.disco.file.at(piattaforma::unisci_percorso(cartella, "R_T_scheda_treno.txt"));
    EXPECT_NE(scheda.find("REG"), std::string::npos);
    EXPECT_NE(scheda.find("300T"), std::string::npos);
  }
  {
    // A document named as a source would replace it: refused before anything.
    esito e;
    const std::string nota = "sorgenti/R_T_note.txt";
    e.disco.file[nome_linea] = linea;
    e.disco.file[nota] = testo(treno_base);
    std::ostringstream uscita, errori;
    e.stato = impacchetta_sorgenti(
        e.disco, leggi_opzioni({"--documents", "--train", "T", nome_linea, nota}), uscita, errori);
    EXPECT_EQ(e.stato, errore_file);
    EXPECT_EQ(e.disco.file.size(), 2u);
    EXPECT_NE(errori.str().find("notes draft"), std::string::npos) << errori.str();
  }
  EXPECT_THROW(leggi_opzioni({"--document-values", valori, nome_linea, nome_treno}), ErroreUso);
}

}  // namespace
}  // namespace autore
