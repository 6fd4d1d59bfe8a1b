// File faults during a build: whatever the file system does, the run ends
// with the documented status, no later step runs, and every file is either
// the complete new one or the complete old one.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/sequenza.h"
#include "model/identita.h"
#include "platform/cartella_programma.h"
#include "platform/disco.h"
#include "platform/errore_file.h"
#include "prova/cartella_temporanea.h"
#include "prova/disco_memoria.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace scenario {
namespace {

namespace fs = std::filesystem;

const std::string cartella = "c";
std::string in_cartella(const std::string& nome) { return piattaforma::unisci_percorso(cartella, nome); }

const std::vector<std::string> file_della_costruzione = {
    "Tarvena-Olmara-Caldone_linea.txt",
    "Tarvena-Olmara-Caldone_Reg 40318-.txt",
    "Tarvena-Olmara-Caldone_Reg 40318_note.txt",
    "Tarvena-Olmara-Caldone_Reg 40318_rallentamenti.txt",
    "Tarvena-Olmara-Caldone_Reg 40318_scheda_treno.txt",
    "Tarvena-Olmara-Caldone_linea.dat",
    "Tarvena-Olmara-Caldone_Reg 40318.sim",
    "Tarvena-Olmara-Caldone_Reg 40318.dat"};

// A replacement that fails at any of the eight files: status 1, the files
// before it are written, the failed one keeps its old content, and nothing
// after it is written.
TEST(GuastiFile, AFailedWriteStopsTheRunAndKeepsTheOldFile) {
  for (size_t guasto = 0; guasto < file_della_costruzione.size(); ++guasto) {
    piattaforma::DiscoMemoria disco;
    const std::string colpito = in_cartella(file_della_costruzione[guasto]);
    disco.file[colpito] = "vecchio";
    disco.guasto = [&](std::string_view operazione, const std::string& p) {
      return operazione == "replace" && p == colpito ? std::string("No space left on device")
                                                     : std::string();
    };
    EXPECT_EQ(costruisci_scenario(disco, cartella), uscita_errore_file) << colpito;
    EXPECT_EQ(disco.file.at(colpito), "vecchio") << colpito;
    for (size_t dopo = guasto + 1; dopo < file_della_costruzione.size(); ++dopo)
      EXPECT_EQ(disco.file.count(in_cartella(file_della_costruzione[dopo])), 0u)
          << "written after the failure: " << file_della_costruzione[dopo];
  }
}

// A source removed between its writing and the loader: without the line
// source there are no cells and nothing is packed (status 4); without the
// train source the loader records code 25, the packed files are written
// and the status says so (2).
TEST(GuastiFile, ASourceThatVanishesBeforeTheLoaderReadsIt) {
  struct caso {
    size_t sorgente;
    int stato;
    bool pacchetti;
  };
  for (auto c : {caso{0, uscita_senza_celle, false}, caso{1, uscita_errore_dati, true}}) {
    piattaforma::DiscoMemoria disco;
    const std::string sparisce = in_cartella(file_della_costruzione[c.sorgente]);
    disco.guasto = [&](std::string_view operazione, const std::string& p) {
      // The notes are written after both sources: take one away then.
      if (operazione == "replace" && p == in_cartella(file_della_costruzione[2]))
        disco.file.erase(sparisce);
      return std::string();
    };
    EXPECT_EQ(costruisci_scenario(disco, cartella), c.stato) << sparisce;
    EXPECT_EQ(disco.file.count(in_cartella(file_della_costruzione[7])), c.pacchetti ? 1u : 0u);
  }
}

// A source that cannot be removed after the loader has read it ends the
// run as a file failure before anything is packed.
TEST(GuastiFile, ASourceThatCannotBeDeletedIsAFileFailure) {
  piattaforma::DiscoMemoria disco;
  disco.guasto = [&](std::string_view operazione, const std::string&) {
    return operazione == "delete" ? std::string("Permission denied") : std::string();
  };
  EXPECT_EQ(costruisci_scenario(disco, cartella), uscita_errore_file);
  EXPECT_EQ(disco.file.count(in_cartella(file_della_costruzione[7])), 0u) << "nothing packed";
}

#ifndef _WIN32
std::string contenuto(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), {}};
}

// On the real disk, a write that fails part-way (here the file-size limit
// stops it after 4 KiB, as a full disk would) leaves the old file whole
// and no temporary file behind.
TEST(GuastiFile, AWriteThatFailsPartWayOnTheRealDiskLeavesTheOldFileWhole) {
  const prova::CartellaTemporanea temporanea("guasti_test");
  const fs::path& dir = temporanea.percorso();
  const fs::path p = dir / "Tarvena-Olmara-Caldone_Reg 40318.dat";
  const std::string vecchio(3000, 'v');
  { std::ofstream(p, std::ios::binary) << vecchio; }

  const pid_t figlio = ::fork();
  ASSERT_GE(figlio, 0);
  if (figlio == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limite = {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limite);
    piattaforma::DiscoReale disco;
    try {
      disco.sostituisci(p.string(), std::string(100000, 'n'));
    } catch (const piattaforma::ErroreFile& e) {
      ::_exit(e.percorso() == p.string() ? 7 : 8);
    }
    ::_exit(9);
  }
  int stato = 0;
  ::waitpid(figlio, &stato, 0);
  ASSERT_TRUE(WIFEXITED(stato));
  EXPECT_EQ(WEXITSTATUS(stato), 7) << "the failure must be reported, naming the file";
  EXPECT_EQ(contenuto(p), vecchio);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
}
#endif

}  // namespace
}  // namespace scenario
