#include "packer/codifica.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace scenario {
namespace {

TEST(Codifica, FieldsAreLittleEndianAndReadBack) {
  std::string b;
  metti_fisso8(b, 0xAB);
  metti_fisso16(b, 5121);
  metti_fisso32(b, static_cast<uint32_t>(-2));
  metti_doppio(b, 4.999999);
  metti_testo(b, "Reg 40318");
  ASSERT_EQ(b.size(), 1u + 2 + 4 + 8 + 2 + 9);
  EXPECT_EQ(b.substr(0, 7), std::string("\xAB\x01\x14\xFE\xFF\xFF\xFF", 7));
  EXPECT_EQ(leggi_fisso16(b, 1), 5121);
  EXPECT_EQ(static_cast<int32_t>(leggi_fisso32(b, 3)), -2);
  EXPECT_EQ(leggi_doppio(b, 7), 4.999999);
  EXPECT_EQ(leggi_fisso16(b, 15), 9);
  EXPECT_EQ(b.substr(17), "Reg 40318");

  // The same fields written into a buffer sized beforehand: the same bytes.
  std::string buffer(b.size(), '\0');
  scrittore_byte s(buffer.data());
  s.fisso8(0xAB);
  s.fisso16(5121);
  s.fisso32(static_cast<uint32_t>(-2));
  s.doppio(4.999999);
  s.testo("Reg 40318");
  EXPECT_EQ(s.posizione(), buffer.data() + buffer.size());
  EXPECT_EQ(buffer, b);
}

TEST(Codifica, RefusesFieldsPastTheEnd) {
  const std::string b("\x01\x02\x03", 3);
  EXPECT_THROW(leggi_fisso16(b, 2), std::out_of_range);
  EXPECT_THROW(leggi_fisso32(b, 0), std::out_of_range);
  EXPECT_THROW(leggi_fisso16(b, 4), std::out_of_range);
  std::string lunga(70000, 'x');
  std::string uscita;
  EXPECT_THROW(metti_testo(uscita, lunga), std::length_error);
}

}  // namespace
}  // namespace scenario
