// End-to-end: the built impacchetta_scenario and crea_scenario, started
// without a shell, in folders whose names hold a blank and a letter outside
// ASCII.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "authoring/impacchetta.h"
#include "platform/disco.h"
#include "prova/cartella_temporanea.h"
#include "prova/esegui_programma.h"
#include "prova/guasti_iniettati.h"
#include "prova/scenario_spedito.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace autore {
namespace {

namespace fs = std::filesystem;

const std::string nome_linea = "Tarvena-Olmara-Caldone_linea.txt";
const std::string nome_treno = "Tarvena-Olmara-Caldone_Reg 40318-.txt";
const std::vector<std::string> nomi_pacchetti = {"Tarvena-Olmara-Caldone_linea.dat",
                                                 "Tarvena-Olmara-Caldone_Reg 40318.sim",
                                                 "Tarvena-Olmara-Caldone_Reg 40318.dat"};

std::string leggi(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void scrivi(const fs::path& p, const std::string& byte) {
  std::ofstream f(p, std::ios::binary);
  f << byte;
}

// The path as UTF-8, as a program's argument.
std::string utf8(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

// A fresh folder of this process's own, removed at the end.
class Cartelle : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    const auto pid = GetCurrentProcessId();
#else
    const auto pid = ::getpid();
#endif
    radice = fs::temp_directory_path() / ("impacchetta_test_" + std::to_string(pid));
    fs::remove_all(radice);
    lavoro = radice / fs::path(u8"scenario d'autore \u00e8");
    fs::create_directories(lavoro);
  }
  void TearDown() override { fs::remove_all(radice); }

  // Runs impacchetta_scenario in the work folder; the Windows console's
  // CR LF line ends are read as LF.
  prova::esito_programma impacchetta(const std::vector<std::string>& argomenti) {
    prova::esito_programma e =
        prova::esegui_programma(PROGRAMMA_IMPACCHETTA_SCENARIO, argomenti, lavoro);
    std::erase(e.uscita, '\r');
    std::erase(e.errori, '\r');
    return e;
  }

  fs::path radice;
  fs::path lavoro;
};

// The shipped sources, written as a starting point and packed by the new
// program, give the very bytes crea_scenario packs; the sources stay.
TEST_F(Cartelle, PacksTheShippedSourcesAsTheBuilderDoes) {
  const fs::path costruttore = radice / "crea";
  fs::create_directories(costruttore);
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, costruttore / fs::path(PROGRAMMA_CREA_SCENARIO).filename());
  const auto creato = prova::esegui_programma(
      costruttore / fs::path(PROGRAMMA_CREA_SCENARIO).filename(), {}, radice);
  ASSERT_EQ(creato.stato, 0) << creato.errori;

  const auto partenza = impacchetta({"--starting-point", "inizio"});
  ASSERT_EQ(partenza.stato, riuscito) << partenza.errori;
  EXPECT_EQ(partenza.uscita, "wrote " + nome_linea + "\nwrote " + nome_treno + "\n");
  const fs::path inizio = lavoro / "inizio";
  const std::string linea = leggi(inizio / nome_linea);
  const std::string treno = leggi(inizio / fs::path(nome_treno));

  const auto esito = impacchetta({utf8(inizio / nome_linea), utf8(inizio / nome_treno)});
  EXPECT_EQ(esito.stato, riuscito) << esito.errori;
  EXPECT_EQ(esito.errori, "");
  for (const std::string& nome : nomi_pacchetti)
    EXPECT_EQ(leggi(inizio / fs::path(nome)), leggi(costruttore / fs::path(nome))) << nome;
  EXPECT_EQ(leggi(inizio / nome_linea), linea);
  EXPECT_EQ(leggi(inizio / fs::path(nome_treno)), treno);

  // A second starting point never goes over an author's sources.
  scrivi(inizio / nome_linea, "mine");
  const auto ancora = impacchetta({"--starting-point", "inizio"});
  EXPECT_EQ(ancora.stato, errore_file);
  EXPECT_EQ(leggi(inizio / nome_linea), "mine");
}

#ifndef _WIN32
// A packed file that the file-size limit cuts short is a write error naming
// it (status 1), not a death by signal, and no temporary file is left.
TEST_F(Cartelle, AFileTooLargeForTheLimitIsAWriteErrorAndLeavesNoTemporary) {
  ASSERT_EQ(impacchetta({"--starting-point", "."}).stato, riuscito);
  // The limit is inherited by the program started while it stands.
  rlimit prima{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &prima), 0);
  rlimit limite = prima;
  limite.rlim_cur = 100000;  // below the packed line file's 4.7 MB
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limite), 0);
  const auto esito = impacchetta({nome_linea, nome_treno});
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &prima), 0);
  EXPECT_EQ(esito.stato, errore_file) << esito.errori;
  EXPECT_NE(esito.errori.find("Tarvena-Olmara-Caldone_linea.dat"), std::string::npos) << esito.errori;
  EXPECT_NE(esito.errori.find("File too large"), std::string::npos) << esito.errori;
  for (const auto& voce : fs::directory_iterator(lavoro))
    EXPECT_EQ(voce.path().filename().string().find(".nuovo-"), std::string::npos) << voce.path();
  // Without the limit the next run packs, and leaves no temporary either.
  EXPECT_EQ(impacchetta({nome_linea, nome_treno}).stato, riuscito);
  for (const auto& voce : fs::directory_iterator(lavoro))
    EXPECT_EQ(voce.path().filename().string().find(".nuovo-"), std::string::npos) << voce.path();
  EXPECT_TRUE(fs::exists(lavoro / nomi_pacchetti[0]));
}

// What the packer flushes, counted by the fault library: each packed file
// once, before its rename, and their folder once, after the last (the
// starting point's two sources likewise), so a later change cannot add
// flushes back unnoticed. A run killed part-way (at its second write)
// leaves a temporary file of a packed file (or two), which the next run
// clears under the folder's lock.
TEST_F(Cartelle, FlushesEachFileAndItsFolderOnceAndClearsWhatAKilledRunLeft) {
  const fs::path conteggio = radice / "conteggio.txt";
  const auto con = [&](std::vector<std::string> altre) {
    return prova::con_iniettore(INIETTORE_GUASTI, lavoro, std::move(altre));
  };
  // Absolute paths: the fault library counts the calls on the folder's.
  const auto avvia = [&](const std::vector<std::string>& argomenti, const std::vector<std::string>& ambiente) {
    return prova::esegui_programma(PROGRAMMA_IMPACCHETTA_SCENARIO, argomenti, lavoro, ambiente);
  };
  struct caso {
    std::vector<std::string> argomenti;
    long file;  // files flushed, then the folder once
  };
  for (const caso& c : {caso{{"--starting-point", utf8(lavoro)}, 2},
                        caso{{utf8(lavoro / nome_linea), utf8(lavoro / nome_treno)}, 3},
                        // The documents in the packed files' series: still one folder flush.
                        caso{{"--documents", utf8(lavoro / nome_linea), utf8(lavoro / nome_treno)}, 6}}) {
    SCOPED_TRACE(c.argomenti[0]);
    const auto esito = avvia(c.argomenti, con({"GUASTI_CONTEGGIO=" + conteggio.string()}));
    ASSERT_EQ(esito.stato, riuscito) << esito.errori;
    const auto chiamate = prova::leggi_conteggi(conteggio);
    EXPECT_EQ(chiamate.at("flush"), c.file + 1);
    EXPECT_EQ(chiamate.at("cartelle_scaricate"), 1);
  }
  EXPECT_TRUE(leggi(lavoro / fs::path("Tarvena-Olmara-Caldone_Reg 40318_scheda_treno.txt"))
                  .starts_with("\r\n\r\n  ____"));
  std::map<std::string, std::string> pacchetti;
  for (const std::string& nome : nomi_pacchetti) pacchetti[nome] = leggi(lavoro / fs::path(nome));

  const std::vector<std::string> argomenti = {utf8(lavoro / nome_linea), utf8(lavoro / nome_treno)};
  EXPECT_EQ(avvia(argomenti, con({"GUASTI_OPERAZIONE=write", "GUASTI_INDICE=2", "GUASTI_UCCIDI=1"})).stato, -1);
  const auto temporanei = [&] {
    int n = 0;
    for (const auto& voce : fs::directory_iterator(lavoro))
      n += voce.path().filename().string().find(".nuovo-") != std::string::npos;
    return n;
  };
  // The first file's flush and rename may still have been under way.
  ASSERT_GE(temporanei(), 1) << "the killed run left no temporary";
  const auto dopo = impacchetta({nome_linea, nome_treno});
  EXPECT_EQ(dopo.stato, riuscito) << dopo.errori;
  EXPECT_EQ(temporanei(), 0);
  for (const std::string& nome : nomi_pacchetti) EXPECT_EQ(leggi(lavoro / fs::path(nome)), pacchetti[nome]) << nome;
}
#endif

#ifndef _WIN32
// The builder and the packer writing into one folder. While another
// program holds the folder's lock the packer says once that it waits and
// writes and removes nothing (a temporary file of the holder's stays);
// once the lock is let go it clears the temporaries left of its names and
// packs. Then both are started together, round after round, the second
// one a little later each round, so that their writing meets: each holds
// the folder's lock for the whole of its writing, so the packed files of
// every round come whole from one of the two (the packer's sources differ
// in a curve, a gradient and the clock, so each of its three files
// differs from the builder's), and both end well.
TEST_F(Cartelle, TheBuilderAndThePackerNeverInterleaveTheirFilesInOneFolder) {
  using orologio = std::chrono::steady_clock;
  const fs::path costruttore = radice / "crea";
  fs::create_directories(costruttore);
  const fs::path programma = costruttore / fs::path(PROGRAMMA_CREA_SCENARIO).filename();
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, programma);
  const auto pacchetti = [&] {
    std::map<std::string, std::string> file;
    for (const std::string& nome : nomi_pacchetti) file[nome] = leggi(costruttore / fs::path(nome));
    return file;
  };
  // The time one run takes alone, to place the rounds' starts.
  const auto durata = [](const std::function<int()>& esegui) {
    const auto inizio = orologio::now();
    EXPECT_EQ(esegui(), 0);
    return std::chrono::duration_cast<std::chrono::milliseconds>(orologio::now() - inizio);
  };
  const auto costruisci = [&] { return prova::esegui_programma(programma, {}, radice); };
  const auto tempo_costruttore = durata([&] { return costruisci().stato; });
  const std::map<std::string, std::string> del_costruttore = pacchetti();

  ASSERT_EQ(impacchetta({"--starting-point", "."}).stato, riuscito);
  for (const auto& [nome, vecchio, nuovo] :
       {std::tuple(nome_linea, "curvad1,  1500,", "curvad2,  1500,"),
        std::tuple(nome_linea, "pendenza,   0,    0\r\n", "pendenza,   0,    7\r\n"),
        std::tuple(nome_treno, "orologio,    13 ", "orologio,    14 ")}) {
    std::string testo = leggi(lavoro / fs::path(nome));
    const size_t dove = testo.find(vecchio);
    ASSERT_NE(dove, std::string::npos) << vecchio;
    scrivi(lavoro / fs::path(nome), testo.replace(dove, std::strlen(vecchio), nuovo));
  }
  const std::vector<std::string> argomenti = {nome_linea, nome_treno, "-o", utf8(costruttore)};
  const std::string riga_attesa = std::string(autore::programma) + ": another program is writing into " +
                                  utf8(costruttore) + "; waiting for it to end\n";
  {
    piattaforma::DiscoReale disco;
    auto blocco = disco.blocca((costruttore / "crea_scenario.lock").string(), std::chrono::milliseconds(0));
    const fs::path avanzo = costruttore / fs::path(nomi_pacchetti[1] + ".nuovo-0123456789abcdef");
    scrivi(avanzo, "being written by the lock's holder");
    auto pacchetto = std::async(std::launch::async, [&] { return impacchetta(argomenti); });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(pacchetti() == del_costruttore) << "written while another program held the folder";
    EXPECT_TRUE(fs::exists(avanzo)) << "removed while another program held the folder";
    blocco.reset();
    const auto esito = pacchetto.get();
    EXPECT_EQ(esito.stato, riuscito) << esito.errori;
    EXPECT_EQ(esito.errori, riga_attesa);
    EXPECT_FALSE(fs::exists(avanzo));
  }
  const auto tempo_pacchettatore = durata([&] { return impacchetta(argomenti).stato; });
  const std::map<std::string, std::string> del_pacchettatore = pacchetti();
  for (const std::string& nome : nomi_pacchetti)
    ASSERT_NE(del_pacchettatore.at(nome), del_costruttore.at(nome)) << nome;

  // Round k starts the packer `scarto` after the builder (before it when
  // negative): around the point where both would end together, 10 ms
  // further each round.
  int misti = 0, attese = 0;
  for (int giro = 0; giro < 20; ++giro) {
    const auto scarto = tempo_costruttore - tempo_pacchettatore + std::chrono::milliseconds(10 * (giro - 10));
    auto costruzione = std::async(std::launch::async, [&] {
      std::this_thread::sleep_for(-std::min(scarto, decltype(scarto){0}));
      return costruisci();
    });
    std::this_thread::sleep_for(std::max(scarto, decltype(scarto){0}));
    const auto pacchetto = impacchetta(argomenti);
    const auto costruito = costruzione.get();
    EXPECT_EQ(costruito.stato, 0) << costruito.errori;
    EXPECT_EQ(pacchetto.stato, riuscito) << pacchetto.errori;
    // A run that waited for the other says so in one line, and says nothing else.
    for (const auto& [errori, riga] :
         {std::pair(costruito.errori, "crea_scenario: another program is writing into " + utf8(costruttore) +
                                          "; waiting for it to end\n"),
          std::pair(pacchetto.errori, riga_attesa)}) {
      if (errori.empty()) continue;
      EXPECT_EQ(errori, riga);
      ++attese;
    }
    const auto ora = pacchetti();
    if (ora != del_costruttore && ora != del_pacchettatore) ++misti;
  }
  EXPECT_EQ(misti, 0) << "rounds that left packed files of both programs";
  std::cout << "builder and packer together: 20 rounds, " << attese << " runs waited for the other\n";
}
#endif

// A rejected record is reported at its line and column, with the builder's
// exit status; the sources keep every byte.
TEST_F(Cartelle, ReportsARejectedRecordAndLeavesTheSourcesAsTheyWere) {
  ASSERT_EQ(impacchetta({"--starting-point", "."}).stato, riuscito);
  std::string treno = leggi(lavoro / fs::path(nome_treno));
  const std::string stazione = "stazione,   31200,";
  const size_t dove = treno.find(stazione);
  ASSERT_NE(dove, std::string::npos);
  treno.replace(dove, stazione.size(), "stazione,   31020,");
  scrivi(lavoro / fs::path(nome_treno), treno);
  const std::string linea = leggi(lavoro / nome_linea);

  const auto esito = impacchetta({nome_linea, nome_treno});
  EXPECT_EQ(esito.stato, errore_dati);
  EXPECT_EQ(esito.errori,
            nome_treno + ":42:13: error: train source: station chainage not a multiple of 50 m "
                         "(chainage 31020 m); make the station's chainage 31000 or 31050 (the "
                         "nearest multiples of 50) [code 8]\nimpacchetta_scenario: 1 error, 0 "
                         "warnings\n");
  EXPECT_EQ(leggi(lavoro / nome_linea), linea);
  EXPECT_EQ(leggi(lavoro / fs::path(nome_treno)), treno);
}

// A wrong command line prints the usage and ends with status 3, reading
// and writing nothing.
TEST_F(Cartelle, AWrongCommandLineGivesTheUsageAndStatus3) {
  const std::vector<std::vector<std::string>> casi = {
      {},
      {nome_linea},
      {nome_linea, nome_treno, "third"},
      {"--bogus", nome_linea, nome_treno},
      {nome_linea, nome_treno, "-o"},
      {"linea.txt", nome_treno},
      {nome_linea, "Altra-Linea_Reg 1-.txt"},
      {"--starting-point", "x", nome_linea},
      // Names that cannot be part of a file name, given or taken from a file name.
      {"--route", "../escape", "--train", "T", nome_linea, nome_treno},
      {"--route", "R", "--train", "sub/T", nome_linea, nome_treno},
      {"--route", "R", "--train", "Reg\n1", nome_linea, nome_treno},
      {"R|x_linea.txt", "R|x_T-.txt"},
      {"--route", "R", "R_linea.txt", "R_T<1-.txt"},
      {"-o", "a", "--output=b", nome_linea, nome_treno},  // given twice
  };
  for (const auto& argomenti : casi) {
    const auto esito = impacchetta(argomenti);
    EXPECT_EQ(esito.stato, errore_uso) << esito.errori;
    EXPECT_NE(esito.errori.find("Usage: impacchetta_scenario"), std::string::npos) << esito.errori;
    EXPECT_TRUE(fs::is_empty(lavoro));
  }
  const auto nome = impacchetta({"--route", "../escape", "--train", "T", nome_linea, nome_treno});
  EXPECT_EQ(nome.errori.substr(0, nome.errori.find('\n')),
            "impacchetta_scenario: the route title \"../escape\" given with --route cannot be part "
            "of a file name: it holds \"..\", which names the folder above");
  const auto coppia = impacchetta({nome_linea, "Altra-Linea_Reg 1-.txt"});
  EXPECT_EQ(coppia.errori.substr(0, coppia.errori.find('\n')),
            "impacchetta_scenario: the two sources are not a pair: the line source is for route "
            "\"Tarvena-Olmara-Caldone\" but the train source's name \"Altra-Linea_Reg 1-.txt\" "
            "does not begin with \"Tarvena-Olmara-Caldone_\" (give --route and --train to pack "
            "them all the same)");
}

// --reference prints a record's fields, or the list of records, and touches
// no file; a name that matches no record is status 3 with the list.
TEST_F(Cartelle, ReferencePrintsARecordAndWritesNothing) {
  const auto stazione = impacchetta({"--reference", "stazione"});
  EXPECT_EQ(stazione.stato, riuscito) << stazione.errori;
  EXPECT_NE(stazione.uscita.find("stazione"), std::string::npos);
  const auto elenco = impacchetta({"--reference"});
  EXPECT_EQ(elenco.stato, riuscito);
  EXPECT_NE(elenco.uscita.find("Records (impacchetta_scenario --reference RECORD prints one)"),
            std::string::npos);
  const auto nessuno = impacchetta({"--reference", "zzz"});
  EXPECT_EQ(nessuno.stato, errore_uso);
  EXPECT_NE(nessuno.errori.find("no record is named \"zzz\""), std::string::npos);
  EXPECT_TRUE(fs::is_empty(lavoro));
}

// --json prints one JSON document on standard output whatever the status,
// a wrong command line's included; -o names a folder that is made when
// missing.
TEST_F(Cartelle, JsonForEveryStatusAndAMissingOutputFolderMade) {
  const auto uso = impacchetta({"--json", "--bogus"});
  EXPECT_EQ(uso.stato, errore_uso);
  EXPECT_EQ(uso.uscita, R"({
  "diagnostics": [],
  "errors": 0,
  "messages": [
    "impacchetta_scenario: unknown option --bogus"
  ],
  "status": 3,
  "warnings": 0,
  "written": []
}
)");

  ASSERT_EQ(impacchetta({"--starting-point", "."}).stato, riuscito);
  const auto creata = impacchetta({"-o", "nuova/cartella", nome_linea, nome_treno});
  EXPECT_EQ(creata.stato, riuscito) << creata.errori;
  EXPECT_EQ(creata.errori, "impacchetta_scenario: created the folder nuova/cartella\n");
  for (const std::string& nome : nomi_pacchetti)
    EXPECT_TRUE(fs::is_regular_file(lavoro / "nuova" / "cartella" / fs::path(nome))) << nome;
}

// Every entry under `cartella`: a link as its target's path, a file as its
// size and a hash of its bytes.
std::map<std::string, std::string> contenuto(const fs::path& cartella) {
  std::map<std::string, std::string> file;
  for (const auto& voce : fs::recursive_directory_iterator(cartella)) {
    std::string& cosa = file[voce.path().lexically_relative(cartella).generic_string()];
    if (voce.is_symlink()) {
      cosa = "-> " + fs::read_symlink(voce.path()).generic_string();
    } else if (voce.is_regular_file()) {
      const std::string byte = leggi(voce.path());
      cosa = std::to_string(byte.size()) + " bytes, hash " + std::to_string(std::hash<std::string>{}(byte));
    } else {
      cosa = "folder";
    }
  }
  return file;
}

// A packed file that would land on a source, however either is spelled,
// and two packed files that would land on one name, are refused before
// anything is written: status 1, both paths named, every file as it was.
TEST(Uscite, APackedFileOnASourceOrOnAnotherIsRefusedHoweverItIsSpelled) {
  struct caso {
    const char* come;
    std::vector<std::string> sorgenti;  // where the line source and the train source are put
    std::vector<std::string> argomenti;  // "@" stands for the folder's absolute path
    std::string nominato;                // a path the message names
  };
  const std::vector<std::string> rt = {"--route", "R", "--train", "T"};
  auto con = [&](std::vector<std::string> a) {
    a.insert(a.begin(), rt.begin(), rt.end());
    return a;
  };
  const std::vector<caso> casi = {
      {"bare", {"R_linea.txt", "R_T.dat"}, con({"R_linea.txt", "R_T.dat"}), "\"R_T.dat\""},
      {"./", {"R_linea.txt", "R_T.dat"}, con({"./R_linea.txt", "./R_T.dat"}), "\"./R_T.dat\""},
      {"absolute", {"R_linea.txt", "R_T.dat"}, con({"@/R_linea.txt", "@/R_T.dat"}), "R_T.dat\""},
      {"sub/ with -o sub/", {"sub/R_linea.txt", "sub/R_T.dat"},
       con({"-o", "sub/", "sub/R_linea.txt", "sub/R_T.dat"}), "\"sub/R_T.dat\""},
      {"./R_T.sim, once an internal error", {"R_linea.txt", "R_T.sim"},
       con({"./R_linea.txt", "./R_T.sim"}), "\"./R_T.sim\""},
      {"the line source at the line file's name", {"R_linea.dat", "treno.txt"},
       con({"R_linea.dat", "treno.txt"}), "\"R_linea.dat\""},
      {"written twice", {"R_linea.txt", "treno.txt"},
       {"--route", "R", "--train", "linea", "R_linea.txt", "treno.txt"}, "R_linea.dat\""},
#ifndef _WIN32
      {"a linked folder", {"sub/R_linea.txt", "sub/R_T.dat"},
       con({"-o", "ln", "sub/R_linea.txt", "sub/R_T.dat"}), "\"sub/R_T.dat\""},
#endif
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.come);
    prova::CartellaTemporanea t("uscite");
    fs::create_directory(t / "sub");
#ifndef _WIN32
    fs::create_directory_symlink("sub", t / "ln");
#endif
    scenario::modello m;
    m.linea = "R";
    m.treno = "T";
    piattaforma::DiscoReale disco;
    prova::scrivi_sorgenti_spedite(m, disco, t.str());
    fs::rename(t / "R_linea.txt", t / c.sorgenti[0]);
    fs::rename(t / "R_T-.txt", t / c.sorgenti[1]);
    const auto prima = contenuto(t.percorso());

    std::vector<std::string> argomenti = c.argomenti;
    for (std::string& a : argomenti)
      if (a[0] == '@') a = utf8(t.percorso()) + a.substr(1);
    const auto esito = prova::esegui_programma(PROGRAMMA_IMPACCHETTA_SCENARIO, argomenti, t.percorso());
    EXPECT_EQ(esito.stato, errore_file) << esito.errori;
    EXPECT_NE(esito.errori.find(c.nominato), std::string::npos) << esito.errori;
    EXPECT_NE(esito.errori.find("nothing was written"), std::string::npos) << esito.errori;
    EXPECT_EQ(contenuto(t.percorso()), prima);
  }
}

}  // namespace
}  // namespace autore
