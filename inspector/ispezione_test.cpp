#include "inspector/ispezione.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "inspector/prova_scenario.h"
#include "inspector/prova_xml.h"
#include "platform/cartella_programma.h"
#include "platform/errore_file.h"

namespace ispettore {
namespace {

TEST(LeggiOpzioni, DefaultsPositionalsAndOptions) {
  const opzioni vuote = leggi_opzioni({});
  EXPECT_FALSE(vuote.json || vuote.aiuto || vuote.svg || vuote.cartella);
  EXPECT_EQ(vuote.linea, "Tarvena-Olmara-Caldone");
  EXPECT_EQ(vuote.treno, "Reg 40318");

  const opzioni tutte = leggi_opzioni({"--json", "c", "--svg", "l.svg", "Linea", "R 7"});
  EXPECT_TRUE(tutte.json);
  EXPECT_EQ(tutte.svg, "l.svg");
  EXPECT_EQ(tutte.cartella, "c");
  EXPECT_EQ(tutte.linea, "Linea");
  EXPECT_EQ(tutte.treno, "R 7");

  EXPECT_EQ(leggi_opzioni({"--svg=x.svg"}).svg, "x.svg");
  EXPECT_EQ(leggi_opzioni({"--", "-cartella"}).cartella, "-cartella");
  EXPECT_TRUE(leggi_opzioni({"-h"}).aiuto);
}

TEST(LeggiOpzioni, RefusesWhatItCannotUnderstand) {
  for (const std::vector<std::string>& a : std::vector<std::vector<std::string>>{
           {"--svg"}, {"--xml"}, {"-j"}, {"a", "b", "c", "d"}})
    EXPECT_THROW(leggi_opzioni(a), ErroreUso) << a.front();
}

TEST(TestoAiuto, DocumentsTheUsageAndEveryExitStatus) {
  const std::string t = testo_aiuto();
  EXPECT_NE(t.find("Usage: ispeziona_scenario [--json] [--svg FILE] [FOLDER [ROUTE_TITLE [TRAIN]]]"),
            std::string::npos);
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

  std::map<std::string, std::string> file;
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
    disco.file[voci] = p.byte_voci;
    disco.file[celle] = p.byte_celle;
    o.linea = "Linea Prova";
    o.treno = "R 7";
  }
  static std::string percorso(const std::string& nome) { return piattaforma::unisci_percorso("c", nome); }
  int esegui() {
    uscita.str("");
    errori.str("");
    return ispeziona(disco, o, "c", uscita, errori);
  }

  DiscoProva disco;
  opzioni o;
  std::string linea, voci, celle;
  std::ostringstream uscita, errori;
};

TEST_F(Ispeziona, SoundFilesListWithStatusZeroAndTheDrawingIsWritten) {
  o.svg = "disegno.svg";
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

TEST_F(Ispeziona, AMissingItemOrTrackFileIsAFileErrorNamingIt) {
  for (const std::string* manca : {&voci, &celle}) {
    SetUp();
    disco.file.erase(*manca);
    EXPECT_EQ(esegui(), ispezione_errore_file);
    EXPECT_NE(errori.str().find(*manca + ": no such file"), std::string::npos) << errori.str();
    EXPECT_EQ(uscita.str(), "");
  }
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
  disco.scrittura_negata = true;
  EXPECT_EQ(esegui(), ispezione_errore_file);
  EXPECT_NE(errori.str().find("Permission denied"), std::string::npos);
  EXPECT_NE(uscita.str().find("Stations (2)"), std::string::npos);
}

}  // namespace
}  // namespace ispettore
