#include "inspector/elenco.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>
#include <cctype>

#include "inspector/prova_scenario.h"
#include "model/identita.h"
#include "packer/impacchettatore.h"
#include "platform/cartella_programma.h"
#include "prova/disco_memoria.h"
#include "prova/sorgenti_prova.h"
#include "inspector/verifiche.h"
#include "packer/campi.h"

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

// Each feature cell is named by the record that gave it and its fields,
// in the order they stand on its line, by the shared names.
TEST(Componi, FeatureCellsAreDecodedInLineOrderIntoTheirRecordsFields) {
  const resoconto r = resoconto_piccolo();
  using valori = std::vector<std::pair<std::string, int32_t>>;
  struct atteso {
    int32_t cella;
    int32_t progressiva;
    const char* record;
    const char* parte;
    valori v;
    std::optional<int32_t> riga;
    const char* testo;
  };
  const atteso attesi[] = {
      {3, 150, "stazione", "stop cell", {}, 1, "Citt\u00e0 Alta"},
      {5, 250, "abbattimento", "", {{"code", 270}}, {}, ""},
      {11, 500, "segnale", "",
       {{"left_code", 2}, {"left_value_1", 4}, {"left_value_2", 0}, {"left_value_3", 0},
        {"repeat_flag", 0}, {"right_code", 2}, {"right_value_1", 1}, {"right_value_2", 0},
        {"right_value_3", 0}, {"timing", 0}}, {}, ""},
      {13, 600, "cartello_indicatore", "", {}, 80, "(Bivio)(Nord )"},
      {14, 650, "rallentamento", "warning board", {{"speed", 60}, {"cells_value", 0}}, {}, ""},
      {15, 750, "rallentamento", "marker 1", {}, {}, ""},
      {16, 750, "indicatori_v_max", "",
       {{"left_speed_a", 60}, {"left_speed_b", 70}, {"left_speed_c", 80}, {"left_stripes", 1},
        {"right_speed_a", 100}, {"right_speed_b", 110}, {"right_speed_c", 120},
        {"right_stripes", 2}}, {}, ""},
      {17, 800, "rallentamento", "start", {{"speed", 60}, {"ends_value", 1}, {"cells_value", 0}}, {}, ""},
      {19, 900, "rallentamento", "end", {{"speed", 60}, {"ends_value", 1}, {"cells_value", 0}}, {}, ""},
      {20, 950, "segnale", "",
       {{"left_code", 2}, {"left_value_1", 2}, {"left_value_2", 5}, {"left_value_3", 1},
        {"repeat_flag", 1}, {"right_code", 2}, {"right_value_1", 2}, {"right_value_2", 1},
        {"right_value_3", 1}, {"timing", 255}}, {}, ""},
      {21, 1050, "abbattimento", "code 0 or less", {}, {}, ""},
      {22, 1100, "stazione", "stop cell", {}, 2, "Ponte & <Fiume>"},
  };
  ASSERT_EQ(r.elementi.size(), std::size(attesi)) << "the mountain marker is not a feature";
  for (size_t i = 0; i < std::size(attesi); ++i) {
    const elemento& e = r.elementi[i];
    SCOPED_TRACE("cell " + std::to_string(attesi[i].cella));
    EXPECT_EQ(e.cella, attesi[i].cella);
    EXPECT_EQ(e.progressiva, attesi[i].progressiva);
    EXPECT_EQ(e.record, attesi[i].record);
    EXPECT_EQ(e.parte, attesi[i].parte);
    EXPECT_EQ(e.valori, attesi[i].v);
    EXPECT_EQ(e.riga, attesi[i].riga);
    EXPECT_EQ(e.testo, attesi[i].testo);
    // Every field named is one of its record's.
    const auto* record = [&]() -> const scenario::campi::record* {
      for (const auto* x : scenario::campi::tutti())
        if (x->nome == e.record) return x;
      return nullptr;
    }();
    ASSERT_NE(record, nullptr);
    for (const auto& [nome, valore] : e.valori)
      EXPECT_NE(std::find(record->campi.begin(), record->campi.end(), nome), record->campi.end()) << nome;
  }
  EXPECT_EQ(r.elementi[1].lettura, 12250) << "code at 250 m, zone from 0: 12000 + 250";
  EXPECT_EQ(r.elementi[2].lettura, 1000) << "signal at 500 m, where the falling zone starts: 1500 - 500";
}

// The numbers of a source line after its record name, in order; the text
// that ends a station line is left out.
std::vector<int64_t> numeri_della_riga(const std::string& riga) {
  std::vector<int64_t> n;
  std::istringstream campi(riga.substr(riga.find(',') + 1));
  for (std::string campo; std::getline(campi, campo, ',');) {
    const size_t inizio = campo.find_first_not_of(' ');
    if (inizio == std::string::npos || !(std::isdigit(static_cast<unsigned char>(campo[inizio])) || campo[inizio] == '-'))
      continue;
    n.push_back(std::stoll(campo));
  }
  return n;
}

// Source lines packed by the loader, then listed: every field the JSON
// lists by name holds the number that stands at that field's place on the
// line that gave it, for every kind of record that leaves a cell or a row.
TEST(Elenco, EachListedFieldIsTheNumberAtItsPlaceOnTheSourceLine) {
  const std::vector<std::string> righe_linea = {
      "indicatori_v_max,  1500,  60, 70, 80, 1,  100, 110, 120, 2"};
  const std::vector<std::string> righe_treno = {
      "stazione,       0,  8,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,  13,55,20, Alfa",
      "stazione,    3000, 22,  600,  0, 1, 1,  1,0,3,  3,4,1,   60,  14, 6, 9, Beta",
      "segnale,    2500,   2, 4, 5,  6, 1,    1,  3,2,1, 255",
      "rallentamento,   6000,  60,  1000,  7,  1,  9",
      "abbattimento,   5000,   270"};
  std::string corpo_linea, corpo_treno;
  for (const auto& r : righe_linea) corpo_linea += r + "\n";
  for (const auto& r : righe_treno) corpo_treno += r + "\n";
  piattaforma::DiscoMemoria d;
  scenario::modello m = ::prova::modello_di("Linea", "T 1");
  d.file[piattaforma::unisci_percorso("c", scenario::nome_sorgente_linea("Linea"))] =
      ::prova::sorgente::linea(corpo_linea);
  d.file[piattaforma::unisci_percorso("c", scenario::nome_sorgente_treno("Linea", "T 1"))] =
      ::prova::sorgente::treno(corpo_treno);
  int32_t senza_piano = 0;
  scenario::memorizza_percorso(m, d, "c", senza_piano);
  ASSERT_EQ(m.codice_errore, 0);
  const auto j = nlohmann::json::parse(in_json(componi(m)).dump());

  // The line of each record, by its name.
  std::map<std::string, std::vector<std::string>> righe;
  for (const auto* r : {&righe_linea, &righe_treno})
    for (const auto& riga : *r) righe[riga.substr(0, riga.find(','))].push_back(riga);
  auto controlla = [&](const nlohmann::json& voce, const std::string& riga) {
    SCOPED_TRACE(riga);
    const std::string nome = voce["record"];
    const scenario::campi::record* record = nullptr;
    for (const auto* x : scenario::campi::tutti())
      if (x->nome == nome) record = x;
    ASSERT_NE(record, nullptr) << nome;
    const std::vector<int64_t> numeri = numeri_della_riga(riga);
    for (const auto& [campo, valore] : voce["fields"].items()) {
      const auto i = std::find(record->campi.begin(), record->campi.end(), campo);
      ASSERT_NE(i, record->campi.end()) << campo;
      const auto k = static_cast<size_t>(i - record->campi.begin());
      ASSERT_LT(k, numeri.size()) << campo;
      EXPECT_EQ(valore, numeri[k]) << campo;
    }
    EXPECT_FALSE(voce["fields"].empty());
  };
  size_t visti = 0, del_passo = 0;
  for (const auto& f : j["features"]) {
    if (f["record"].is_null()) {  // the slowdown's codes, set by the cab-code pass: no line
      EXPECT_EQ(f["kind"], "cab code of the cab-code pass");
      EXPECT_EQ(f["fields"]["code"], 180);
      ++del_passo;
      continue;
    }
    const std::string nome = f["record"];
    if (f["fields"].empty()) continue;  // a stop cell: its station is listed below
    ASSERT_EQ(righe.count(nome), 1u) << nome;
    controlla(f, righe[nome].front());
    if (!f.contains("part") || f["part"] == "start") {
      EXPECT_EQ(f["chainage_m"], numeri_della_riga(righe[nome].front())[0]);
    }
    ++visti;
  }
  EXPECT_EQ(visti, 6u) << "indicator boards, signal, code, the slowdown's warning board, start and end";
  EXPECT_GT(del_passo, 0u);
  ASSERT_EQ(j["stations"].size(), 2u);
  for (size_t i = 0; i < 2; ++i) controlla(j["stations"][i], righe["stazione"][i]);
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
       {"Route \"Linea Prova\", train \"R 7\"",
        "progressiva chilometrica     start=500 reading=1500 direction=1: from 500 m, reading = 1500 "
        "- chainage (row 81 stores 500, 1600, 1)",
        "ripetizione segnali          from=0 to=900: 9-code system (km 12.000 to km 0.600)",
        "orologio                     hours=13 minutes=55 seconds=20: 13:55:20",
        "  1,0,0         4,1,0          2,1,1          Citt\u00e0 Alta",
        "     20       950      0.550  segnale                        left_code=2 left_value_1=2 "
        "left_value_2=5 left_value_3=1 repeat_flag=1 right_code=2 right_value_1=2 right_value_2=1 "
        "right_value_3=1 timing=255\n",
        "rallentamento start            speed=60 ends_value=1 cells_value=0\n",
        "rallentamento marker 1\n", "row 80 \"(Bivio)(Nord )\"",
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
  EXPECT_EQ(j["header"]["progressiva chilometrica"][0]["fields"],
            (nlohmann::json{{"start", 500}, {"reading", 1500}, {"direction", 1}}));
  ASSERT_EQ(j["stations"].size(), r.stazioni.size());
  EXPECT_EQ(j["stations"][1]["name"], "Ponte & <Fiume>");
  EXPECT_EQ(j["stations"][1]["reading_m"], 500);
  ASSERT_EQ(j["features"].size(), r.elementi.size());
  for (size_t i = 0; i < r.elementi.size(); ++i) {
    const auto& f = j["features"][i];
    EXPECT_EQ(f["cell"], r.elementi[i].cella);
    EXPECT_EQ(f["record"], r.elementi[i].record);
    EXPECT_EQ(f.value("part", ""), r.elementi[i].parte);
    EXPECT_EQ(f["fields"].size(), r.elementi[i].valori.size());
    for (const auto& [nome, valore] : r.elementi[i].valori) EXPECT_EQ(f["fields"][nome], valore) << nome;
  }
  EXPECT_EQ(j["features"][0]["row"], 1);
  EXPECT_EQ(j["header"]["orologio"], (nlohmann::json{{"hours", 13}, {"minutes", 55}, {"seconds", 20}}));
  EXPECT_EQ(j["header"]["sfondo uno"]["value"], 1);
  EXPECT_EQ(j["stations"][0]["record"], "stazione");
  EXPECT_EQ(j["stations"][0]["fields"],
            (nlohmann::json{{"class", 8}, {"option_1", 1}, {"group_1_a", 4}, {"group_2_a", 2},
                            {"option_2", 0}, {"group_1_b", 1}, {"group_2_b", 1}, {"option_3", 0},
                            {"group_1_c", 0}, {"group_2_c", 1}, {"stop", 1}, {"hours", 13},
                            {"minutes", 55}, {"seconds", 20}}));
  EXPECT_EQ(j["features"][3]["text"], "(Bivio)(Nord )");
  EXPECT_EQ(j["profiles"]["gradient_per_mille"][1]["chainage_m"], 600);
  EXPECT_EQ(j["profiles"]["gradient_per_mille"][1]["value"], 12);
  EXPECT_EQ(j["mountain_zones"][0]["marker_cells"][0], 24);
}

}  // namespace
}  // namespace ispettore
