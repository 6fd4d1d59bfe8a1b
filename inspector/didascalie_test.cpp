#include "inspector/didascalie.h"

#include <gtest/gtest.h>

#include <map>

#include "inspector/prova_scenario.h"
#include "inspector/verifiche.h"
#include "packer/campi.h"

namespace ispettore {
namespace {

// Every feature kind of the small scenario says what it is, where, and its
// values as decoded.
TEST(Didascalia, EachFeatureKindSaysWhereItIsAndWhatItHolds) {
  const resoconto r = componi(verifica(prova::pacchetti_di(prova::modello_piccolo())).m);
  const std::map<int32_t, std::string> attese = {
      {3, "Stop (stazione), chainage 150 m, km 12.150 (cell 3): stop of Citt\u00e0 Alta (row 1)"},
      {5, "Cab code (abbattimento), chainage 250 m, km 12.250 (cell 5): code 270 from here on"},
      {11, "Signal (segnale), chainage 500 m, km 1.000 (cell 11): left-hand signal code 2, values "
           "4 0 0; right-hand signal code 2, values 1 0 0; repeat_flag 0, timing 0"},
      {13, "Direction board (cartello_indicatore), chainage 600 m, km 0.900 (cell 13): "
           "\"(Bivio)(Nord )\" (row 80)"},
      {14, "Slowdown warning board (rallentamento), chainage 650 m, km 0.850 (cell 14): 60 km/h"},
      {15, "Before warning board (rallentamento), chainage 750 m, km 0.750 (cell 15): marker 1 "
           "before the warning board"},
      {16, "Speed indicator boards (indicatori_v_max), chainage 750 m, km 0.750 (cell 16): speeds "
           "a 60/100, b 70/110, c 80/120 km/h (left/right); stripes 1 and 2"},
      {17, "Slowdown start (rallentamento), chainage 800 m, km 0.700 (cell 17): 60 km/h, "
           "ends_value 1"},
      {21, "Cab code removal (abbattimento), chainage 1050 m, km 0.450 (cell 21): no code from "
           "here on"},
  };
  size_t viste = 0;
  for (const elemento& e : r.elementi)
    if (auto it = attese.find(e.cella); it != attese.end()) {
      EXPECT_EQ(didascalia(r, e), it->second);
      ++viste;
    }
  EXPECT_EQ(viste, attese.size());
  EXPECT_EQ(didascalia_velocita(r, 100, 500, 7900),
            "Speed limit 100 km/h from chainage 500 m, km 1.000 to chainage 7900 m, km -6.400");
}

TEST(Didascalia, ASignalWithoutItsRightHandSideOrAReadingSaysSo) {
  elemento e;
  e.tipo = scenario::tipo_cella::segnale;
  e.genere = "signal";
  e.progressiva = 88350;
  e.valori = {{std::string(scenario::campi::campo::valore_sx_1), 4},
              {std::string(scenario::campi::campo::codice_sx), 2}};
  EXPECT_EQ(didascalia(resoconto{}, e),
            "Signal, chainage 88350 m (cell 0): left-hand signal code 2, values 4 0 0; "
            "no right-hand signal; repeat_flag 0, timing 0");
}

}  // namespace
}  // namespace ispettore
