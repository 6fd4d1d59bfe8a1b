#include "packer/campi.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "packer/diagnosi.h"

namespace scenario::campi {
namespace {

// Every spelling the loader knows (curvad1, sfondo due ...) is one record
// of the table, of its own source, and every record has one: the table
// names the records the loader reads, no more.
TEST(Campi, EveryNameTheLoaderKnowsIsOneRecordOfTheTable) {
  std::set<const record*> visti;
  for (auto c : {contesto::testata_linea, contesto::corpo_linea, contesto::treno})
    for (std::string_view nome : nomi_noti(c)) {
      SCOPED_TRACE(nome);
      const record* trovato = nullptr;
      for (const record* r : tutti())
        if (nome.starts_with(r->nome)) {
          EXPECT_EQ(trovato, nullptr) << "also " << r->nome;
          trovato = r;
        }
      ASSERT_NE(trovato, nullptr);
      EXPECT_EQ(trovato->fonte, c == contesto::treno ? treno : linea);
      visti.insert(trovato);
    }
  EXPECT_EQ(visti.size(), tutti().size());
}

// A field name is one token: lower case, digits and "_", and no record
// names a field twice.
TEST(Campi, FieldNamesAreOneTokenEachAndUniqueInTheirRecord) {
  for (const record* r : tutti()) {
    std::set<std::string_view> nomi;
    for (std::string_view c : r->campi) {
      EXPECT_TRUE(nomi.insert(c).second) << r->nome << ": " << c;
      EXPECT_FALSE(c.empty());
      for (char x : c) EXPECT_TRUE((x >= 'a' && x <= 'z') || (x >= '0' && x <= '9') || x == '_') << c;
    }
  }
}

}  // namespace
}  // namespace scenario::campi
