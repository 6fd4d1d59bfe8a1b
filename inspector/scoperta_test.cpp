#include "inspector/scoperta.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/errore_file.h"

namespace ispettore {
namespace {

// A scenario found, in one line: "route|train|line item track" flags as 0/1.
std::string in_breve(const scenario_trovato& s) {
  return s.linea + "|" + s.treno + "|" + std::to_string(s.con_linea) + std::to_string(s.con_voci) +
         std::to_string(s.con_celle);
}

TEST(TrovaScenari, SplitsTheNamesAndSaysWhichFilesAreThere) {
  struct caso {
    const char* nome;
    std::vector<std::string> file;
    std::vector<std::string> attesi;
  };
  const caso casi[] = {
      {"the shipped scenario, with its documents beside it",
       {"Tarvena-Olmara-Caldone_linea.dat", "Tarvena-Olmara-Caldone_Reg 40318.sim",
        "Tarvena-Olmara-Caldone_Reg 40318.dat", "Tarvena-Olmara-Caldone_Reg 40318_note.txt",
        "crea_scenario"},
       {"Tarvena-Olmara-Caldone|Reg 40318|111"}},
      {"a route title with \"_\" is told by its line file",
       {"Val_di_Sotto_linea.dat", "Val_di_Sotto_R_1.sim", "Val_di_Sotto_R_1.dat"},
       {"Val_di_Sotto|R_1|111"}},
      {"without a line file the name splits at its first \"_\"",
       {"Val_di_Sotto_R_1.sim"}, {"Val|di_Sotto_R_1|010"}},
      {"a train called linea: its track file is no line file",
       {"A_linea.sim", "A_linea.dat"}, {"A|linea|011"}},
      {"a track file alone, a line file alone, names without \"_\"",
       {"B_R 2.dat", "C_linea.dat", "senza.sim", "_x.sim", "y_.dat"}, {"B|R 2|001"}},
      {"two trains on one route, sorted", {"D_linea.dat", "D_T2.sim", "D_T1.sim", "D_T1.dat"},
       {"D|T1|111", "D|T2|110"}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    std::vector<std::string> trovati;
    for (const scenario_trovato& s : trova_scenari(c.file)) trovati.push_back(in_breve(s));
    EXPECT_EQ(trovati, c.attesi);
  }
  EXPECT_EQ(linee_senza_treno({"B_R 2.dat", "C_linea.dat", "D_linea.dat", "D_T.sim"}),
            std::vector<std::string>{"C"});
}

// Without a line file, a name with more than one "_" is split after the
// route title its item file holds; a title that does not begin the name,
// or no item file, leaves the first "_". The item file is read only then.
TEST(TrovaScenari, WithoutALineFileTheItemFilesTitleSplitsTheName) {
  std::vector<std::string> chiesti;
  const titolo_voci titolo = [&](const std::string& nome) -> std::optional<std::string> {
    chiesti.push_back(nome);
    if (nome == "Val_Rossa_R 7.sim") return "Val_Rossa";
    if (nome == "Val_Nera_R_1.sim") return "Altro";
    return std::nullopt;
  };
  struct caso { std::vector<std::string> file; std::vector<std::string> attesi; };
  for (const caso& c : {caso{{"Val_Rossa_R 7.sim", "Val_Rossa_R 7.dat"}, {"Val_Rossa|R 7|011"}},
                        caso{{"Val_Nera_R_1.sim"}, {"Val|Nera_R_1|010"}},
                        caso{{"Val_Verde_R.dat"}, {"Val|Verde_R|001"}},
                        caso{{"Monte_R 2.sim"}, {"Monte|R 2|010"}}}) {
    std::vector<std::string> trovati;
    for (const scenario_trovato& s : trova_scenari(c.file, titolo)) trovati.push_back(in_breve(s));
    EXPECT_EQ(trovati, c.attesi) << c.file.front();
  }
  EXPECT_EQ(chiesti, (std::vector<std::string>{"Val_Rossa_R 7.sim", "Val_Nera_R_1.sim"}));
}

// A folder and a file named with a letter outside ASCII: both in UTF-8,
// the folder inside listed too.
TEST(NomiInCartella, ListsTheEntriesOfARealFolderAndFailsForAMissingOne) {
  namespace fs = std::filesystem;
  auto utf8 = [](const fs::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
  };
  const fs::path cartella = fs::temp_directory_path() / fs::path(u8"scoperta_test_cartella_\u00e8");
  fs::remove_all(cartella);
  fs::create_directories(cartella / "sotto");
  std::ofstream(cartella / fs::path(u8"Citt\u00e0_B.sim")) << "x";
  auto nomi = nomi_in_cartella(utf8(cartella));
  std::sort(nomi.begin(), nomi.end());
  EXPECT_EQ(nomi, (std::vector<std::string>{"Citt\u00e0_B.sim", "sotto"}));
  fs::remove_all(cartella);
  EXPECT_THROW(nomi_in_cartella(utf8(cartella)), piattaforma::ErroreFile);
}

}  // namespace
}  // namespace ispettore
