#include "core/text_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/host/gbk_text.h"

namespace dv {
namespace {

using test::Gbk;

struct IntCase {
  const char* text;
  std::int32_t expected;
};

TEST(TextToInt, ReadsLeadingDecimalNumber) {
  const IntCase cases[] = {
      // Nothing to read.
      {"", 0}, {"abc", 0}, {"- 5", 0}, {"0x1A", 0}, {"+", 0},
      // Plain numbers, blanks and signs.
      {"12", 12}, {" 12 ", 12}, {"\t\r\n\v\f7", 7}, {"+7", 7}, {"-5", -5}, {"007", 7},
      // The first non-digit ends the number; fractions are cut, not rounded.
      {"1.9", 1}, {"-1.9", -1}, {"1e3", 1}, {"12abc", 12}, {"1,000", 1}, {"--5", 0},
      // Beyond 32 bits the value wraps modulo 2^32.
      {"2147483647", 2147483647}, {"2147483648", -2147483647 - 1}, {"-2147483648", -2147483647 - 1},
      {"4294967296", 0}, {"4294967295", -1}, {"99999999999", 1215752191},
      {"18446744073709551617", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_to_int(c.text), c.expected) << "text: \"" << c.text << '"';
  }
}

TEST(TextToInt, FoldsFullWidthForms) {
  const IntCase cases[] = {
      {"１２", 12},            // full-width digits
      {"－３", -3},            // full-width minus
      {"＋３", 3},             // full-width plus
      {"\xA1\xA1" "８", 8},    // ideographic space before a digit
      {"３０分", 30},          // a Chinese character ends the number
      {"时30", 0},             // ... and before the digits gives nothing
      {"1\xA3", 1},            // a lone lead byte at the end is dropped
      {"\x81\x30" "5", 0},     // an unknown two-byte character is kept as is
      {"２\xA3\xAE" "５", 2},  // full-width full stop ends the number
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_to_int(c.text), c.expected) << "text: " << test::to_utf8(c.text);
  }
}

TEST(FoldFullWidth, MapsTheWholeBlockAndTheSpecialCharacters) {
  EXPECT_EQ(Gbk(fold_full_width("\xA3\xA1\xA3\xFE")), Gbk("!~"));
  EXPECT_EQ(Gbk(fold_full_width("\xA1\xAB\xA1\xEE\xA1\xEF")), Gbk("~**"));
  EXPECT_EQ(Gbk(fold_full_width("时间")), Gbk("时间"));
  // A trail byte in the ASCII range still belongs to its lead byte.
  EXPECT_EQ(Gbk(fold_full_width("\x81" "1" "2")), Gbk("\x81" "12"));
}

struct TextCase {
  double value;
  const char* expected;
};

TEST(NumberToText, WritesThirteenSignificantDigits) {
  const TextCase cases[] = {
      {25.0, "25"}, {-3.0, "-3"}, {0.0, "0"}, {-0.0, "-0"},
      {-2147483648.0, "-2147483648"}, {-2147483649.0, "-2147483649"},
      {0.5, "0.5"}, {1.0 / 3.0, "0.3333333333333"}, {2.0 / 3.0, "0.6666666666667"},
      {0.0001, "0.0001"}, {0.00001, "1e-005"}, {1234567890123.0, "1234567890123"},
      {12345678901234.0, "1.234567890123e+013"}, {1.0e15, "1e+015"},
      {1.0e100, "1e+100"}, {1.5e-300, "1.5e-300"}, {9999999999999.5, "1e+013"},
      {std::numeric_limits<double>::max(), "1.797693134862e+308"},
      {std::numeric_limits<double>::denorm_min(), "4.940656458412e-324"},
      {0.1, "0.1"}, {123456.7890123456, "123456.7890123"}, {0.000025, "2.5e-005"},
      // Exact ties at the 14th digit go to the even neighbour.
      {10000000000005.0, "1e+013"}, {10000000000015.0, "1.000000000002e+013"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Gbk(number_to_text(c.value)), Gbk(c.expected)) << "value: " << c.value;
  }
}

TEST(NumberToText, WholeNumbersRoundTripThroughTextToInt) {
  for (double v : {0.0, 1.0, -1.0, 59.0, 60.0, -300.0, 2147483647.0, -2147483648.0}) {
    EXPECT_EQ(static_cast<double>(text_to_int(number_to_text(v))), v);
  }
}

TEST(TextEqual, ComparesBytesAsTheyStand) {
  EXPECT_TRUE(text_equal("0", "0"));
  EXPECT_TRUE(text_equal("", std::string()));
  for (const char* other : {" 0", "00", "-0", "０", "0 ", ""}) {
    EXPECT_FALSE(text_equal("0", other)) << test::to_utf8(other);
  }
}

TEST(Concat, JoinsInOrderAndTreatsEmptyAsNothing) {
  EXPECT_EQ(Gbk(concat({"1", "小时", "", "分钟"})), Gbk("1小时分钟"));
  EXPECT_EQ(Gbk(concat({"", ""})), Gbk(""));
}

}  // namespace
}  // namespace dv
