// End to end: the built crea_scenario writes the shipped scenario into a
// folder of its own, then the built ispeziona_scenario checks, lists and
// draws it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "inspector/ispezione.h"
#include "inspector/prova_xml.h"
#include "prova/cartella_temporanea.h"
#include "prova/esegui_programma.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ispettore {
namespace {

#ifndef _WIN32
namespace fs = std::filesystem;
using ::prova::esegui_programma;

std::string contenuto(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

class IspezioneScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    cartella = radice / "scenario con spazio";
    altrove = radice / "altrove";
    fs::create_directories(cartella);
    fs::create_directories(altrove);
    fs::copy_file(PROGRAMMA_CREA_SCENARIO, cartella / "crea_scenario");
    fs::copy_file(PROGRAMMA_ISPEZIONA_SCENARIO, cartella / "ispeziona_scenario");
    const ::prova::esito_programma costruito = esegui_programma(cartella / "crea_scenario", {}, altrove);
    ASSERT_EQ(costruito.stato, 0) << costruito.errori;
  }
  const ::prova::CartellaTemporanea temporanea{"ispezione_scenario_test"};
  const fs::path& radice = temporanea.percorso();
  fs::path cartella, altrove;
};

TEST_F(IspezioneScenario, TheBuiltScenarioPassesEveryCheckAndIsListedAndDrawn) {
  // Default folder and names: the program's own folder, the shipped scenario.
  const ::prova::esito_programma elenco = esegui_programma(cartella / "ispeziona_scenario", {}, altrove);
  EXPECT_EQ(elenco.stato, ispezione_riuscita) << elenco.uscita << elenco.errori;
  EXPECT_NE(elenco.uscita.find("Checks: every file matches its layout"), std::string::npos)
      << elenco.uscita;

  // JSON and the drawing, folder given; what a killed run left of the
  // drawing's temporary file is cleared under the folder's lock.
  const fs::path svg = altrove / "linea.svg";
  const fs::path avanzo = altrove / "linea.svg.nuovo-0123456789abcdef";
  std::ofstream(avanzo) << "left by a killed run";
  const ::prova::esito_programma json =
      esegui_programma(PROGRAMMA_ISPEZIONA_SCENARIO, {"--json", "--svg", svg.string(), cartella.string()}, altrove);
  ASSERT_EQ(json.stato, ispezione_riuscita) << json.errori;
  EXPECT_FALSE(fs::exists(avanzo));
  const auto j = nlohmann::json::parse(json.uscita);
  EXPECT_TRUE(j["checks"]["passed"]);
  EXPECT_TRUE(j["files"]["line"]["present"]);
  EXPECT_EQ(j["route"], "Tarvena-Olmara-Caldone");
  EXPECT_EQ(j["train"], "Reg 40318");
  const auto& h = j["header"];
  EXPECT_EQ(h["lunghezza percorso"]["length"], 227550);
  EXPECT_EQ(h["last_cell"], 4691);
  EXPECT_EQ(h["identity_codes"]["record_85"], 29625);
  EXPECT_EQ(h["identity_codes"]["cell_1"], 2184);
  EXPECT_EQ(h["header_stamps"]["record_85"], 610);
  EXPECT_EQ(h["header_stamps"]["cell_1"], 5121);
  // The kilometre zones give back the fields of the line source's three
  // lines (sorted by start), whatever the packer stored.
  const auto& z = h["progressiva chilometrica"];
  EXPECT_EQ(z[0]["fields"], (nlohmann::json{{"start", 131450}, {"reading", 227550}, {"direction", 1}}));
  EXPECT_EQ(z[0]["stored_reference"], 227650);
  EXPECT_EQ(z[0]["reading_at_start_m"], 96100);
  EXPECT_EQ(z[1]["fields"], (nlohmann::json{{"start", 100000}, {"reading", -100000}, {"direction", 0}}));
  EXPECT_EQ(z[1]["reading_at_start_m"], 0);
  EXPECT_EQ(z[2]["reading_at_start_m"], 187550);
  EXPECT_EQ(h["ripetizione segnali"], (nlohmann::json{{"from", 0}, {"to", 222150}, {"system", 9}}));
  EXPECT_EQ(h["numero vetture"]["count"], 8);
  EXPECT_EQ(h["percentuale massa frenata"]["percent"], 120);
  EXPECT_EQ(h["sabbia"]["amount"], 200);
  EXPECT_EQ(h["orologio"], (nlohmann::json{{"hours", 13}, {"minutes", 55}, {"seconds", 20}}));
  ASSERT_FALSE(j["stations"].empty());
  // The origin: "stazione,       0,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20, Tarvena".
  const auto& origine = j["stations"][0];
  EXPECT_EQ(origine["name"], "Tarvena");
  EXPECT_EQ(origine["reading_m"], 187550);
  EXPECT_EQ(origine["area_m"], (nlohmann::json{-400, 400}));
  EXPECT_EQ(origine["stop_cell"], 7);
  EXPECT_EQ(origine["fields"],
            (nlohmann::json{{"class", 8}, {"option_1", 1}, {"option_2", 0}, {"option_3", 0},
                            {"group_1_a", 4}, {"group_1_b", 1}, {"group_1_c", 0}, {"group_2_a", 2},
                            {"group_2_b", 1}, {"group_2_c", 1}, {"stop", 1}, {"hours", 13},
                            {"minutes", 55}, {"seconds", 20}}));
  // Every feature names its record, or is a code the cab-code pass set.
  for (const auto& f : j["features"])
    EXPECT_TRUE(f["record"].is_string() || f["kind"] == "cab code of the cab-code pass") << f.dump();

  const prova::esito_xml x = prova::controlla_xml(contenuto(svg));
  ASSERT_EQ(x.errore, "");
  for (const auto& s : j["stations"]) {
    const std::string nome = s["name"];
    bool nominato = false;
    for (const std::string& t : x.testi) nominato |= t.find(nome) != std::string::npos;
    EXPECT_TRUE(nominato) << nome;
  }
}

// Width and height from a PNG's header; 0, 0 when it is no PNG.
std::pair<uint32_t, uint32_t> misura_png(const std::string& png) {
  if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
  auto be32 = [&](size_t i) {
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) v = v << 8 | static_cast<unsigned char>(png[i + k]);
    return v;
  };
  return {be32(16), be32(20)};
}

// Width and height of an SVG drawing, from its root element.
std::pair<uint32_t, uint32_t> misura_svg(const std::string& svg) {
  auto attributo = [&](const std::string& nome) {
    const size_t i = svg.find(nome + "=\"", svg.find("<svg "));
    return i == std::string::npos ? 0u : static_cast<uint32_t>(std::stoul(svg.substr(i + nome.size() + 2)));
  };
  return {attributo("width"), attributo("height")};
}

// In headless Chromium, when it is installed (CI installs it): the drawings
// of the whole line and of a 10 km stretch load as SVG documents without a
// parse error and render at their own size. The README's picture keeps the
// size of the whole line's drawing.
TEST_F(IspezioneScenario, TheDrawingsOpenInABrowser) {
  const fs::path chromium = "/usr/bin/chromium";
  if (!fs::exists(chromium)) GTEST_SKIP() << "chromium is not installed";
  struct caso { const char* nome; std::vector<std::string> tratto; };
  for (const caso& c : {caso{"linea", {}}, caso{"tratto", {"--from", "190", "--to", "200"}}}) {
    SCOPED_TRACE(c.nome);
    const fs::path svg = altrove / (std::string(c.nome) + ".svg");
    const fs::path png = altrove / (std::string(c.nome) + ".png");
    std::vector<std::string> argomenti = {"--svg", svg.string()};
    argomenti.insert(argomenti.end(), c.tratto.begin(), c.tratto.end());
    argomenti.push_back(cartella.string());
    const ::prova::esito_programma disegno = esegui_programma(PROGRAMMA_ISPEZIONA_SCENARIO, argomenti, altrove);
    ASSERT_EQ(disegno.stato, ispezione_riuscita) << disegno.errori;
    const auto [larghezza, altezza] = misura_svg(contenuto(svg));
    ASSERT_GT(larghezza * altezza, 0u);

    const std::vector<std::string> sempre = {
        "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
        "--disable-background-networking", "--disable-component-update", "--disable-sync",
        "--hide-scrollbars"};
    auto apri = [&](const std::string& profilo, const std::string& azione) {
      std::vector<std::string> a = sempre;
      a.push_back("--user-data-dir=" + (radice / profilo).string());
      a.push_back("--window-size=" + std::to_string(larghezza) + "," + std::to_string(altezza));
      a.push_back(azione);
      a.push_back("file://" + svg.string());
      return esegui_programma(chromium, a, altrove);
    };
    // The document as the browser parsed it: an SVG root, no parse error.
    const ::prova::esito_programma dom = apri(std::string("dom_") + c.nome, "--dump-dom");
    ASSERT_EQ(dom.stato, 0) << dom.errori;
    EXPECT_EQ(dom.uscita.rfind("<svg", 0), 0u) << dom.uscita.substr(0, 300);
    EXPECT_EQ(dom.uscita.find("parsererror"), std::string::npos) << dom.uscita.substr(0, 600);

    const ::prova::esito_programma foto = apri(std::string("foto_") + c.nome, "--screenshot=" + png.string());
    ASSERT_EQ(foto.stato, 0) << foto.errori;
    const std::string immagine = contenuto(png);
    EXPECT_EQ(misura_png(immagine), std::make_pair(larghezza, altezza));
    // A blank page of this size compresses to a few kilobytes; a drawing does not.
    EXPECT_GT(immagine.size(), 40000u);
    if (std::string(c.nome) == "linea") {
      EXPECT_EQ(misura_png(contenuto(ESEMPIO_PNG)), std::make_pair(larghezza, altezza))
          << "inspector/esempio.png is out of step with the drawing: run bash inspector/esempio.sh";
    }
  }
}

// A byte flipped on disk: cell 120's type made 255, which no builder writes.
TEST_F(IspezioneScenario, ACellTypeFlippedOnDiskFailsWithItsOffset) {
  const fs::path celle = cartella / "Tarvena-Olmara-Caldone_Reg 40318.dat";
  {
    std::fstream f(celle, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(15 * 120);
    f.put(static_cast<char>(0xFF));
  }
  const ::prova::esito_programma esito = esegui_programma(PROGRAMMA_ISPEZIONA_SCENARIO, {cartella.string()}, altrove);
  EXPECT_EQ(esito.stato, ispezione_difetti) << esito.uscita;
  EXPECT_NE(esito.errori.find("Tarvena-Olmara-Caldone_Reg 40318.dat: byte 1800 (cell 120 at 6000 m, tipo): "
                              "cell type 255 is none the builder writes"),
            std::string::npos)
      << esito.errori;
}

// A folder, a FIFO or a link at a packed file's name is named as such
// (the line file's included, which is then no "packed without its plan"),
// and never read: status 1.
TEST_F(IspezioneScenario, WhatStandsAtAPackedFilesNameIsNamed) {
  struct caso {
    std::string nome;
    std::string motivo;
    void (*pianta)(const fs::path& dove, const fs::path& originale);
  };
  const std::vector<caso> casi = {
      {"Tarvena-Olmara-Caldone_Reg 40318.sim", "it is a folder, not a regular file",
       [](const fs::path& d, const fs::path&) { fs::create_directory(d); }},
      {"Tarvena-Olmara-Caldone_linea.dat", "it is a folder, not a regular file",
       [](const fs::path& d, const fs::path&) { fs::create_directory(d); }},
      {"Tarvena-Olmara-Caldone_linea.dat", "it is a FIFO (named pipe), not a regular file",
       [](const fs::path& d, const fs::path&) { ASSERT_EQ(::mkfifo(d.c_str(), 0600), 0); }},
      {"Tarvena-Olmara-Caldone_Reg 40318.dat", "it is a symbolic link; links are not followed",
       [](const fs::path& d, const fs::path& o) { fs::create_symlink(o, d); }},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.motivo + " at " + c.nome);
    const fs::path dove = cartella / c.nome;
    const fs::path originale = altrove / c.nome;
    fs::rename(dove, originale);
    c.pianta(dove, originale);
    const ::prova::esito_programma esito =
        esegui_programma(PROGRAMMA_ISPEZIONA_SCENARIO, {cartella.string()}, altrove);
    EXPECT_EQ(esito.stato, ispezione_errore_file) << esito.errori;
    EXPECT_NE(esito.errori.find("\"" + dove.string() + "\": " + c.motivo), std::string::npos)
        << esito.errori;
    EXPECT_EQ((esito.uscita + esito.errori).find("without its plan"), std::string::npos);
    fs::remove(dove);
    fs::rename(originale, dove);
  }
}

// --svg at a FIFO, a link or a folder is refused, naming what is there,
// and leaves it (and a link's target) as it was.
TEST_F(IspezioneScenario, TheDrawingReplacesOnlyARegularFile) {
  const fs::path bersaglio = altrove / "mio.svg";
  std::ofstream(bersaglio) << "mine";
  ASSERT_EQ(::mkfifo((altrove / "fifo.svg").c_str(), 0600), 0);
  fs::create_symlink(bersaglio, altrove / "link.svg");
  fs::create_directory(altrove / "cartella.svg");
  const std::pair<const char*, const char*> casi[] = {
      {"fifo.svg", "it is a FIFO (named pipe), not a regular file"},
      {"link.svg", "it is a symbolic link; links are not followed"},
      {"cartella.svg", "it is a folder, not a regular file"},
  };
  for (const auto& [nome, motivo] : casi) {
    const fs::path svg = altrove / nome;
    SCOPED_TRACE(nome);
    const ::prova::esito_programma esito =
        esegui_programma(PROGRAMMA_ISPEZIONA_SCENARIO, {"--svg", svg.string(), cartella.string()}, altrove);
    EXPECT_EQ(esito.stato, ispezione_errore_file) << nome;
    EXPECT_NE(esito.errori.find("cannot write the drawing to \"" + svg.string() + "\": " + motivo),
              std::string::npos)
        << esito.errori;
  }
  // Nor is a packed file being inspected replaced, however it is spelled.
  const fs::path voci = cartella / "Tarvena-Olmara-Caldone_Reg 40318.sim";
  const std::string prima = contenuto(voci);
  const ::prova::esito_programma su_voci = esegui_programma(
      PROGRAMMA_ISPEZIONA_SCENARIO, {"--svg", (cartella / "." / voci.filename()).string(), cartella.string()},
      altrove);
  EXPECT_EQ(su_voci.stato, ispezione_errore_file);
  EXPECT_NE(su_voci.errori.find("it is the packed file Tarvena-Olmara-Caldone_Reg 40318.sim being inspected"),
            std::string::npos)
      << su_voci.errori;
  EXPECT_EQ(contenuto(voci), prima);

  EXPECT_TRUE(fs::is_fifo(altrove / "fifo.svg"));
  EXPECT_TRUE(fs::is_symlink(altrove / "link.svg"));
  EXPECT_TRUE(fs::is_directory(altrove / "cartella.svg"));
  EXPECT_EQ(contenuto(bersaglio), "mine");

  // "-": the drawing on standard output.
  const ::prova::esito_programma uscita =
      esegui_programma(PROGRAMMA_ISPEZIONA_SCENARIO, {"--svg", "-", cartella.string()}, altrove);
  EXPECT_EQ(uscita.stato, ispezione_riuscita) << uscita.errori;
  EXPECT_EQ(uscita.uscita.rfind("<?xml", 0), 0u);
  EXPECT_EQ(prova::controlla_xml(uscita.uscita).errore, "");
  EXPECT_FALSE(fs::exists(altrove / "-"));
}
#endif

}  // namespace
}  // namespace ispettore
