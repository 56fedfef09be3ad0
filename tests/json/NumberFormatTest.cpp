#include "json/NumberFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using ujson::FormatCurrency;
using ujson::FormatGeneralNumber;

TEST(FormatGeneralNumber, WritesPlainNotationFromTenThousandthsToBelowTenToTheFifteen) {
  EXPECT_EQ(FormatGeneralNumber(0.0001), u"0.0001");
  EXPECT_EQ(FormatGeneralNumber(3.546), u"3.546");
  EXPECT_EQ(FormatGeneralNumber(100), u"100");
  EXPECT_EQ(FormatGeneralNumber(-2.5), u"-2.5");
  EXPECT_EQ(FormatGeneralNumber(0.1), u"0.1");
  EXPECT_EQ(FormatGeneralNumber(0.00012), u"0.00012");
  EXPECT_EQ(FormatGeneralNumber(999999999999999.0), u"999999999999999");
  EXPECT_EQ(FormatGeneralNumber(123456.789), u"123456.789");
}

TEST(FormatGeneralNumber, WritesScientificNotationOutsideThatRange) {
  EXPECT_EQ(FormatGeneralNumber(0.00001), u"1E-5");
  EXPECT_EQ(FormatGeneralNumber(1e20), u"1E20");
  EXPECT_EQ(FormatGeneralNumber(1e15), u"1E15");
  EXPECT_EQ(FormatGeneralNumber(123456789012345678.0), u"1.23456789012346E17");
  EXPECT_EQ(FormatGeneralNumber(-0.000012345), u"-1.2345E-5");
  EXPECT_EQ(FormatGeneralNumber(std::numeric_limits<double>::max()), u"1.79769313486232E308");
  EXPECT_EQ(FormatGeneralNumber(std::numeric_limits<double>::denorm_min()),
            u"4.94065645841247E-324");
}

TEST(FormatGeneralNumber, RoundsToFifteenSignificantDigitsBeforeChoosingTheNotation) {
  EXPECT_EQ(FormatGeneralNumber(0.1 + 0.2), u"0.3");
  EXPECT_EQ(FormatGeneralNumber(1.0 / 3), u"0.333333333333333");
  EXPECT_EQ(FormatGeneralNumber(2.0 / 3), u"0.666666666666667");
  // Rounding up carries into a new digit and so into the other notation.
  EXPECT_EQ(FormatGeneralNumber(999999999999999.9), u"1E15");
  EXPECT_EQ(FormatGeneralNumber(0.000099999999999999999), u"0.0001");
  // A half rounds away from zero: this integer is exact and has a 5 as its sixteenth digit.
  EXPECT_EQ(FormatGeneralNumber(1000000000000005.0), u"1.00000000000001E15");
  EXPECT_EQ(FormatGeneralNumber(-1000000000000005.0), u"-1.00000000000001E15");
}

TEST(FormatGeneralNumber, NamesZeroInfinitiesAndNotANumber) {
  EXPECT_EQ(FormatGeneralNumber(0.0), u"0");
  EXPECT_EQ(FormatGeneralNumber(-0.0), u"0");
  EXPECT_EQ(FormatGeneralNumber(std::numeric_limits<double>::infinity()), u"INF");
  EXPECT_EQ(FormatGeneralNumber(-std::numeric_limits<double>::infinity()), u"-INF");
  EXPECT_EQ(FormatGeneralNumber(std::nan("")), u"NAN");
}

TEST(FormatCurrency, WritesEveryDigitWithAtMostFourDecimals) {
  EXPECT_EQ(FormatCurrency(125000), u"12.5");
  EXPECT_EQ(FormatCurrency(0), u"0");
  EXPECT_EQ(FormatCurrency(1), u"0.0001");
  EXPECT_EQ(FormatCurrency(-1), u"-0.0001");
  EXPECT_EQ(FormatCurrency(10000), u"1");
  EXPECT_EQ(FormatCurrency(-123456789), u"-12345.6789");
  EXPECT_EQ(FormatCurrency(INT64_MAX), u"922337203685477.5807");
  EXPECT_EQ(FormatCurrency(INT64_MIN), u"-922337203685477.5808");
}

} // namespace
