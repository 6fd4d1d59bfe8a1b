#include "authoring/riferimento.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "packer/campi.h"
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

// The names of a section's fields, in order, from its lines "Field 2,
// left_code: ..." and "Fields 3 to 5, left_value_1, left_value_2,
// left_value_3: ...".
std::vector<std::string> campi_della_sezione(const std::string& testo) {
  std::vector<std::string> nomi;
  std::istringstream righe(testo);
  for (std::string riga; std::getline(righe, riga);) {
    if (!riga.starts_with("Field ") && !riga.starts_with("Fields ")) continue;
    const std::string testa = riga.substr(0, riga.find(':'));
    for (size_t i = testa.find(", "); i != std::string::npos;) {
      const size_t fine = testa.find(", ", i + 2);
      nomi.push_back(testa.substr(i + 2, fine == std::string::npos ? std::string::npos : fine - i - 2));
      i = fine;
    }
  }
  return nomi;
}

// The reference names each record's fields as the shared table does, the
// names the inspector lists packed values by: a field renamed on one side
// only fails here.
TEST(Riferimento, NamesTheFieldsAsTheSharedTableDoes) {
  for (const scenario::campi::record* r : scenario::campi::tutti()) {
    SCOPED_TRACE(r->nome);
    const auto trovate = cerca_riferimento(r->nome);
    ASSERT_EQ(trovate.size(), 1u);
    EXPECT_TRUE(trovate.front()->fonte.starts_with(r->fonte)) << trovate.front()->fonte;
    EXPECT_EQ(campi_della_sezione(trovate.front()->testo),
              std::vector<std::string>(r->campi.begin(), r->campi.end()));
  }
  EXPECT_EQ(scenario::campi::tutti().size(), voci_riferimento().size()) << "a section of no record";
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
