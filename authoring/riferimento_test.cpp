#include "authoring/riferimento.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "packer/diagnosi.h"

namespace autore {
namespace {

// Every record the loader knows has its section, found by its name as the
// sources write it, and each section gives an example and its fields.
TEST(Riferimento, HasASectionForEveryRecord) {
  for (auto c : {scenario::contesto::testata_linea, scenario::contesto::corpo_linea,
                 scenario::contesto::treno})
    for (std::string_view nome : scenario::nomi_noti(c)) {
      SCOPED_TRACE(nome);
      const auto trovate = cerca_riferimento(nome);
      ASSERT_EQ(trovate.size(), 1u);
      EXPECT_NE(trovate.front()->testo.find("Example:"), std::string::npos);
      EXPECT_NE(trovate.front()->testo.find("Recognised by:"), std::string::npos);
    }
}

// A name is found whatever its case and blanks; a name of no record, or one
// that several share, is refused with the list (status 3).
TEST(Riferimento, PrintsOneSectionOrTheList) {
  std::ostringstream uscita, errori;
  EXPECT_EQ(stampa_riferimento("  Stazione ", uscita, errori), 0);
  EXPECT_TRUE(uscita.str().starts_with("=====")) << uscita.str();
  EXPECT_NE(uscita.str().find("\nstazione "), std::string::npos);
  EXPECT_EQ(uscita.str().find("\nsegnale "), std::string::npos);
  EXPECT_EQ(errori.str(), "");

  std::ostringstream tutto, nulla;
  EXPECT_EQ(stampa_riferimento("", tutto, nulla), 0);
  EXPECT_TRUE(tutto.str().starts_with("Field reference of the scenario sources\n"));
  EXPECT_NE(tutto.str().find("  abbattimento "), std::string::npos);

  std::ostringstream niente, lista;
  EXPECT_EQ(stampa_riferimento("treno", niente, lista), 3);
  EXPECT_EQ(niente.str(), "");
  EXPECT_TRUE(lista.str().starts_with("impacchetta_scenario: no record is named \"treno\""));
  EXPECT_NE(lista.str().find("  segnale "), std::string::npos);
}

}  // namespace
}  // namespace autore
