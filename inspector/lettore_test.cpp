#include "inspector/lettore.h"

#include <gtest/gtest.h>

#include "inspector/prova_scenario.h"
#include "packer/pacchetti.h"

namespace ispettore {
namespace {

using scenario::variante;

// Every field of two item records agrees.
void uguali(const scenario::voce& a, const scenario::voce& b, size_t riga) {
  SCOPED_TRACE("record " + std::to_string(riga));
  EXPECT_EQ(a.tipo, b.tipo);
  EXPECT_EQ(a.inizio, b.inizio);
  EXPECT_EQ(a.fine, b.fine);
  EXPECT_EQ(a.posizione, b.posizione);
  EXPECT_EQ(a.opzione1, b.opzione1);
  EXPECT_EQ(a.nome, b.nome);
  EXPECT_EQ(a.dato1, b.dato1);
  EXPECT_EQ(a.dato2, b.dato2);
  EXPECT_EQ(a.dato3, b.dato3);
  EXPECT_EQ(a.dato4, b.dato4);
  EXPECT_EQ(a.dato5, b.dato5);
  EXPECT_EQ(a.opzione2, b.opzione2);
  EXPECT_EQ(a.opzione3, b.opzione3);
  EXPECT_EQ(a.opzione4, b.opzione4);
  EXPECT_EQ(a.opzione5, b.opzione5);
  EXPECT_EQ(a.orario, b.orario);
}

// Every field of two cells agrees.
void uguali(const scenario::cella& a, const scenario::cella& b, size_t i) {
  SCOPED_TRACE("cell " + std::to_string(i));
  EXPECT_EQ(a.tipo, b.tipo);
  EXPECT_EQ(a.valore1, b.valore1);
  EXPECT_EQ(a.valore2, b.valore2);
  EXPECT_EQ(a.valore3, b.valore3);
  EXPECT_EQ(a.valore4, b.valore4);
  EXPECT_EQ(a.tempo, b.tempo);
  EXPECT_EQ(a.preavviso, b.preavviso);
  EXPECT_EQ(a.montagna, b.montagna);
  EXPECT_EQ(a.velocita, b.velocita);
  EXPECT_EQ(a.pendenza, b.pendenza);
  EXPECT_EQ(a.aderenza, b.aderenza);
}

// Extreme values in every width, so that a wrong width, sign or byte order
// shows.
scenario::modello modello_estremo() {
  scenario::modello m = prova::modello_piccolo();
  m.voci[3] = {255, INT32_MIN, INT32_MAX, -1, 254, std::string("\x80\xFF\x01", 3),
               INT16_MIN, INT16_MAX, -2, 258, 1, 253, 252, 251, 250, -86400};
  scenario::cella& c = m.celle[30];
  c = {254, INT16_MIN, INT16_MAX, -1, 0x1234, 253, 252, 251, 250, 249, 248};
  return m;
}

TEST(Lettore, ItemsAndCellsDecodeToTheFieldsTheyWereEncodedFrom) {
  const scenario::modello m = modello_estremo();
  const std::string voci = scenario::pacchetto_voci(m);
  const voci_lette lette = leggi_voci(voci);
  EXPECT_EQ(lette.byte_usati, voci.size());
  for (size_t i = 0; i < m.voci.size(); ++i) uguali(lette.voci[i], m.voci[i], i);
  EXPECT_EQ(lette.inizio[1], 34u) << "record 0 has no name, so record 1 starts at 34";

  const std::string celle = scenario::pacchetto_celle(m);
  const celle_lette c = leggi_celle(celle);
  EXPECT_EQ(c.byte_avanzati, 0u);
  ASSERT_EQ(c.celle.size(), m.celle.size());
  for (size_t i = 0; i < m.celle.size(); ++i) uguali(c.celle[i], m.celle[i], i);
}

TEST(Lettore, PlanEntriesKeepTheirTypeAndValue) {
  const scenario::modello m = prova::modello_piccolo();
  const std::vector<variante> piano = leggi_piano(scenario::pacchetto_linea(m));
  const auto righe = static_cast<size_t>(m.planimetria.ultima_riga()) + 1;
  ASSERT_EQ(piano.size(), 2 * righe);
  for (size_t c = 0; c < 2; ++c)
    for (size_t r = 0; r < righe; ++r) {
      const variante atteso = m.planimetria.voce(static_cast<int>(c), static_cast<int32_t>(r));
      const variante& letto = piano[c * righe + r];
      ASSERT_EQ(letto.tipo, atteso.tipo) << "column " << c << " row " << r;
      ASSERT_EQ(letto.valore, atteso.valore) << "column " << c << " row " << r;
    }
}

TEST(Lettore, AnItemFileCutShortSaysWhichRecordAndWhere) {
  const scenario::modello m = prova::modello_piccolo();
  const std::string voci = scenario::pacchetto_voci(m);
  const voci_lette intere = leggi_voci(voci);
  struct caso { size_t lunghezza; size_t offset; std::string record; };
  const size_t fine_80 = intere.inizio[80] + 34 + m.voci[80].nome.size();
  for (const caso& k : {caso{0, 0, "record 0"}, caso{20, 0, "record 0"},
                        caso{intere.inizio[80] + 20, intere.inizio[80], "record 80"},
                        caso{fine_80 - 1, intere.inizio[80], "record 80"},
                        caso{voci.size() - 1, intere.inizio[86], "record 86"}}) {
    try {
      leggi_voci(std::string_view(voci).substr(0, k.lunghezza));
      ADD_FAILURE() << "no error for " << k.lunghezza << " bytes";
    } catch (const ErroreFormato& e) {
      EXPECT_EQ(e.offset(), k.offset) << k.lunghezza;
      EXPECT_EQ(e.dove(), k.record) << k.lunghezza;
      EXPECT_NE(e.motivo().find("ends inside the record"), std::string::npos) << e.motivo();
    }
  }
}

TEST(Lettore, APlanEntryOfUnknownTypeOrCutShortStopsDecodingAtItsOffset) {
  // Entries: integer 7 at 0, double at 4, then a bad type code at 14.
  std::string byte;
  scenario::metti_fisso16(byte, variante::intero);
  scenario::metti_fisso16(byte, 7);
  scenario::metti_fisso16(byte, variante::doppio);
  scenario::metti_doppio(byte, 1.5);
  std::string sbagliato = byte;
  scenario::metti_fisso16(sbagliato, 3);
  try {
    leggi_piano(sbagliato);
    ADD_FAILURE() << "type code 3 accepted";
  } catch (const ErroreFormato& e) {
    EXPECT_EQ(e.offset(), 14u);
    EXPECT_EQ(e.dove(), "entry 2");
    EXPECT_NE(e.motivo().find("type code 3"), std::string::npos);
  }
  EXPECT_THROW(leggi_piano(std::string_view(byte).substr(0, 13)), ErroreFormato);  // value cut
  EXPECT_THROW(leggi_piano(byte + '\x05'), ErroreFormato);                         // type code cut
  EXPECT_EQ(leggi_piano(byte).size(), 2u);
}

TEST(Lettore, TrackBytesBeyondTheLastWholeCellAreCounted) {
  const std::string celle = scenario::pacchetto_celle(prova::modello_piccolo());
  const celle_lette c = leggi_celle(std::string_view(celle).substr(0, celle.size() - 4));
  EXPECT_EQ(c.celle.size(), celle.size() / 15 - 1);
  EXPECT_EQ(c.byte_avanzati, 11u);
}

}  // namespace
}  // namespace ispettore
