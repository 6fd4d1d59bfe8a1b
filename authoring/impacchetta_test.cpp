#include "authoring/impacchetta.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "packer/impacchettatore.h"
#include "model/modello.h"
#include "platform/cartella_programma.h"
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
  scenario::memorizza_percorso(m, disco, "c", j);
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

// Every kind of diagnostic at its exact place. Whatever it reports, the
// packed files are those the builder's packing writes for the same bytes,
// and the sources are left as they were.
TEST(ImpacchettaSorgenti, PointsEachDiagnosticAtItsFileLineAndColumn) {
  const std::string L = "sorgenti/R_linea.txt:";
  const std::string T = "sorgenti/R_T-.txt:";
  struct caso {
    const char* nome;
    modifica cambio;
    int stato;
    std::vector<std::string> attese;
  };
  const std::vector<caso> casi = {
      {"a rejected station", {true, 12, {"stazione,    4020,  6,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  14, 5, 0, Beta"}},
       errore_dati,
       {T + "12:1: error 8: train source: station chainage not a multiple of 50 m (chainage 4020 m)"}},
      {"a record beyond the line", {true, 15, {"  segnale,   99000,   2, 4, 0,  0, 0,    2,  1,0,0, 0"}},
       errore_dati,
       {T + "15:3: error 15: a record reaches outside the line (too close to or beyond its end, "
            "before its start), or there are more mountain zones or direction boards than the "
            "tables hold (chainage 99000 m)"}},
      {"a chainage reference off the grid, found at the end", {false, 4, {"progressiva chilometrica due,    0,    10,    0"}},
       errore_dati,
       {L + "4:1: error 2: line source: a chainage reference is not a multiple of 50 m"}},
      {"two boards on one cell", {false, 15, {"cartello_indicatore,  3000,   (a)", "cartello_indicatore,  3010,   (b)"}},
       errore_dati,
       {L + "16:1: error 6: line source: direction board on a cell already taken (chainage 3010 m)"}},
      {"a field missing before the end of the file", {true, 17, {"abbattimento,    2000"}},
       errore_dati,
       {T + "17:1: error 25: a source file could not be read (missing file, field past the end, "
            "or a value that does not fit its field): no number where one is due: \"[fine]\" "
            "(line 18, column 1); the record's line ends before all its fields"}},
      {"an error of the cab-code pass, traced to its signal",
       {true, 15, {"segnale,    2400,   2, 4, 0,  0, 0,    2,  1,0,0, 0",
                   "segnale,    2450,   2, 4, 0,  0, 0,    2,  1,0,0, 0",
                   "segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0",
                   "rallentamento,    3900,  60,  200,  1, 0, 0"}},
       errore_dati,
       {T + "17:1: error 11: cab codes: a signal before a slowdown warning board has no room for a "
            "code cell (chainage 2550 m)"}},
      {"a misspelt record name", {true, 15, {"segmale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0"}},
       riuscito,
       {T + "15:1: warning: record name `segmale` is not recognised, so the line is ignored: did "
            "you mean `segnale`?"}},
      {"a record spread over two lines", {true, 15, {"segnale,    2500,   2, 4, 0,", "   0, 0,    2,  1,0,0, 0"}},
       riuscito,
       {T + "15:1: warning: record `segnale` runs on to line 16: its line holds fewer fields than "
            "the record takes, so the rest were read from the line after it"}},
      {"a station without its name swallows the next line", {true, 11, {"stazione,       0,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20,"}},
       riuscito,
       {T + "11:1: warning: record `stazione` runs on to line 12: its line holds fewer fields than "
            "the record takes, so the rest were read from the line after it"}},
      {"a field left over", {true, 4, {"sabbia,    200,   7"}},
       riuscito,
       {T + "4:19: warning: field `7` is left over after the record on this line has all its "
            "fields; it and the fields after it on the line are ignored"}},
      {"a record name with a hyphen", {false, 15, {"cartello-indicatore,  3000,   (Ponte)"}},
       riuscito,
       {L + "15:1: warning: `cartello-indicatore` holds a hyphen, so the loader skips it as a "
            "comment: did you mean `cartello_indicatore`?"}},
      {"a header record after the header block", {false, 11, {"sfondo uno,    1"}},
       riuscito,
       {L + "11:1: warning: `sfondo uno` is read only in the [generale] block, before the section "
            "header that follows it; here the line is ignored"}},
      {"a speed off the 5 km/h steps", {true, 9, {"velocita,       0,   142"}},
       riuscito,
       {T + "9:1: warning: speeds are kept in steps of 5 km/h: 142 km/h is packed as 140 km/h"}},
      {"a source saved as UTF-8", {false, 15, {"cartello_indicatore,  3000,   (Ponte)(fiume)(R\xC3\xA9no)"}},
       riuscito,
       {L + "15:47: warning: the file is saved as UTF-8, not in the Windows-1252 code page the "
            "simulator reads: every letter outside ASCII would reach it as two wrong characters; "
            "pack with --from-utf8 to convert it while reading (the file is not changed)"}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const std::string linea = testo(c.cambio.treno ? linea_base : applica(linea_base, c.cambio));
    const std::string treno = testo(c.cambio.treno ? applica(treno_base, c.cambio) : treno_base);
    const esito e = esegui(linea, treno);
    EXPECT_EQ(e.stato, c.stato) << e.errori;
    EXPECT_EQ(diagnostiche(e.errori), c.attese);
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
// prints the diagnostics as an array on standard output.
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
    EXPECT_EQ(e.uscita, "impacchetta_scenario: --strict: warnings found, nothing was written\n");
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
    EXPECT_EQ(e.uscita, R"([
  {
    "chainage": null,
    "code": null,
    "column": 19,
    "file": "sorgenti/R_T-.txt",
    "line": 4,
    "message": "field `7` is left over after the record on this line has all its fields; it and the fields after it on the line are ignored",
    "severity": "warning"
  }
]
)");
  }
}

// A source saved as UTF-8 is converted while reading with --from-utf8, and
// packs as the same text in Windows-1252 does; one that is not UTF-8 is refused.
TEST(ImpacchettaSorgenti, ConvertsASourceSavedAsUtf8OnlyWhenAsked) {
  const std::string utf8 = testo(applica(
      linea_base, {false, 15, {"cartello_indicatore,  3000,   (Ponte)(fiume)(R\xC3\xA9no)"}}));
  const std::string cp1252 = testo(applica(
      linea_base, {false, 15, {"cartello_indicatore,  3000,   (Ponte)(fiume)(R\xE9no)"}}));
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
            "that is not UTF-8\n");
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
  const std::vector<caso> casi = {
      {"100,000 lines no rule takes",
       molte,
       {T + "14:1: warning: record name `voce0` is not recognised, so the line is ignored",
        T + "113:1: warning: record name `voce99` is not recognised, so the line is ignored",
        T + "114:1: note: and 99,900 more like it, not shown, from this one on: record name "
            "`voce100` is not recognised, so the line is ignored"},
       "impacchetta_scenario: 0 errors, 100,000 warnings\n"},
      {"one line of 200,000 fields",
       {"[rallentamenti]", campi},
       {T + "14:1: warning: record name `voce` is not recognised, so the line is ignored"},
       "impacchetta_scenario: 0 errors, 1 warning\n"},
      {"a line of 1 MB without a comma",
       {"[rallentamenti]", senza_virgola},
       {T + "14:1: warning: record name `" + std::string(60, 'x') +
        "\u2026 (1,048,576 characters)` is not recognised, so the line is ignored"},
       "impacchetta_scenario: 0 errors, 1 warning\n"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const esito e = esegui(testo(linea_base), testo(applica(treno_base, {true, 13, c.righe})));
    EXPECT_EQ(e.stato, riuscito);
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

}  // namespace
}  // namespace autore
