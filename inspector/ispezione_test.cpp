#include "inspector/ispezione.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "inspector/prova_scenario.h"
#include "inspector/prova_xml.h"
#include "inspector/lettore.h"
#include "platform/cartella_programma.h"
#include "platform/errore_file.h"

namespace ispettore {
namespace {

TEST(LeggiOpzioni, DefaultsPositionalsAndOptions) {
  const opzioni vuote = leggi_opzioni({});
  EXPECT_FALSE(vuote.json || vuote.aiuto || vuote.svg || vuote.cartella || vuote.linea ||
               vuote.treno || vuote.elenco || vuote.scenari || vuote.da_km || vuote.a_km);

  const opzioni tutte = leggi_opzioni(
      {"--json", "c", "--svg", "l.svg", "--from", "190", "--to=200.5", "--listing", "Linea", "R 7"});
  EXPECT_TRUE(tutte.json);
  EXPECT_TRUE(tutte.elenco);
  EXPECT_EQ(tutte.svg, "l.svg");
  EXPECT_EQ(tutte.da_km, 190);
  EXPECT_EQ(tutte.a_km, 200.5);
  EXPECT_EQ(tutte.cartella, "c");
  EXPECT_EQ(tutte.linea, "Linea");
  EXPECT_EQ(tutte.treno, "R 7");

  EXPECT_EQ(leggi_opzioni({"--svg=x.svg"}).svg, "x.svg");
  EXPECT_EQ(leggi_opzioni({"--", "-cartella"}).cartella, "-cartella");
  EXPECT_TRUE(leggi_opzioni({"-h"}).aiuto);
  EXPECT_TRUE(leggi_opzioni({"--scenarios", "--json", "c"}).scenari);
}

TEST(LeggiOpzioni, RefusesWhatItCannotUnderstand) {
  for (const std::vector<std::string>& a : std::vector<std::vector<std::string>>{
           {"--svg"}, {"--svg="}, {"--xml"}, {"-j"}, {"a", "b", "c", "d"},
           {"--from", "1"},                                  // a stretch without a drawing
           {"--svg", "x", "--from", "-1"},                   // before the start
           {"--svg", "x", "--from", "12km"},                 // not a number
           {"--svg", "x", "--from", "20", "--to", "10"},     // backwards
           {"--scenarios", "c", "Linea"}, {"--scenarios", "--svg", "x"}})
    EXPECT_THROW(leggi_opzioni(a), ErroreUso) << a.front() << " " << a.back();
}

TEST(TestoAiuto, DocumentsTheUsageAndEveryExitStatus) {
  const std::string t = testo_aiuto();
  // The option lines are wrapped to the width: read them with every run of
  // blanks and line ends as one blank.
  std::string una_riga;
  for (char c : t)
    if (!(std::isspace(static_cast<unsigned char>(c)) && !una_riga.empty() && una_riga.back() == ' '))
      una_riga += std::isspace(static_cast<unsigned char>(c)) ? ' ' : c;
  for (const char* parte : {"Usage: ispeziona_scenario [--json] [--listing] [--svg FILE [--from KM] [--to KM]]",
                            "ispeziona_scenario --scenarios [--json] [FOLDER]",
                            "not the kilometre reading"})
    EXPECT_NE(una_riga.find(parte), std::string::npos) << parte;
  for (int stato : {ispezione_riuscita, ispezione_errore_file, ispezione_difetti, ispezione_uso,
                    ispezione_errore_interno})
    EXPECT_NE(t.find("\n  " + std::to_string(stato) + "  "), std::string::npos) << stato;
}

// A disk in memory that can refuse writes.
class DiscoProva : public piattaforma::Disco {
 public:
  bool esiste(const std::string& p) override { return file.count(p) != 0; }
  std::string leggi(const std::string& p) override {
    auto it = file.find(p);
    if (it == file.end()) throw piattaforma::ErroreFile(p, "read", "No such file or directory");
    return it->second;
  }
  void sostituisci(const std::string& p, std::string_view c) override {
    if (scrittura_negata) throw piattaforma::ErroreFile(p, "write", "Permission denied");
    file[p] = std::string(c);
  }
  void elimina(const std::string& p) override { file.erase(p); }
  // A bounded read, recording how many bytes were asked of each file.
  inizio_file leggi_inizio(const std::string& p, size_t massimo) override {
    chiesti[p] = massimo;
    const std::string tutto = leggi(p);
    return {tutto.substr(0, massimo), tutto.size()};
  }

  std::map<std::string, std::string> file;
  std::map<std::string, size_t> chiesti;
  bool scrittura_negata = false;
};

// The small scenario's packed files in folder "c" of a memory disk.
class Ispeziona : public ::testing::Test {
 protected:
  void SetUp() override {
    const pacchetti p = prova::pacchetti_di(prova::modello_piccolo());
    linea = percorso(p.nome_linea);
    voci = percorso(p.nome_voci);
    celle = percorso(p.nome_celle);
    disco.file[linea] = *p.byte_linea;
    disco.file[voci] = *p.byte_voci;
    disco.file[celle] = *p.byte_celle;
    o.linea = "Linea Prova";
    o.treno = "R 7";
  }
  static std::string percorso(const std::string& nome) { return piattaforma::unisci_percorso("c", nome); }
  int esegui() {
    uscita.str("");
    errori.str("");
    // The folder "c" lists the names of the disk's files in it.
    auto elenca = [this](const std::string& cartella) {
      if (cartella != "c") throw piattaforma::ErroreFile(cartella, "list", "No such file or directory");
      const std::string prefisso = std::string("c") + piattaforma::separatore;
      std::vector<std::string> nomi;
      for (const auto& [percorso, byte] : disco.file)
        if (percorso.rfind(prefisso, 0) == 0) nomi.push_back(percorso.substr(prefisso.size()));
      return nomi;
    };
    return ispeziona(disco, elenca, o, "c", uscita, errori);
  }

  DiscoProva disco;
  opzioni o;
  std::string linea, voci, celle;
  std::ostringstream uscita, errori;
};

TEST_F(Ispeziona, SoundFilesListWithStatusZeroAndTheDrawingIsWritten) {
  o.svg = "disegno.svg";
  o.elenco = true;
  EXPECT_EQ(esegui(), ispezione_riuscita) << errori.str();
  EXPECT_EQ(errori.str(), "");
  EXPECT_NE(uscita.str().find("Checks: every file matches"), std::string::npos);
  EXPECT_NE(uscita.str().find("Ponte & <Fiume>"), std::string::npos);
  ASSERT_EQ(disco.file.count("disegno.svg"), 1u);
  EXPECT_EQ(prova::controlla_xml(disco.file["disegno.svg"]).errore, "");
}

TEST_F(Ispeziona, JsonIsOneDocumentWithTheChecksAndTheListing) {
  o.json = true;
  disco.file[celle][16] = 0;  // stamp 5121 broken
  EXPECT_EQ(esegui(), ispezione_difetti);
  const auto j = nlohmann::json::parse(uscita.str());
  EXPECT_EQ(j["files"]["track"]["name"], "Linea Prova_R 7.dat");
  EXPECT_FALSE(j["checks"]["passed"]);
  ASSERT_EQ(j["checks"]["faults"].size(), 1u);
  EXPECT_EQ(j["checks"]["faults"][0]["offset"], 16);
  EXPECT_EQ(j["stations"].size(), 2u);
  EXPECT_NE(errori.str().find("Linea Prova_R 7.dat: byte 16 (cell 1, valore1): header stamp is"),
            std::string::npos)
      << errori.str();
}

TEST_F(Ispeziona, AMissingLineFileIsOnlyANote) {
  disco.file.erase(linea);
  o.svg = "disegno.svg";
  EXPECT_EQ(esegui(), ispezione_riuscita);
  EXPECT_NE(errori.str().find("note: no packed line file Linea Prova_linea.dat"), std::string::npos);
  EXPECT_NE(disco.file["disegno.svg"].find("No plan view"), std::string::npos);
}

TEST_F(Ispeziona, AMissingItemOrTrackFileIsAFileErrorWithWhatCouldBeReadStillPrinted) {
  for (const std::string* manca : {&voci, &celle}) {
    SCOPED_TRACE(*manca);
    SetUp();
    disco.file.erase(*manca);
    o.json = false;
    EXPECT_EQ(esegui(), ispezione_errore_file);
    EXPECT_NE(errori.str().find(*manca + ": no such file"), std::string::npos) << errori.str();
    EXPECT_NE(uscita.str().find("missing"), std::string::npos) << uscita.str();

    o.json = true;
    EXPECT_EQ(esegui(), ispezione_errore_file);
    const auto j = nlohmann::json::parse(uscita.str());
    EXPECT_FALSE(j["checks"]["passed"]);
    EXPECT_EQ(j["checks"]["faults"][0]["reason"], "no such file");
    EXPECT_EQ(j.contains("stations"), manca == &celle) << "the stations come from the item file";
  }
}

TEST_F(Ispeziona, JsonIsPrintedEvenWhenTheFolderHoldsNothingToInspect) {
  o = opzioni{};
  o.json = true;
  disco.file.clear();
  EXPECT_EQ(esegui(), ispezione_errore_file);
  const auto j = nlohmann::json::parse(uscita.str());
  EXPECT_EQ(j["scenarios"].size(), 0u);
  EXPECT_NE(j["error"].get<std::string>().find("no packed scenario in c"), std::string::npos);
}

TEST_F(Ispeziona, TheDrawingAlonePrintsOnlyTheChecksUnlessTheListingIsAsked) {
  o.svg = "disegno.svg";
  EXPECT_EQ(esegui(), ispezione_riuscita);
  EXPECT_NE(uscita.str().find("Checks: every file matches"), std::string::npos);
  EXPECT_NE(uscita.str().find("Drawing written to disegno.svg"), std::string::npos);
  EXPECT_EQ(uscita.str().find("Stations"), std::string::npos) << uscita.str();
  o.elenco = true;
  EXPECT_EQ(esegui(), ispezione_riuscita);
  EXPECT_NE(uscita.str().find("Stations (2, stazione records)"), std::string::npos);
}

// A second scenario in the folder: a route with "_" in its title and its
// own line file, and a train whose name holds "_" too.
TEST_F(Ispeziona, TheFolderIsSearchedForScenariosAndEachIsInspected) {
  scenario::modello altro = prova::modello_piccolo();
  altro.linea = "Valle_Alta";
  altro.treno = "R_9";
  altro.voci[85].nome = altro.linea;
  altro.voci[86].nome = altro.treno;
  altro.voci[85].orario = scenario::codice_gara_st(altro);
  altro.celle[1].valore2 = static_cast<int16_t>(scenario::codice_gara_og(altro));
  const pacchetti p = prova::pacchetti_di(altro);
  disco.file[percorso(p.nome_linea)] = *p.byte_linea;
  disco.file[percorso(p.nome_voci)] = *p.byte_voci;
  disco.file[percorso(p.nome_celle)] = *p.byte_celle;
  disco.file[percorso("Linea Prova_R 7_note.txt")] = "not packed";
  o = opzioni{};

  o.scenari = true;
  o.json = true;
  EXPECT_EQ(esegui(), ispezione_riuscita) << errori.str();
  const auto elenco = nlohmann::json::parse(uscita.str());
  ASSERT_EQ(elenco["scenarios"].size(), 2u);
  EXPECT_EQ(elenco["scenarios"][0]["route"], "Linea Prova");
  EXPECT_EQ(elenco["scenarios"][1]["route"], "Valle_Alta");
  EXPECT_EQ(elenco["scenarios"][1]["train"], "R_9");

  o = opzioni{};
  o.json = true;
  EXPECT_EQ(esegui(), ispezione_riuscita) << errori.str();
  const auto tutti = nlohmann::json::parse(uscita.str());
  ASSERT_EQ(tutti["scenarios"].size(), 2u);
  EXPECT_EQ(tutti["scenarios"][1]["train"], "R_9");
  EXPECT_TRUE(tutti["scenarios"][1]["checks"]["passed"]);

  o = opzioni{};
  o.svg = "disegno.svg";
  EXPECT_EQ(esegui(), ispezione_uso) << "two scenarios, one drawing";
  EXPECT_NE(errori.str().find("\"Valle_Alta\" \"R_9\""), std::string::npos) << errori.str();
  o.linea = "Valle_Alta";
  EXPECT_EQ(esegui(), ispezione_riuscita) << errori.str();
  EXPECT_NE(disco.file["disegno.svg"].find("Valle_Alta"), std::string::npos);
}

TEST_F(Ispeziona, AnUndecodableItemFileIsListedAsAFaultWithoutAListing) {
  disco.file[voci].resize(100);
  o.svg = "disegno.svg";
  EXPECT_EQ(esegui(), ispezione_difetti);
  EXPECT_NE(uscita.str().find("Linea Prova_R 7.sim: byte 78 (record 2): the file ends inside the record"),
            std::string::npos)
      << uscita.str();
  EXPECT_EQ(uscita.str().find("Stations"), std::string::npos);
  EXPECT_EQ(disco.file.count("disegno.svg"), 0u);
}

TEST_F(Ispeziona, ADrawingThatCannotBeWrittenIsAFileErrorAfterTheListing) {
  o.svg = "disegno.svg";
  o.elenco = true;
  disco.scrittura_negata = true;
  EXPECT_EQ(esegui(), ispezione_errore_file);
  EXPECT_NE(errori.str().find("Permission denied"), std::string::npos);
  EXPECT_NE(uscita.str().find("Stations (2, stazione records)"), std::string::npos);
}

// A route title holding "_", packed without the plan: the names are split
// by the title the item file holds, so no fault is found.
TEST_F(Ispeziona, ARouteTitleWithAnUnderscoreAndNoLineFileIsSplitByItsItemFile) {
  scenario::modello altro = prova::modello_piccolo();
  altro.linea = "Val_Rossa";
  altro.voci[85].nome = altro.linea;
  altro.voci[85].orario = scenario::codice_gara_st(altro);
  altro.celle[1].valore2 = static_cast<int16_t>(scenario::codice_gara_og(altro));
  const pacchetti p = prova::pacchetti_di(altro);
  disco.file.clear();
  disco.file[percorso(p.nome_voci)] = *p.byte_voci;
  disco.file[percorso(p.nome_celle)] = *p.byte_celle;
  o = opzioni{};
  EXPECT_EQ(esegui(), ispezione_riuscita) << uscita.str() << errori.str();
  EXPECT_NE(uscita.str().find("Route \"Val_Rossa\", train \"R 7\""), std::string::npos) << uscita.str();
}

// Files longer than the route in the item file declares: no more than a
// sound file's bytes (and one more) are asked of the disk, the excess is
// reported with the file's whole size, and only the declared cells listed.
TEST_F(Ispeziona, TheFilesAreReadNoFurtherThanTheRouteDeclares) {
  disco.file[celle].append(size_t{1} << 20, '\x07');
  disco.file[linea].append(size_t{1} << 20, '\x05');
  o.json = true;
  EXPECT_EQ(esegui(), ispezione_difetti);
  EXPECT_EQ(disco.chiesti[voci], da_leggere_voci);
  EXPECT_EQ(disco.chiesti[celle], 2415u + 1);          // 161 cells of a 1000 m route
  EXPECT_EQ(disco.chiesti[linea], 20u * 8001 + 1);     // 2 x 8001 entries of at most 10 bytes
  const auto j = nlohmann::json::parse(uscita.str());
  EXPECT_EQ(j["files"]["track"]["bytes"], 2415 + (1 << 20));
  EXPECT_EQ(j["header"]["last_cell"], 160);
  std::string motivi;
  for (const auto& f : j["checks"]["faults"]) motivi += f["message"].get<std::string>() + "\n";
  EXPECT_NE(motivi.find("too long: the file is 1050991 bytes, expected 2415"), std::string::npos) << motivi;
  EXPECT_NE(motivi.find("too long: the file is 1208540 bytes, expected 20 x 8000 - 36 = 159964"),
            std::string::npos)
      << motivi;
}

// A stretch that is not there is refused, with status 3 and no drawing:
// --from alone past the route's end (1000 m; the cells reach 8050 m), and
// --from past what any number of metres holds.
TEST_F(Ispeziona, AStretchThatIsNotThereIsRefusedWithAClearMessage) {
  o.svg = "disegno.svg";
  struct caso { double da; const char* parole; };
  for (const caso& c : {caso{1.5, "--from 1.500 km lies at or past the route's end at 1.000 km"},
                        caso{1.0, "--from 1.000 km lies at or past the route's end"},
                        caso{1e308, "the stretch from chainage 1e+308 km holds nothing; the cells end at 8.050 km"}}) {
    o.da_km = c.da;
    EXPECT_EQ(esegui(), ispezione_uso) << c.da;
    EXPECT_NE(errori.str().find(c.parole), std::string::npos) << errori.str();
    EXPECT_EQ(disco.file.count("disegno.svg"), 0u);
  }
  o.da_km = 0.5;
  EXPECT_EQ(esegui(), ispezione_riuscita) << errori.str();
}

// "--svg -": the drawing alone on standard output, the files and checks on
// standard error; it cannot share standard output with --json or --listing.
TEST_F(Ispeziona, TheDrawingGoesToStandardOutputForADash) {
  o.svg = "-";
  EXPECT_EQ(esegui(), ispezione_riuscita) << errori.str();
  EXPECT_EQ(prova::controlla_xml(uscita.str()).errore, "");
  EXPECT_EQ(uscita.str().rfind("<?xml", 0), 0u) << uscita.str().substr(0, 80);
  EXPECT_NE(errori.str().find("Checks: every file matches"), std::string::npos);
  EXPECT_NE(errori.str().find("Drawing written to standard output"), std::string::npos);
  EXPECT_EQ(disco.file.count("-"), 0u);
  for (bool json : {true, false}) {
    o.json = json;
    o.elenco = !json;
    EXPECT_EQ(esegui(), ispezione_uso);
    EXPECT_EQ(uscita.str(), "");
  }
}

// A route title or train that cannot be part of a file name is a wrong
// command line, and nothing is read.
TEST_F(Ispeziona, ARouteOrTrainThatCannotNameAFileIsAUsageError) {
  for (const auto& [titolo, designazione] : std::vector<std::pair<std::string, std::string>>{
           {"../c/Linea Prova", "R 7"}, {"Linea Prova", "R/7"}, {"Linea\nProva", "R 7"},
           {"Linea Prova", "R:7"}}) {
    o.linea = titolo;
    o.treno = designazione;
    EXPECT_EQ(esegui(), ispezione_uso) << titolo << " " << designazione;
    EXPECT_EQ(uscita.str(), "");
    EXPECT_NE(errori.str().find("cannot be part of a packed file's name"), std::string::npos)
        << errori.str();
  }
  EXPECT_EQ(errori.str().find('\n'), errori.str().size() - 1) << "one line: " << errori.str();
}

}  // namespace
}  // namespace ispettore
