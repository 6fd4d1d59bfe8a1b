#include "inspector/flusso_json.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace ispettore {
namespace {

using json = nlohmann::ordered_json;

// Written piece by piece, a document reads byte for byte as the whole
// document dumped at once: nested objects and arrays, empty ones, strings
// to escape, a string that is not UTF-8 and a member name to escape.
TEST(ContenitoreJson, PieceByPieceReadsAsTheWholeDocumentDumped) {
  const json stazione = {{"name", "Ponte & \"Fiume\"\x1b"}, {"area_m", {100, 300}}, {"dato", json::object()}};
  const json intero = {{"folder", "c"},
                       {"vuoto", json::array()},
                       {"stations", {stazione, stazione}},
                       {"profiles", {{"speed", json::array()}, {"gradient", {{{"cell", 0}}}}}},
                       {"altro", "a\xff"},
                       {"nome \"tra\" \\ e\t\xc3\xa8", 1}};
  std::ostringstream u;
  {
    ContenitoreJson d(u, true);
    d.membro("folder", "c");
    d.membro_aperto("vuoto");
    { ContenitoreJson v(u, false, d.livello_interno()); }
    d.membro_aperto("stations");
    {
      ContenitoreJson s(u, false, d.livello_interno());
      s.elemento(stazione);
      s.elemento_aperto();
      ContenitoreJson o(u, true, s.livello_interno());
      o.membro("name", stazione["name"]);
      o.membro("area_m", stazione["area_m"]);
      o.membro("dato", json::object());
    }
    d.membro_aperto("profiles");
    ContenitoreJson p(u, true, d.livello_interno());
    p.membro_aperto("speed");
    { ContenitoreJson v(u, false, p.livello_interno()); }
    p.membro("gradient", {{{"cell", 0}}});
    p.chiudi();
    d.membro("altro", "a\xff");
    d.membro("nome \"tra\" \\ e\t\xc3\xa8", 1);
  }
  EXPECT_EQ(u.str(), intero.dump(2, ' ', false, json::error_handler_t::replace));
}

}  // namespace
}  // namespace ispettore
