// End-to-end: the built impacchetta_scenario and crea_scenario, started
// without a shell, in folders whose names hold a blank and a letter outside
// ASCII.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "authoring/impacchetta.h"
#include "platform/disco.h"
#include "prova/cartella_temporanea.h"
#include "prova/esegui_programma.h"
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
}
#endif

#ifndef _WIN32
// The builder and the packer started together into one folder, round after
// round: each holds the folder's lock for the whole of its writing, so the
// packed files of every round come whole from one of the two (the packer's
// train starts at another time, so its item file differs), and both end
// well; a leftover temporary of a packed file is cleared by the packer.
TEST_F(Cartelle, TheBuilderAndThePackerNeverInterleaveTheirFilesInOneFolder) {
  const fs::path costruttore = radice / "crea";
  fs::create_directories(costruttore);
  const fs::path programma = costruttore / fs::path(PROGRAMMA_CREA_SCENARIO).filename();
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, programma);
  ASSERT_EQ(prova::esegui_programma(programma, {}, radice).stato, 0);
  std::map<std::string, std::string> del_costruttore;
  for (const std::string& nome : nomi_pacchetti) del_costruttore[nome] = leggi(costruttore / fs::path(nome));

  ASSERT_EQ(impacchetta({"--starting-point", "."}).stato, riuscito);
  std::string treno = leggi(lavoro / fs::path(nome_treno));
  const size_t orologio = treno.find("orologio");
  ASSERT_NE(orologio, std::string::npos);
  treno.replace(treno.find(',', orologio) + 1, 0, " 1");  // another start hour
  scrivi(lavoro / fs::path(nome_treno), treno);
  const std::vector<std::string> argomenti = {nome_linea, nome_treno, "-o", utf8(costruttore)};
  scrivi(costruttore / fs::path(nomi_pacchetti[1] + ".nuovo-0123456789abcdef"), "left by a killed run");
  ASSERT_EQ(impacchetta(argomenti).stato, riuscito);
  std::map<std::string, std::string> del_pacchettatore;
  for (const std::string& nome : nomi_pacchetti) del_pacchettatore[nome] = leggi(costruttore / fs::path(nome));
  ASSERT_NE(del_pacchettatore, del_costruttore);
  for (const auto& voce : fs::directory_iterator(costruttore))
    EXPECT_EQ(voce.path().filename().string().find(".nuovo-"), std::string::npos) << voce.path();

  int misti = 0;
  for (int giro = 0; giro < 12; ++giro) {
    auto costruzione = std::async(std::launch::async, [&] { return prova::esegui_programma(programma, {}, radice); });
    const auto pacchetto = impacchetta(argomenti);
    const auto costruito = costruzione.get();
    EXPECT_EQ(costruito.stato, 0) << costruito.errori;
    EXPECT_EQ(pacchetto.stato, riuscito) << pacchetto.errori;
    std::map<std::string, std::string> ora;
    for (const std::string& nome : nomi_pacchetti) ora[nome] = leggi(costruttore / fs::path(nome));
    if (ora != del_costruttore && ora != del_pacchettatore) ++misti;
  }
  EXPECT_EQ(misti, 0) << "rounds that left packed files of both programs";
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
