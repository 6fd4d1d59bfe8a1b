#include "packer/codifica.h"
#include "packer/formato.h"
#include "packer/pacchetti.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

namespace scenario {
namespace {

// Signed fields of a packed buffer.
int16_t leggi16(std::string_view b, size_t da) { return static_cast<int16_t>(leggi_fisso16(b, da)); }
int32_t leggi32(std::string_view b, size_t da) { return static_cast<int32_t>(leggi_fisso32(b, da)); }

modello con_nomi(const std::string& treno, const std::string& linea) {
  modello m;
  m.voci[riga_codici].nome = treno;
  m.voci[riga_linea].nome = linea;
  return m;
}

TEST(CodiciGara, MatchTheReferenceTable) {
  struct caso {
    const char* treno;
    const char* linea;
    const char* stringa;
    int32_t og;
    int32_t st;
  };
  const caso casi[] = {
      {"", "", "aabbccddeeffgghhiillmmnno", 2583, 34355},
      {"A", "BC", "abcaabbccddeeffgghhiillmm", 2546, 33756},
      {"BC", "A", "bcaaabbccddeeffgghhiillmm", 2546, 33753},  // order counts for st only
      {"Reg 40318", "Tarvena-Olmara-Caldone", "reg 40318tarvena-olmara-c", 2184, 29625},
      {"REG 40318", "tarvena-OLMARA-CALDONE", "reg 40318tarvena-olmara-c", 2184, 29625},
      {"Reg 40318", "Tarvena-Olmara-Cxyz, and more", "reg 40318tarvena-olmara-c", 2184, 29625},
  };
  for (const caso& c : casi) {
    const modello m = con_nomi(c.treno, c.linea);
    EXPECT_EQ(stringa_gara(m), c.stringa) << c.treno << "/" << c.linea;
    EXPECT_EQ(codice_gara_og(m), c.og) << c.treno << "/" << c.linea;
    EXPECT_EQ(codice_gara_st(m), c.st) << c.treno << "/" << c.linea;
  }
}

TEST(CodiciGara, NamesAreWindows1252BytesAndItsCapitalsAreLowered) {
  // E grave, S caron, OE, Z caron, Y diaeresis, then the multiplication
  // sign, which is no letter and stays.
  const modello maiuscole = con_nomi("\xC8\x8A\x8C\x8E\x9F\xD7", "");
  const modello minuscole = con_nomi("\xE8\x9A\x9C\x9E\xFF\xD7", "");
  EXPECT_EQ(stringa_gara(maiuscole), stringa_gara(minuscole));
  EXPECT_EQ(stringa_gara(maiuscole).substr(0, 6), "\xE8\x9A\x9C\x9E\xFF\xD7");
  // Bytes count 0 to 255, never negative: 0xFF alone in front of the filler.
  const modello alto = con_nomi("\xFF", "");
  EXPECT_EQ(codice_gara_og(alto), 2583 - 'o' + 255);
  EXPECT_EQ(codice_gara_og(con_nomi(std::string(30, '\xFF'), "")), 25 * 255);
  EXPECT_EQ(codice_gara_st(con_nomi(std::string(30, '\xFF'), "")), 325 * 255);
}

TEST(PacchettoCelle, FifteenBytesPerCellLittleEndianInFieldOrder) {
  modello m;
  m.celle.resize(3);
  cella& c = m.celle[1];
  c.tipo = 12;
  c.valore1 = 5121;
  c.valore2 = -2;
  c.valore3 = 0x1234;
  c.valore4 = -32768;
  c.tempo = 101;
  c.preavviso = 84;
  c.montagna = 3;
  c.velocita = 28;
  c.pendenza = 255;
  c.aderenza = 90;
  m.celle[2].aderenza = 7;
  const std::string b = pacchetto_celle(m);
  ASSERT_EQ(b.size(), 45u);
  EXPECT_EQ(b.substr(0, 15), std::string(15, '\0'));
  const std::string atteso("\x0C\x01\x14\xFE\xFF\x34\x12\x00\x80\x65\x54\x03\x1C\xFF\x5A", 15);
  EXPECT_EQ(b.substr(15, 15), atteso);
  EXPECT_EQ(b[44], 7);
}

TEST(PacchettoVoci, ThirtyFourBytesPerRowPlusItsName) {
  modello m;
  voce& v = m.voci[85];
  v.tipo = 22;
  v.inizio = -400;
  v.fine = 227550;
  v.posizione = 0x01020304;
  v.opzione1 = 1;
  v.nome = "Tarvena-Olmara-Caldone";
  v.dato1 = 610;
  v.dato2 = -1;
  v.dato3 = 13;
  v.dato4 = 55;
  v.dato5 = 20;
  v.opzione2 = 2;
  v.opzione3 = 99;
  v.opzione4 = 4;
  v.opzione5 = 5;
  v.orario = 29625;
  m.voci[86].nome = "Reg 40318";
  m.voci[3].nome = "\xC8";  // one Windows-1252 byte
  const std::string b = pacchetto_voci(m);
  ASSERT_EQ(b.size(), 87u * 34u + 22u + 9u + 1u);

  // Walk the records by their own lengths, as a reader would.
  size_t inizio_record[87];
  size_t p = 0;
  for (int i = 0; i < 87; ++i) {
    inizio_record[i] = p;
    p += 34 + static_cast<size_t>(leggi16(b, p + 14));
  }
  EXPECT_EQ(p, b.size());
  EXPECT_EQ(inizio_record[4] - inizio_record[3], 35u);
  EXPECT_EQ(b.substr(inizio_record[3] + 16, 1), "\xC8");

  const size_t r = inizio_record[85];
  const size_t n = 22;
  EXPECT_EQ(static_cast<unsigned char>(b[r]), 22);
  EXPECT_EQ(leggi32(b, r + 1), -400);
  EXPECT_EQ(leggi32(b, r + 5), 227550);
  EXPECT_EQ(b.substr(r + 9, 4), std::string("\x04\x03\x02\x01", 4));
  EXPECT_EQ(b[r + 13], 1);
  EXPECT_EQ(leggi16(b, r + 14), 22);
  EXPECT_EQ(b.substr(r + 16, n), "Tarvena-Olmara-Caldone");
  EXPECT_EQ(leggi16(b, r + 16 + n), 610);
  EXPECT_EQ(leggi16(b, r + 18 + n), -1);
  EXPECT_EQ(leggi16(b, r + 20 + n), 13);
  EXPECT_EQ(leggi16(b, r + 22 + n), 55);
  EXPECT_EQ(leggi16(b, r + 24 + n), 20);
  EXPECT_EQ(b.substr(r + 26 + n, 4), std::string("\x02\x63\x04\x05", 4));
  EXPECT_EQ(leggi32(b, r + 30 + n), 29625);
  EXPECT_EQ(b.substr(inizio_record[86] + 16, 9), "Reg 40318");
  EXPECT_EQ(inizio_record[86] - inizio_record[85], 34u + 22u);
}

TEST(PacchettoVoci, RejectsANameTooLongForItsLengthField) {
  modello m;
  m.voci[5].nome = std::string(65536, 'a');
  EXPECT_THROW(pacchetto_voci(m), std::length_error);
  m.voci[5].nome = std::string(65535, 'a');
  EXPECT_EQ(pacchetto_voci(m).size(), 87u * 34u + 65535u);
}

// A plan as the loader leaves it for lunghezza_estesa R: rows 0 and 1
// integers, 2 to R - 2 doubles, R - 1 and R empty.
modello con_planimetria(int32_t r) {
  modello m;
  m.planimetria.crea(r);
  m.planimetria.metti_intero(0, 0);
  m.planimetria.metti_intero(0, 1);
  for (int32_t j = 2; j <= r - 2; ++j) m.planimetria.metti_doppio(-0.001 * j, j + 0.5);
  m.planimetria.chiudi();
  return m;
}

TEST(PacchettoLinea, ColumnByColumnWithTypeCodes) {
  const int32_t r = 10;
  const modello m = con_planimetria(r);
  const std::string_view b = pacchetto_linea(m);
  ASSERT_EQ(b.size(), static_cast<size_t>(20 * r - 36));
  const size_t colonna1 = static_cast<size_t>(10 * r - 18);
  EXPECT_EQ(b.substr(0, 8), std::string("\x02\x00\x00\x00\x02\x00\x00\x00", 8));
  EXPECT_EQ(b.substr(colonna1, 8), std::string("\x02\x00\x00\x00\x02\x00\x01\x00", 8));
  for (int32_t j = 2; j <= r - 2; ++j) {
    const size_t p = 8 + 10 * static_cast<size_t>(j - 2);
    EXPECT_EQ(leggi16(b, p), 5) << j;
    EXPECT_EQ(leggi_doppio(b, p + 2), -0.001 * j) << j;
    EXPECT_EQ(leggi16(b, colonna1 + p), 5) << j;
    EXPECT_EQ(leggi_doppio(b, colonna1 + p + 2), j + 0.5) << j;
  }
  EXPECT_EQ(b.substr(colonna1 - 4, 4), std::string(4, '\0'));
  EXPECT_EQ(b.substr(b.size() - 4), std::string(4, '\0'));
  // IEEE 754, lowest byte first: 1.0 is 00 .. 00 F0 3F.
  std::string uno;
  metti_doppio(uno, 1.0);
  EXPECT_EQ(uno, std::string("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8));
}

TEST(PacchettoLinea, AnOpenPlanTableIsNotWritten) {
  modello m;
  m.planimetria.crea(10);
  m.planimetria.metti_intero(0, 0);
  EXPECT_THROW(pacchetto_linea(m), std::logic_error);
}

// The writers and the layouts the inspector reads by (formato.h) agree:
// every field, given a value of its own, is found at its offset.
TEST(Formato, EveryFieldIsWhereTheLayoutSaysTheWriterPutsIt) {
  namespace cv = formato::campo_voce;
  namespace cc = formato::campo_cella;
  modello m;
  m.voci[0] = {1, 2, 3, 4, 5, "abc", 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  m.celle.resize(2);
  m.celle[1] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  const std::string v = pacchetto_voci(m);
  const size_t n = 3;
  EXPECT_EQ(v[cv::tipo], 1);
  EXPECT_EQ(leggi32(v, cv::inizio), 2);
  EXPECT_EQ(leggi32(v, cv::fine), 3);
  EXPECT_EQ(leggi32(v, cv::posizione), 4);
  EXPECT_EQ(v[cv::opzione1], 5);
  EXPECT_EQ(leggi16(v, cv::nome), 3);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(leggi16(v, cv::dato1(n) + 2 * k), 6 + k) << "dato" << k + 1;
  for (int k = 0; k < 4; ++k) EXPECT_EQ(v[cv::opzione2(n) + k], 11 + k) << "opzione" << k + 2;
  EXPECT_EQ(leggi32(v, cv::orario(n)), 15);
  EXPECT_EQ(leggi16(v, formato::byte_voce + n + cv::nome), 0);  // the next record's name

  const std::string c = pacchetto_celle(m);
  ASSERT_EQ(c.size(), 2 * formato::byte_cella);
  const size_t p = formato::byte_cella * formato::cella_testata;
  EXPECT_EQ(c[p + cc::tipo], 1);
  const size_t valori[] = {cc::valore1, cc::valore2, cc::valore3, cc::valore4};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(leggi16(c, p + valori[k]), 2 + k) << "valore" << k + 1;
  const size_t byte[] = {cc::tempo, cc::preavviso, cc::montagna, cc::velocita, cc::pendenza,
                         cc::aderenza};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(c[p + byte[k]], 6 + k) << k;

  const modello piano = con_planimetria(10);
  EXPECT_EQ(pacchetto_linea(piano).size(),
            static_cast<size_t>(formato::byte_pacchetto_linea(10)));
}

}  // namespace
}  // namespace scenario
