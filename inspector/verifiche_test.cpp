#include "inspector/verifiche.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <utility>

#include "inspector/lettore.h"
#include "inspector/prova_scenario.h"
#include "packer/formato.h"
#include "packer/pacchetti.h"

namespace ispettore {
namespace {

using scenario::variante;

// Overwrites the little-endian bytes of v at `offset`.
void scrivi(std::string& byte, size_t offset, uint32_t v, size_t n) {
  for (size_t i = 0; i < n; ++i) byte[offset + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Puts `v` in place of the plan entry at `offset` of a packed line file.
void sostituisci_voce(std::string& byte, size_t offset, variante v) {
  std::string nuova;
  scenario::metti_fisso16(nuova, v.tipo);
  if (v.tipo == variante::intero) scenario::metti_fisso16(nuova, static_cast<uint16_t>(v.valore));
  if (v.tipo == variante::doppio) scenario::metti_doppio(nuova, v.valore);
  byte.replace(offset, scenario::formato::byte_variante(scenario::leggi_fisso16(byte, offset)), nuova);
}

TEST(Verifica, SoundFilesPassAndDecodeWhole) {
  const scenario::modello m = prova::modello_piccolo();
  const scenario_letto s = verifica(prova::pacchetti_di(m));
  for (const difetto& d : s.difetti) ADD_FAILURE() << descrivi(d);
  EXPECT_TRUE(s.note.empty());
  EXPECT_TRUE(s.con_voci && s.con_celle && s.con_piano);
  EXPECT_EQ(s.m.celle.size(), m.celle.size());
  EXPECT_EQ(s.piano[1].size(), static_cast<size_t>(m.planimetria.ultima_riga()) + 1);
  EXPECT_EQ(s.m.voci[2].nome, m.voci[2].nome);
}

TEST(Verifica, AMissingLineFileIsANoteNotAFault) {
  pacchetti p = prova::pacchetti_di(prova::modello_piccolo());
  p.byte_linea.reset();
  const scenario_letto s = verifica(p);
  EXPECT_TRUE(s.difetti.empty());
  EXPECT_FALSE(s.con_piano);
  ASSERT_EQ(s.note.size(), 1u);
  EXPECT_NE(s.note[0].find("no packed line file Linea Prova_linea.dat"), std::string::npos);
}

// One kind of damage and the fault it must bring: in which file, at which
// byte offset (none for a fault of the whole file), and words of the reason.
struct danno {
  const char* nome;
  std::function<void(pacchetti&, const voci_lette&)> danneggia;
  int file;  // 0 line, 1 items, 2 track
  std::optional<size_t> offset;
  const char* parole;
};

TEST(Verifica, EachKindOfDamageIsCaughtWithFileOffsetAndReason) {
  const scenario::modello m = prova::modello_piccolo();
  const pacchetti sani = prova::pacchetti_di(m);
  const voci_lette v = leggi_voci(*sani.byte_voci);
  const size_t n85 = m.voci[85].nome.size();
  const size_t celle = sani.byte_celle->size();
  const size_t colonna = sani.byte_linea->size() / 2;  // 10 R - 18 bytes each
  const danno danni[] = {
      {"track file one cell short", [](pacchetti& p, auto&) { p.byte_celle->resize(p.byte_celle->size() - 15); },
       2, celle - 15, "truncated: the file is 2400 bytes, expected 2415 = 15 x 161 cells"},
      {"track file cut inside a cell", [](pacchetti& p, auto&) { p.byte_celle->pop_back(); },
       2, celle - 1, "truncated"},
      {"track file a cell too long", [](pacchetti& p, auto&) { p.byte_celle->append(15, '\0'); },
       2, celle, "too long"},
      {"item file cut inside record 86",
       [](pacchetti& p, auto&) { p.byte_voci->resize(p.byte_voci->size() - 3); }, 1, v.inizio[86],
       "the file ends inside the record"},
      {"bytes after the 87th record", [](pacchetti& p, auto&) { *p.byte_voci += "xy"; }, 1,
       sani.byte_voci->size(), "2 bytes follow the 87th record"},
      {"stamp 610 wrong",
       [n85](pacchetti& p, const voci_lette& l) { scrivi(*p.byte_voci, l.inizio[85] + 16 + n85, 611, 2); },
       1, v.inizio[85] + 16 + n85, "header stamp is 611, expected 610"},
      {"stamp 5121 wrong", [](pacchetti& p, auto&) { scrivi(*p.byte_celle, 16, 0, 2); }, 2, 16,
       "header stamp is 0, expected 5121"},
      {"identity code of the item file wrong",
       [n85](pacchetti& p, const voci_lette& l) { scrivi(*p.byte_voci, l.inizio[85] + 30 + n85, 1, 4); },
       1, v.inizio[85] + 30 + n85, "identity code is 1, expected"},
      {"identity code of the track file wrong", [](pacchetti& p, auto&) { scrivi(*p.byte_celle, 18, 7, 2); },
       2, 18, "identity code is 7, expected"},
      {"a plan type code no reader knows",
       [](pacchetti& p, auto&) { scrivi(*p.byte_linea, 8, 9, 2); }, 0, 8, "type code 9 is none of"},
      {"line file cut short", [](pacchetti& p, auto&) { p.byte_linea->resize(p.byte_linea->size() - 2); },
       0, colonna * 2 - 2, "truncated: the file is"},
      {"files named for another train", [](pacchetti& p, auto&) { p.treno = "R 8"; }, 1,
       v.inizio[86] + 14, "train designation is \"R 7\", but the files are named for \"R 8\""},
      // Values the simulator reads by kind, each one the builder never writes.
      {"a cell type no builder writes", [](pacchetti& p, auto&) { (*p.byte_celle)[15 * 30] = '\xFF'; },
       2, 15 * 30, "cell type 255 is none the builder writes"},
      {"a cab code below 1", [](pacchetti& p, auto&) { scrivi(*p.byte_celle, 15 * 5 + 1, 0xFFFF, 2); },
       2, 15 * 5 + 1, "(cell 5 at 250 m, valore1, from abbattimento code): cab code -1 is not a code"},
      {"a stop cell naming an empty row", [](pacchetti& p, auto&) { scrivi(*p.byte_celle, 15 * 3 + 1, 9, 2); },
       2, 15 * 3 + 1, "(cell 3 at 150 m, valore1, from stazione): stop cell names row 9, which is no station row "
       "(stations take rows 1 to 2)"},
      {"a stop cell naming a station of a class without one",
       [](pacchetti& p, const voci_lette& l) { (*p.byte_voci)[l.inizio[2]] = 30; }, 2, 15 * 22 + 1,
       "names row 2, a station of class 30, which has no stop cell"},
      {"a board cell naming a station row",
       [](pacchetti& p, auto&) { scrivi(*p.byte_celle, 15 * 13 + 1, 2, 2); }, 2, 15 * 13 + 1,
       "direction board names row 2, which is no board row (the 1 board cells take rows 80 to 80)"},
      {"two board cells naming one row",
       [](pacchetti& p, auto&) {
         (*p.byte_celle)[15 * 30] = 14;
         scrivi(*p.byte_celle, 15 * 30 + 1, 80, 2);
       },
       2, 15 * 30 + 1, "names row 80, which the board at cell 13 names too"},
      {"a cell before a warning board numbered 9",
       [](pacchetti& p, auto&) { scrivi(*p.byte_celle, 15 * 15 + 1, 9, 2); }, 2, 15 * 15 + 1,
       "(cell 15 at 750 m, valore1, from rallentamento markers): cell before a warning board "
       "numbered 9, expected 1 to 4"},
      {"a cab-signalling system of 5 codes",
       [](pacchetti& p, const voci_lette& l) { scrivi(*p.byte_voci, l.inizio[86] + 9, 5, 4); }, 1,
       v.inizio[86] + 9, "(record 86, posizione, from the name of ripetizione segnali): cab-signalling system 5, "
       "expected 4 or 9"},
  };
  for (const danno& d : danni) {
    SCOPED_TRACE(d.nome);
    pacchetti p = sani;
    d.danneggia(p, v);
    const scenario_letto s = verifica(p);
    const std::string& file = d.file == 0 ? p.nome_linea : d.file == 1 ? p.nome_voci : p.nome_celle;
    bool trovato = false;
    for (const difetto& f : s.difetti)
      trovato |= f.file == file && f.offset == d.offset &&
                 descrivi(f).find(d.parole) != std::string::npos;
    EXPECT_TRUE(trovato) << "faults found:\n" << [&] {
      std::string t;
      for (const difetto& f : s.difetti) t += descrivi(f) + "\n";
      return t;
    }();
  }
}

// Plans whose entries carry the wrong type: the fault names the column,
// the row and the byte where its type code stands.
TEST(Verifica, WrongVariantTypeCodesAreFoundRowByRow) {
  struct caso { size_t colonna; size_t riga; variante valore; size_t offset; const char* parole; };
  scenario::modello m = prova::modello_piccolo();
  const size_t r = static_cast<size_t>(m.lunghezza_estesa);  // R
  for (const caso& k : {caso{0, 1, {variante::doppio, 0}, 4, "column x, row 1"},
                        caso{1, 2, {variante::intero, 2}, 10 * r - 18 + 8, "column y, row 2"},
                        caso{1, r - 1, {variante::doppio, 0}, 20 * r - 36 - 4, "column y, row 7999"},
                        caso{0, 500, {variante::vuota, 0}, 8 + 10 * 498, "column x, row 500"}}) {
    pacchetti p = prova::pacchetti_di(m);
    sostituisci_voce(*p.byte_linea, k.offset, k.valore);
    const scenario_letto s = verifica(p);
    bool trovato = false;
    for (const difetto& f : s.difetti)
      trovato |= f.offset == k.offset && f.dove == k.parole &&
                 f.motivo.find("type code") != std::string::npos;
    EXPECT_TRUE(trovato) << k.parole << ": " << (s.difetti.empty() ? "no fault" : descrivi(s.difetti[0]));
  }
}

TEST(Verifica, MissingItemOrTrackFilesLeaveTheRestChecked) {
  pacchetti p = prova::pacchetti_di(prova::modello_piccolo());
  pacchetti senza_celle = p;
  senza_celle.byte_celle.reset();
  const scenario_letto a = verifica(senza_celle);
  EXPECT_TRUE(a.difetti.empty()) << descrivi(a.difetti.front());
  EXPECT_TRUE(a.con_voci && a.con_piano);
  EXPECT_FALSE(a.con_celle);

  p.byte_voci.reset();
  *p.byte_celle = std::string(15 * 40, '\0');
  (*p.byte_celle)[15 * 7] = '\x09';  // no such type: found without the item file
  const scenario_letto b = verifica(p);
  EXPECT_TRUE(b.con_celle);
  EXPECT_FALSE(b.con_voci || b.con_piano);
  bool tipo = false;
  for (const difetto& f : b.difetti) tipo |= f.offset == 15 * 7u;
  EXPECT_TRUE(tipo);
}

TEST(Verifica, ManyWrongTypeCodesAreCountedAfterTheFirstTen) {
  pacchetti p = prova::pacchetti_di(prova::modello_piccolo());
  for (size_t i = 149; i >= 100; --i) sostituisci_voce(*p.byte_linea, 8 + 10 * (i - 2), {});
  const scenario_letto s = verifica(p);
  size_t elencati = 0;
  bool conteggio = false;
  for (const difetto& f : s.difetti) {
    elencati += f.offset.has_value() && f.motivo.find("type code") != std::string::npos;
    conteggio |= f.motivo == "and 40 more entries with a wrong type code";
  }
  EXPECT_EQ(elencati, difetti_per_genere);
  EXPECT_TRUE(conteggio);
}

TEST(Verifica, ARouteLengthOutOfRangeIsAFaultAndSkipsTheSizeChecks) {
  scenario::modello m = prova::modello_piccolo();
  m.voci[84].fine = 2000000;
  const scenario_letto s = verifica(prova::pacchetti_di(m));
  ASSERT_FALSE(s.difetti.empty());
  EXPECT_NE(s.difetti[0].motivo.find("route length 2000000 m is outside"), std::string::npos);
  EXPECT_EQ(s.difetti[0].dove, "record 84, fine");
  for (const difetto& f : s.difetti) EXPECT_EQ(f.motivo.find("expected 15 x"), std::string::npos);
  EXPECT_FALSE(s.con_piano);
}

// A track or line file longer than its route declares, or the two swapped:
// the excess is reported with the file's whole size and never decoded (the
// cells decoded are counted), and the size given for a file read only in
// part is the one reported.
TEST(Verifica, BytesPastWhatTheRouteDeclaresAreReportedAndNeverDecoded) {
  const scenario::modello m = prova::modello_piccolo();
  const pacchetti sani = prova::pacchetti_di(m);
  const size_t celle = m.celle.size();
  struct caso {
    const char* nome;
    std::function<void(pacchetti&)> cambia;
    std::string file;
    const char* parole;
  };
  const caso casi[] = {
      {"track file three cells long", [](pacchetti& p) { p.byte_celle->append(45, '\x07'); }, sani.nome_celle,
       "too long: the file is 2460 bytes, expected 2415 = 15 x 161 cells"},
      {"track file read in part, 645 MB whole",
       [](pacchetti& p) {
         p.byte_celle->append(1, '\0');
         p.dimensione_celle = 645000000;
       },
       sani.nome_celle, "too long: the file is 645000000 bytes, expected 2415"},
      {"line and track files swapped",
       [](pacchetti& p) { std::swap(p.byte_linea, p.byte_celle); }, sani.nome_celle,
       "too long: the file is 159964 bytes, expected 2415"},
      {"line file read in part",
       [](pacchetti& p) { p.dimensione_linea = uint64_t{1} << 40; }, sani.nome_linea,
       "too long: the file is 1099511627776 bytes, expected 20 x 8000 - 36 = 159964"},
      {"item file read in part", [](pacchetti& p) { p.dimensione_voci = p.byte_voci->size() + 1000; },
       sani.nome_voci, "1000 bytes follow the 87th record"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    pacchetti p = sani;
    c.cambia(p);
    const scenario_letto s = verifica(p);
    EXPECT_EQ(s.m.celle.size(), celle);
    bool trovato = false;
    for (const difetto& f : s.difetti) trovato |= f.file == c.file && f.motivo.find(c.parole) != std::string::npos;
    EXPECT_TRUE(trovato) << (s.difetti.empty() ? "no fault" : descrivi(s.difetti.front()));
  }
  // Without a route length, no more cells than the longest route has.
  pacchetti senza_voci = sani;
  senza_voci.byte_voci.reset();
  senza_voci.byte_celle = std::string(byte_celle_attesi(scenario::lunghezza_massima) + 150, '\0');
  const scenario_letto s = verifica(senza_voci);
  EXPECT_EQ(s.m.celle.size(), byte_celle_attesi(scenario::lunghezza_massima) / 15);
  ASSERT_FALSE(s.difetti.empty());
  EXPECT_NE(s.difetti.front().motivo.find("cells of the longest route"), std::string::npos);
}

// Plan coordinates that no line has: not finite, or farther from the start
// than the row's metres. Each named by column, row and the byte of its
// value; the plan is then not drawn.
TEST(Verifica, PlanCoordinatesNotFiniteOrOutOfReachAreFaults) {
  struct caso { size_t offset; double valore; const char* dove; const char* parole; };
  const size_t colonna = 10 * 8000 - 18;  // bytes of column x
  for (const caso& k : {caso{8 + 10 * 3, std::nan(""), "column x, row 5", "coordinate nan m"},
                        caso{colonna + 8, HUGE_VAL, "column y, row 2", "coordinate inf m"},
                        caso{colonna + 8 + 10, -HUGE_VAL, "column y, row 3", "coordinate -inf m"},
                        caso{8 + 10 * 100, 1e300, "column x, row 102", "coordinate 1.0000000000000001e+300 m"},
                        caso{8, 3.5, "column x, row 2", "row 2 lies within 3 m"}}) {
    SCOPED_TRACE(k.dove);
    pacchetti p = prova::pacchetti_di(prova::modello_piccolo());
    sostituisci_voce(*p.byte_linea, k.offset, {variante::doppio, k.valore});
    const scenario_letto s = verifica(p);
    EXPECT_FALSE(s.con_piano);
    ASSERT_EQ(s.difetti.size(), 1u);
    EXPECT_EQ(s.difetti[0].offset, k.offset + 2);
    EXPECT_EQ(s.difetti[0].dove, k.dove);
    EXPECT_NE(s.difetti[0].motivo.find(k.parole), std::string::npos) << s.difetti[0].motivo;
  }
}

TEST(TestoVisibile, ControlCharactersAreEscapedAndTheRestKept) {
  EXPECT_EQ(testo_visibile("Stazione \x1b[2J\x07" "fine"), "Stazione \\x1b[2J\\x07" "fine");
  EXPECT_EQ(testo_visibile("a\tb\nc\x7f"), "a\\x09b\\x0ac\\x7f");
  EXPECT_EQ(testo_visibile("C:\\x1b"), "C:\\\\x1b");         // a backslash reads one way
  EXPECT_EQ(testo_visibile("\xc2\x9b" "31m"), "\\u009b" "31m");     // a C1 control, in UTF-8
  EXPECT_EQ(testo_visibile("Citt\xc3\xa0 \xc2\xa0\xe2\x82\xac"), "Citt\xc3\xa0 \xc2\xa0\xe2\x82\xac");
  EXPECT_EQ(testo_visibile(std::string("a\0b", 3)), "a\\x00b");
}

}  // namespace
}  // namespace ispettore
