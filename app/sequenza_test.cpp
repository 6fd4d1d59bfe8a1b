#include "app/sequenza.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "packer/codifica.h"
#include "platform/cartella_programma.h"
#include "platform/errore_file.h"
#include "prova/cartella_temporanea.h"
#include "prova/disco_memoria.h"
#include "prova/esegui_programma.h"
#include "sources/scrittori.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace scenario {
namespace {

namespace fs = std::filesystem;

// The order in which the build run replaces files.
TEST(CostruisciScenario, WritesSourcesDocumentsThenPackedFilesInThatOrder) {
  piattaforma::DiscoMemoria disco;
  std::vector<std::string> ordine;
  disco.guasto = [&](std::string_view operazione, const std::string& p) {
    if (operazione == "replace") ordine.push_back(p);
    return std::string();
  };
  EXPECT_EQ(costruisci_scenario(disco, "c"), uscita_riuscita);
  const std::vector<std::string> attesi = {
      "Tarvena-Olmara-Caldone_linea.txt", "Tarvena-Olmara-Caldone_Reg 40318-.txt",
      "Tarvena-Olmara-Caldone_Reg 40318_note.txt",
      "Tarvena-Olmara-Caldone_Reg 40318_rallentamenti.txt",
      "Tarvena-Olmara-Caldone_Reg 40318_scheda_treno.txt", "Tarvena-Olmara-Caldone_linea.dat",
      "Tarvena-Olmara-Caldone_Reg 40318.sim", "Tarvena-Olmara-Caldone_Reg 40318.dat"};
  ASSERT_EQ(ordine.size(), attesi.size());
  for (size_t i = 0; i < attesi.size(); ++i)
    EXPECT_EQ(ordine[i], piattaforma::unisci_percorso("c", attesi[i])) << i;
}

// What a run leaves on the device. The two sources are written without a
// flush; every other file is on the device when the run returns, through
// one flush of the folder after the last rename. That flush failing is
// status 1 naming the folder (the files are all there, new); a failure
// part-way still flushes the folder for the files renamed before it.
TEST(CostruisciScenario, FlushesTheFolderOnceAndNamesItWhenThatFails) {
  piattaforma::DiscoMemoria pulito;
  ASSERT_EQ(costruisci_scenario(pulito, "c"), uscita_riuscita);
  const std::string linea = piattaforma::unisci_percorso("c", "Tarvena-Olmara-Caldone_linea.txt");
  const std::string treno = piattaforma::unisci_percorso("c", "Tarvena-Olmara-Caldone_Reg 40318-.txt");
  EXPECT_EQ(pulito.provvisori, (std::vector<std::string>{linea, treno}));
  EXPECT_TRUE(pulito.in_sospeso.empty());
  EXPECT_EQ(pulito.cartelle_scaricate, std::vector<std::string>{"c"});

  struct caso {
    const char* operazione;
    std::string percorso;
    std::string messaggio;      // how standard error begins
    size_t file_in_sospeso;     // replaced files that no flush made durable
  };
  const std::string sim = piattaforma::unisci_percorso("c", "Tarvena-Olmara-Caldone_Reg 40318.sim");
  for (const caso& c : {caso{"flush", "c", "crea_scenario: cannot flush \"c\": Input/output error\n", 6},
                        caso{"replace", sim, "crea_scenario: cannot replace \"" + sim + "\"", 0}}) {
    SCOPED_TRACE(c.operazione);
    piattaforma::DiscoMemoria disco;
    disco.guasto = [&](std::string_view operazione, const std::string& p) {
      return operazione == c.operazione && p == c.percorso ? std::string("Input/output error")
                                                           : std::string();
    };
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(costruisci_scenario(disco, "c"), uscita_errore_file);
    const std::string errore = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(errore.rfind(c.messaggio, 0), 0u) << errore;
    EXPECT_EQ(disco.in_sospeso.size(), c.file_in_sospeso);
    for (const auto& [nome, byte] : disco.file) EXPECT_EQ(byte, pulito.file.at(nome)) << nome;
  }
}

// A file at a source's name that is not what the builder writes (an
// author's edit) is moved aside whole under a dated name and the build
// goes on as always; one that holds the builder's own bytes (a killed
// run's), or nothing (what a crash may leave of a source), is simply
// replaced.
TEST(CostruisciScenario, KeepsAnEditedSourceWholeUnderANewName) {
  modello m;
  m.linea = linea_scenario;
  m.treno = treno_scenario;
  const file_sorgente linea = sorgente_linea(m, "c"), treno = sorgente_treno(m, "c");
  piattaforma::DiscoMemoria pulito;
  ASSERT_EQ(costruisci_scenario(pulito, "c"), uscita_riuscita);

  piattaforma::DiscoMemoria disco;
  const std::string modifica = "lunghezza percorso, 35000\r\n";
  disco.file[linea.percorso] = modifica;
  disco.file[treno.percorso] = treno.byte;  // a killed run's, unchanged
  EXPECT_EQ(costruisci_scenario(disco, "c"), uscita_riuscita);
  piattaforma::DiscoMemoria vuoto;
  vuoto.file[treno.percorso] = "";
  EXPECT_EQ(costruisci_scenario(vuoto, "c"), uscita_riuscita);
  EXPECT_TRUE(vuoto.file == pulito.file) << "an empty source was kept aside";
  std::vector<std::string> conservati;
  for (const auto& [nome, byte] : disco.file)
    if (!pulito.file.count(nome)) {
      conservati.push_back(nome);
      EXPECT_EQ(byte, modifica);
    }
  ASSERT_EQ(conservati.size(), 1u);
  const std::string& nome = conservati.front();
  const std::string inizio = piattaforma::unisci_percorso("c", "Tarvena-Olmara-Caldone_linea.");
  EXPECT_TRUE(nome.starts_with(inizio) && nome.ends_with(".txt") &&
              nome.size() == inizio.size() + 19)  // YYYYMMDD-HHMMSS.txt
      << nome;
  for (const auto& [n, byte] : pulito.file) EXPECT_EQ(disco.file.at(n), byte) << n;
}

// Makes `disco` insert `riga` into the train source once both sources are
// written (when the notes are replaced), before `prima` or else before
// "[fine]": the build then packs a source with that record.
void aggiungi_al_treno(piattaforma::DiscoMemoria& disco, std::string riga,
                       std::string prima = "[fine]") {
  const std::string treno =
      piattaforma::unisci_percorso("c", "Tarvena-Olmara-Caldone_Reg 40318-.txt");
  disco.guasto = [&disco, treno, riga, prima](std::string_view operazione, const std::string& p) {
    if (operazione == "replace" && p.find("_note.txt") != std::string::npos) {
      std::string& testo = disco.file.at(treno);
      testo.insert(testo.find(prima), riga);
    }
    return std::string();
  };
}

// A fault in the scenario data is reported, not only recorded: the packed
// files are still written, then the code, its meaning and its chainage go
// to standard error and the status is 2.
TEST(CostruisciScenario, ADataErrorIsReportedWithItsChainageAndStatusTwo) {
  piattaforma::DiscoMemoria disco;
  // A second signal lands on the first one's cell.
  const std::string segnale = "segnale,    2500,   2, 4, 0,  0, 0,    2,  1,0,0, 0\r\n";
  aggiungi_al_treno(disco, segnale, segnale);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(costruisci_scenario(disco, "c"), uscita_errore_dati);
  const std::string errore = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(errore.find("error 16"), std::string::npos) << errore;
  EXPECT_NE(errore.find("signal on a cell already taken"), std::string::npos) << errore;
  EXPECT_NE(errore.find("chainage 2500 m"), std::string::npos) << errore;
  EXPECT_EQ(disco.file.count(
                piattaforma::unisci_percorso("c", "Tarvena-Olmara-Caldone_Reg 40318.dat")),
            1u);
}

// A header slot already taken ends the run with " Errore n. 1250" and
// nothing packed.
TEST(CostruisciScenario, AHeaderSlotTakenEndsTheRunWithNothingPacked) {
  piattaforma::DiscoMemoria disco;
  // A cab-code point at 50 m lands in cell 1, the header cell.
  aggiungi_al_treno(disco, "abbattimento,      50,   270\r\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(costruisci_scenario(disco, "c"), uscita_errore_testata);
  EXPECT_EQ(::testing::internal::GetCapturedStderr().rfind(" Errore n. 1250", 0), 0u);
  for (const auto& [nome, contenuto] : disco.file)
    EXPECT_EQ(nome.find(".dat"), std::string::npos) << nome;
}

// A file that cannot be written ends the run with status 1 and a message
// naming the file, the system's reason and what the person can do.
TEST(CostruisciScenario, AFileFailureSaysWhichFileWhyAndWhatToDo) {
  piattaforma::DiscoMemoria disco;
  disco.guasto = [](std::string_view operazione, const std::string&) {
    return operazione == "replace" ? std::string("Permission denied") : std::string();
  };
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(costruisci_scenario(disco, "c"), uscita_errore_file);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "crea_scenario: cannot replace \"" +
                piattaforma::unisci_percorso("c", "Tarvena-Olmara-Caldone_linea.txt") +
                "\": Permission denied\ncrea_scenario writes its files into its own folder: start "
                "it from a folder where you may write, or with the rights to write there.\n");
}

// This test process's id, to keep its folders apart from other runs'.
unsigned long numero_processo() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(::getpid());
#endif
}

// The built program, run with its standard streams redirected, from a folder
// where its first file cannot be written (a folder of that name stands
// there): the message goes to standard error, and the run ends by itself
// with status 1 (on Windows no message box waits for a click).
TEST(CreaScenario, AFailureGoesToRedirectedStandardError) {
  const fs::path radice = fs::temp_directory_path() /
                          ("sequenza_test_guasto_" + std::to_string(numero_processo()));
  const fs::path cartella = radice / "cartella";
  fs::remove_all(radice);
  fs::create_directories(cartella / "Tarvena-Olmara-Caldone_linea.txt");
  const fs::path programma = cartella / fs::path(PROGRAMMA_CREA_SCENARIO).filename();
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, programma);

  const prova::esito_programma esito = prova::esegui_programma(programma, {}, radice);
  EXPECT_EQ(esito.stato, uscita_errore_file);
  EXPECT_EQ(esito.errori.rfind("crea_scenario: cannot ", 0), 0u) << esito.errori;
  EXPECT_NE(esito.errori.find("Tarvena-Olmara-Caldone_linea.txt\": "), std::string::npos)
      << esito.errori;
  EXPECT_NE(esito.errori.find("start it from a folder where you may write"), std::string::npos)
      << esito.errori;
  fs::remove_all(radice);
}

#ifdef _WIN32
// Checks that one run left the documents beside the program and nothing in
// the working directory.
void verifica_cartelle(const fs::path& cartella, const fs::path& altrove) {
  EXPECT_TRUE(fs::is_empty(altrove));
  for (const char* nome : {"Tarvena-Olmara-Caldone_Reg 40318_note.txt",
                           "Tarvena-Olmara-Caldone_Reg 40318_rallentamenti.txt",
                           "Tarvena-Olmara-Caldone_Reg 40318_scheda_treno.txt"})
    EXPECT_TRUE(fs::is_regular_file(cartella / nome)) << nome;
}

// Runs a copy of the built program from a folder whose name holds a blank
// and a letter outside ASCII, with the working directory elsewhere: every
// file lands beside the program.
TEST(CreaScenario, WritesIntoTheProgramsFolderNotTheWorkingDirectory) {
  const prova::CartellaTemporanea temporanea("sequenza_test");
  const fs::path& radice = temporanea.percorso();
  const fs::path cartella = radice / fs::path(u8"cartella con spazio \u00e8");
  const fs::path altrove = radice / "altrove";
  fs::create_directories(cartella);
  fs::create_directories(altrove);
  const fs::path programma = cartella / "crea_scenario.exe";
  fs::copy_file(PROGRAMMA_CREA_SCENARIO, programma);

  const prova::esito_programma esito = prova::esegui_programma(programma, {}, altrove);
  EXPECT_EQ(esito.stato, uscita_riuscita) << esito.errori;
  EXPECT_EQ(esito.uscita, "Attendere\r\n") << "the GUI program still says it for scripts";

  verifica_cartelle(cartella, altrove);
}

// The Windows program is a GUI program (subsystem 2 in its PE header), so a
// double-click opens no console.
TEST(CreaScenario, IsAWindowsGuiProgram) {
  std::ifstream f(PROGRAMMA_CREA_SCENARIO, std::ios::binary);
  const std::string b{std::istreambuf_iterator<char>(f), {}};
  ASSERT_GE(b.size(), 0x40u);
  ASSERT_EQ(b.substr(0, 2), "MZ");
  const size_t pe = leggi_fisso32(b, 0x3c);
  ASSERT_GE(b.size(), pe + 24 + 70);
  ASSERT_EQ(b.substr(pe, 4), std::string("PE\0\0", 4));
  // The optional header follows the 4-byte signature and the 20-byte file
  // header; Subsystem is at offset 68 in it.
  EXPECT_EQ(leggi_fisso16(b, pe + 24 + 68), 2) << "IMAGE_SUBSYSTEM_WINDOWS_GUI";
}
#endif

}  // namespace
}  // namespace scenario
