#include "inspector/elenco.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <map>

#include "inspector/prova_scenario.h"
#include "inspector/verifiche.h"

namespace ispettore {
namespace {

// The zones as the packer stores the shipped ones: sorted by start, the
// falling zone's reference raised by 100.
std::vector<zona_km> zone_spedite() {
  scenario::modello m;
  m.voci[81] = {0, 131450, 227650, 1, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  m.voci[82] = {0, 100000, -100000, 0, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  m.voci[83] = {0, 0, 187550, 0, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  return componi(m).zone;
}

TEST(LetturaKm, TheStoredZonesGiveTheLineSourcesReadings) {
  const auto zone = zone_spedite();
  struct caso { int64_t x; int64_t lettura; };
  for (auto [x, lettura] : {caso{0, 187550}, caso{99950, 287500}, caso{100000, 0},
                            caso{131400, 31400}, caso{131450, 96100}, caso{227550, 0},
                            caso{234550, -7000}})
    EXPECT_EQ(lettura_km(zone, x), lettura) << x;
  EXPECT_EQ(zone[0].riferimento, 227550) << "the 100 the packer adds is taken off";
}

TEST(LetturaKm, TiesGoToTheLowerRowAndChainagesBeforeEveryZoneHaveNoReading) {
  std::vector<zona_km> zone = {{81, 500, 0, 0, 1000}, {82, 500, 0, 0, 2000}, {83, 900, 0, 0, 0}};
  EXPECT_EQ(lettura_km(zone, 600), 1600);
  EXPECT_EQ(lettura_km(zone, 499), std::nullopt);
  EXPECT_EQ(lettura_km(zone, 950), 950);
}

TEST(FormatoKm, ThreeDecimalsAndASign) {
  EXPECT_EQ(formato_km(187550), "187.550");
  EXPECT_EQ(formato_km(0), "0.000");
  EXPECT_EQ(formato_km(5), "0.005");
  EXPECT_EQ(formato_km(-100), "-0.100");
  EXPECT_EQ(formato_km(INT64_MIN), "-9223372036854775.808");
  EXPECT_EQ(formato_km(INT64_MAX), "9223372036854775.807");
  EXPECT_EQ(formato_chilometri(190.5), "190.500");
  EXPECT_EQ(formato_chilometri(1e308), "1e+308");  // its metres pass what a double holds
  EXPECT_EQ(formato_chilometri(1e16), "1e+16");    // its metres pass an int64_t
  EXPECT_EQ(formato_ora(50120), "13:55:20");
  EXPECT_EQ(formato_ora(-61), "-00:01:01");
}

// The listing of the small scenario after a trip through the packed bytes.
resoconto resoconto_piccolo() {
  return componi(verifica(prova::pacchetti_di(prova::modello_piccolo())).m);
}

TEST(Componi, HeaderAndStationsComeFromTheirRecords) {
  const resoconto r = resoconto_piccolo();
  EXPECT_EQ(r.linea, "Linea Prova");
  EXPECT_EQ(r.treno, "R 7");
  EXPECT_EQ(r.lunghezza, 1000);
  EXPECT_EQ(r.ultima_cella, 160);
  EXPECT_EQ(r.sfondi, (std::array<int32_t, 3>{1, 0, 0}));
  EXPECT_EQ(r.sistema_codici, 9);
  EXPECT_EQ(r.codici_a, 900);
  EXPECT_EQ(r.vetture, 8);
  EXPECT_EQ(r.massa_frenata, 120);
  EXPECT_EQ(r.sabbia, 200);
  EXPECT_EQ(r.orologio, (std::array<int32_t, 3>{13, 55, 20}));
  EXPECT_EQ(r.timbro_voci, 610);
  EXPECT_EQ(r.timbro_celle, 5121);

  ASSERT_EQ(r.stazioni.size(), 2u) << "row 3 is empty; row 80 is a board";
  EXPECT_EQ(r.stazioni[0].nome, "Citt\u00e0 Alta");
  EXPECT_EQ(r.stazioni[0].cella_fermata, 3);
  EXPECT_EQ(r.stazioni[0].lettura, 12000);
  EXPECT_EQ(r.stazioni[1].nome, "Ponte & <Fiume>");
  EXPECT_EQ(r.stazioni[1].cella_fermata, 22);
  EXPECT_EQ(r.stazioni[1].lettura, 500) << "falling zone: 1500 - 1000";
}

TEST(Componi, FeatureCellsAreDecodedInLineOrderAtTheirSourceChainage) {
  const resoconto r = resoconto_piccolo();
  using valori = std::vector<std::pair<std::string, int32_t>>;
  struct atteso { int32_t cella; int32_t progressiva; const char* genere; valori v; const char* testo; };
  const atteso attesi[] = {
      {3, 150, "stop", {{"row", 1}}, "Citt\u00e0 Alta"},
      {5, 250, "cab code", {{"code", 270}}, ""},
      {11, 500, "signal",
       {{"s1", 4}, {"s2", 0}, {"s3", 0}, {"sx", 2}, {"d1", 1}, {"d2", 0}, {"d3", 0}, {"dx", 2},
        {"rapp", 0}, {"tempo", 0}}, ""},
      {13, 600, "direction board", {{"row", 80}}, "(Bivio)(Nord )"},
      {14, 650, "slowdown warning board", {{"speed", 60}, {"d_v", 0}}, ""},
      {15, 750, "before warning board", {{"n", 1}}, ""},
      {16, 750, "speed indicator boards",
       {{"vas", 60}, {"vad", 100}, {"vbs", 70}, {"vbd", 110}, {"vcs", 80}, {"vcd", 120},
        {"strisces", 1}, {"strisced", 2}}, ""},
      {17, 800, "slowdown start", {{"speed", 60}, {"d_v", 0}, {"f_tt", 1}}, ""},
      {19, 900, "slowdown end", {{"speed", 60}, {"d_v", 0}, {"f_tt", 1}}, ""},
      {20, 950, "signal",
       {{"s1", 2}, {"s2", 5}, {"s3", 1}, {"sx", 2}, {"d1", 2}, {"d2", 1}, {"d3", 1}, {"dx", 2},
        {"rapp", 1}, {"tempo", 255}}, ""},
      {21, 1050, "cab code removal", {}, ""},
      {22, 1100, "stop", {{"row", 2}}, "Ponte & <Fiume>"},
  };
  ASSERT_EQ(r.elementi.size(), std::size(attesi)) << "the mountain marker is not a feature";
  for (size_t i = 0; i < std::size(attesi); ++i) {
    const elemento& e = r.elementi[i];
    SCOPED_TRACE("cell " + std::to_string(attesi[i].cella));
    EXPECT_EQ(e.cella, attesi[i].cella);
    EXPECT_EQ(e.progressiva, attesi[i].progressiva);
    EXPECT_EQ(e.genere, attesi[i].genere);
    EXPECT_EQ(e.valori, attesi[i].v);
    EXPECT_EQ(e.testo, attesi[i].testo);
  }
  EXPECT_EQ(r.elementi[1].lettura, 12250) << "code at 250 m, zone from 0: 12000 + 250";
  EXPECT_EQ(r.elementi[2].lettura, 1000) << "signal at 500 m, where the falling zone starts: 1500 - 500";
}

TEST(Componi, ProfilesAndMountainZonesAreTheirChangePoints) {
  const resoconto r = resoconto_piccolo();
  auto coppie = [](const std::vector<punto>& p) {
    std::vector<std::pair<int32_t, int32_t>> c;
    for (const punto& q : p) c.push_back({q.cella, q.valore});
    return c;
  };
  using v = std::vector<std::pair<int32_t, int32_t>>;
  EXPECT_EQ(coppie(r.velocita), (v{{0, 140}, {10, 100}, {158, 0}}));
  EXPECT_EQ(coppie(r.pendenza), (v{{0, 0}, {12, 12}, {18, 0}, {158, -100}}));
  EXPECT_EQ(coppie(r.aderenza), (v{{0, 90}, {15, 85}, {158, 0}}));
  ASSERT_EQ(r.montagne.size(), 1u);
  EXPECT_EQ(r.montagne[0].prima, 22);
  EXPECT_EQ(r.montagne[0].ultima, 25);
  EXPECT_EQ(r.montagne[0].tipo, 2);
  EXPECT_EQ(r.montagne[0].segni, std::vector<int32_t>{24});
}

TEST(Elenco, TextShowsTheDecodedValuesReadingsAndNames) {
  const std::string t = in_testo(resoconto_piccolo());
  for (const char* parte :
       {"Route \"Linea Prova\", train \"R 7\"", "reading = 1500 - chainage (stored 500, 1600, 1)",
        "9-code system from 0 m to 900 m (km 12.000 to km 0.600)", "clock             13:55:20",
        "s1=2 s2=5 s3=1 sx=2 d1=2 d2=1 d3=1 dx=2 rapp=1 tempo=255", "\"(Bivio)(Nord )\"",
        "Citt\u00e0 Alta", "cells 22 to 25 (1100 to 1300 m), type 2, markers at cells 24",
        "Gradient, per mille (4 points)", "(beyond the route's end)"})
    EXPECT_NE(t.find(parte), std::string::npos) << parte << "\n" << t;
}

// A name or board text that would drive a terminal is shown escaped in the
// text, and kept as it is (JSON escapes it itself) in the JSON.
TEST(Elenco, ControlCharactersInNamesAreEscapedInTheTextOnly) {
  resoconto r = resoconto_piccolo();
  r.stazioni[0].nome = "Alta\x1b]0;titolo\x07";
  r.elementi[3].testo = "(\x1b[2J)";
  const std::string t = in_testo(r);
  EXPECT_EQ(t.find('\x1b'), std::string::npos);
  EXPECT_NE(t.find("Alta\\x1b]0;titolo\\x07"), std::string::npos) << t;
  EXPECT_NE(t.find("\"(\\x1b[2J)\""), std::string::npos) << t;
  const auto j = nlohmann::json::parse(in_json(r).dump());
  EXPECT_EQ(j["stations"][0]["name"], "Alta\x1b]0;titolo\x07");
}

TEST(Elenco, JsonHoldsTheSameContent) {
  const resoconto r = resoconto_piccolo();
  const auto j = nlohmann::json::parse(in_json(r).dump());
  EXPECT_EQ(j["route"], "Linea Prova");
  EXPECT_EQ(j["header"]["kilometre_zones"][0]["reading_at_chainage_0_m"], 1500);
  EXPECT_EQ(j["header"]["clock"], "13:55:20");
  ASSERT_EQ(j["stations"].size(), r.stazioni.size());
  EXPECT_EQ(j["stations"][1]["name"], "Ponte & <Fiume>");
  EXPECT_EQ(j["stations"][1]["reading_m"], 500);
  ASSERT_EQ(j["features"].size(), r.elementi.size());
  for (size_t i = 0; i < r.elementi.size(); ++i) {
    const auto& f = j["features"][i];
    EXPECT_EQ(f["cell"], r.elementi[i].cella);
    EXPECT_EQ(f["kind"], r.elementi[i].genere);
    for (const auto& [nome, valore] : r.elementi[i].valori) EXPECT_EQ(f["values"][nome], valore) << nome;
  }
  EXPECT_EQ(j["features"][3]["text"], "(Bivio)(Nord )");
  EXPECT_EQ(j["profiles"]["gradient_per_mille"][1]["chainage_m"], 600);
  EXPECT_EQ(j["profiles"]["gradient_per_mille"][1]["value"], 12);
  EXPECT_EQ(j["mountain_zones"][0]["marker_cells"][0], 24);
}

}  // namespace
}  // namespace ispettore
