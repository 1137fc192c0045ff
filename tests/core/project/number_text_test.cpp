#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

#include "project/number_text.h"
#include "test_support.h"

namespace varlen::project {
namespace {

struct ReadCase {
    const char* text;
    double value;
};

class ReadNumberTest : public ::testing::TestWithParam<ReadCase> {};

// A cell is read the way the program has always read typed text: leading number, blanks ignored.
TEST_P(ReadNumberTest, ReadsTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(ReadNumber(GetParam().text), GetParam().value) << "text: \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Cells, ReadNumberTest,
    ::testing::Values(ReadCase{"2.5", 2.5}, ReadCase{"  -1.5e3", -1500}, ReadCase{"+7", 7},
                      // The results grids put a blank before the exponent; it must not end the number.
                      ReadCase{"+1.234 E+01", 12.34}, ReadCase{"-5. E+02", -500}, ReadCase{"1 2", 12},
                      ReadCase{"", 0}, ReadCase{"abc", 0}, ReadCase{"-", 0}, ReadCase{".", 0},
                      ReadCase{"12abc", 12}, ReadCase{".5", 0.5}, ReadCase{"-.25", -0.25}, ReadCase{"5.", 5},
                      ReadCase{"1D2", 100}, ReadCase{"1E", 1}, ReadCase{"1e-3x", 0.001},
                      ReadCase{"2.5.3", 2.5}, ReadCase{"5-", 5}, ReadCase{"\t3\n", 3}, ReadCase{"1e-400", 0}),
    [](const auto& info) { return test::CaseName(info.index, info.param.text); });

TEST(ReadNumber, OverflowGivesAnInfinityOfTheRightSign) {
    EXPECT_EQ(ReadNumber("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadNumber("-1e400"), -std::numeric_limits<double>::infinity());
}

TEST(IsWholeNumber, AcceptsOnlyAWholeFiniteNumber) {
    for (const char* good : {"", " 2500 ", "-1200", "+5", "1.5E+16", "1e-5", ".5", "5.", "1D3"})
        EXPECT_TRUE(IsWholeNumber(good)) << good;
    for (const char* bad : {"abc", "12abc", "1 2", "1e400", "-", "1.2.3", "5-"})
        EXPECT_FALSE(IsWholeNumber(bad)) << bad;
}

struct FormatCase {
    double value;
    const char* text;
};

class FormatGeneralTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatGeneralTest, WritesTheGeneralForm) {
    EXPECT_EQ(FormatGeneral(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, FormatGeneralTest,
    ::testing::Values(FormatCase{2500, "2500"}, FormatCase{2.5, "2.5"}, FormatCase{-1200, "-1200"},
                      FormatCase{0.5, "0.5"}, FormatCase{-0.0, "0"}, FormatCase{0.0001, "0.0001"},
                      FormatCase{1e-5, "1E-05"}, FormatCase{2.5e16, "2.5E+16"}, FormatCase{1e15, "1E+15"},
                      FormatCase{123456789012345, "123456789012345"}, FormatCase{1e-300, "1E-300"},
                      // 0.1 + 0.2 needs 17 digits to read back as itself; fewer would change the value.
                      FormatCase{0.1 + 0.2, "0.30000000000000004"}, FormatCase{100, "100"}),
    [](const auto& info) { return test::CaseName(info.index, info.param.text); });

class FormatGeneral15Test : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatGeneral15Test, WritesAtMostFifteenDigits) {
    EXPECT_EQ(FormatGeneral15(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, FormatGeneral15Test,
    ::testing::Values(FormatCase{2500, "2500"}, FormatCase{2.5, "2.5"}, FormatCase{-1200, "-1200"},
                      FormatCase{-0.0, "0"}, FormatCase{0.0001, "0.0001"}, FormatCase{1e-5, "1E-05"},
                      FormatCase{1e15, "1E+15"}, FormatCase{123456789012345, "123456789012345"},
                      // The 16th digit rounds the 15th; a carry can reach the first digit and the exponent.
                      FormatCase{1234567890123456, "1.23456789012346E+15"}, FormatCase{0.1 + 0.2, "0.3"},
                      FormatCase{1.0 / 3, "0.333333333333333"}, FormatCase{-2.0 / 3, "-0.666666666666667"},
                      FormatCase{99999.99999999999, "100000"}, FormatCase{999999999999999.9, "1E+15"},
                      FormatCase{0.000099999999999999999, "0.0001"}, FormatCase{1e-300, "1E-300"},
                      FormatCase{5e-324, "4.94065645841247E-324"},
                      FormatCase{1.7976931348623157e308, "1.79769313486232E+308"}),
    [](const auto& info) { return test::CaseName(info.index, info.param.text); });

// Against the C library's "%.15g": the same value, never more than 15 significant digits, and the text
// a whole number the project reader accepts. A slip in the carry or in trimming zeros would show here.
TEST(FormatGeneral15, AgreesWithPrintfFifteenDigits) {
    std::mt19937_64 random(150);
    std::uniform_int_distribution<std::uint64_t> bits;
    int checked = 0;
    while (checked < 100000) {
        const double value = std::bit_cast<double>(bits(random));
        if (!std::isfinite(value)) continue;
        ++checked;
        const std::string text = FormatGeneral15(value);
        char reference[40];
        std::snprintf(reference, sizeof reference, "%.15g", value);
        ASSERT_EQ(ReadNumber(text), ReadNumber(reference)) << text << " vs " << reference;
        int significant = 0;
        for (char c : text.substr(0, text.find('E')))
            if (c >= '0' && c <= '9' && (significant > 0 || c != '0')) ++significant;
        ASSERT_LE(significant, 15) << text;
        ASSERT_TRUE(IsWholeNumber(text)) << text;
    }
}

// The 15 digits are rounded from the shortest round-trip digits; a value whose shortest digits are 16
// ending in 5 sits on a 15-digit midpoint to that precision, and only the exact value rounds it right
// (6.028893906608615 is the double 6.0288939066086149054..., which rounds down). Computed values, like
// the solver's, mostly have 16 or 17 shortest digits.
TEST(FormatGeneral15, RoundsMidpointsAndComputedValuesAsPrintfDoes) {
    auto agrees = [](double value) {
        const std::string text = FormatGeneral15(value);
        char reference[40];
        std::snprintf(reference, sizeof reference, "%.15g", value);
        return ReadNumber(text) == ReadNumber(reference)
                   ? ::testing::AssertionSuccess()
                   : ::testing::AssertionFailure() << text << " vs " << reference;
    };
    EXPECT_EQ(FormatGeneral15(6.028893906608615), "6.02889390660861");
    EXPECT_EQ(FormatGeneral15(2.761873792850455), "2.76187379285046"); // 2.7618737928504550893...
    std::mt19937_64 random(15);
    std::uniform_int_distribution<std::int64_t> mantissa(100000000000000, 999999999999999);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int i = 0; i < 100000; ++i) {
        // A 16-digit decimal ending in 5, read as the nearest double.
        std::string decimal = std::to_string(mantissa(random));
        decimal += "5e";
        decimal += std::to_string(exponent(random));
        ASSERT_TRUE(agrees(std::strtod(decimal.c_str(), nullptr))) << decimal;
    }
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < 100000; ++i) {
        const double value = unit(random) * std::pow(10.0, exponent(random)) / 3.0;
        ASSERT_TRUE(agrees(value)) << value;
    }
    // Below the smallest normal double a value has fewer bits than 15 digits need.
    std::uniform_int_distribution<std::uint64_t> subnormal(1, (std::uint64_t{1} << 52) - 1);
    for (int i = 0; i < 10000; ++i) {
        const double value = std::bit_cast<double>(subnormal(random));
        ASSERT_TRUE(agrees(value)) << value;
    }
}

TEST(FormatFileNumber, FramesWithABlankOrTheSign) {
    EXPECT_EQ(FormatFileNumber(2500), " 2500 ");
    EXPECT_EQ(FormatFileNumber(-1200), "-1200 ");
    EXPECT_EQ(FormatFileNumber(0), " 0 ");
    EXPECT_EQ(FormatFileNumber(-0.0), " 0 ");
}

// Any loss here would move a joint or change a force between saving and opening a project.
TEST(FormatGeneral, EveryDoubleReadsBackToItself) {
    std::mt19937_64 random(20261206);
    std::uniform_int_distribution<std::uint64_t> bits;
    int checked = 0;
    while (checked < 200000) {
        const double value = std::bit_cast<double>(bits(random));
        if (!std::isfinite(value)) continue;
        ++checked;
        const std::string text = FormatGeneral(value);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(ReadNumber(text)),
                  std::bit_cast<std::uint64_t>(value == 0 ? 0.0 : value))
            << text;
        ASSERT_TRUE(IsWholeNumber(text)) << text;
    }
}

TEST(ScaleByPowerOfTen, MovesTheDecimalPointWithoutBinaryRounding) {
    EXPECT_EQ(ScaleByPowerOfTen(2.5, 3), 2500);
    EXPECT_EQ(ScaleByPowerOfTen(-1.2, 3), -1200);
    EXPECT_EQ(ScaleByPowerOfTen(0.0105, 3), 10.5);
    EXPECT_EQ(ScaleByPowerOfTen(10.5, -3), 0.0105);
    // In binary, x * 1000 / 1000 does not always give x back; on the digits it does.
    std::mt19937_64 random(7);
    std::uniform_int_distribution<long long> digits(-999999999999LL, 999999999999LL);
    std::uniform_int_distribution<int> places(0, 9);
    for (int n = 0; n < 100000; ++n) {
        const double metres =
            ReadNumber(std::to_string(digits(random)) + "e-" + std::to_string(places(random)));
        ASSERT_EQ(ScaleByPowerOfTen(ScaleByPowerOfTen(metres, 3), -3), metres) << FormatGeneral(metres);
    }
}

struct ResultCase {
    double value;
    int places;
    const char* text;
};

class ResultFormatTest : public ::testing::TestWithParam<ResultCase> {};

TEST_P(ResultFormatTest, RendersSignMantissaAndExponent) {
    EXPECT_EQ(ResultFormat(GetParam().value, GetParam().places), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Grid, ResultFormatTest,
    ::testing::Values(ResultCase{987.6, 3, "+9.876 E+02"}, ResultCase{-0.00123, 3, "-1.230 E-03"},
                      ResultCase{0, 3, "+0.000 E+00"}, ResultCase{-0.0, 3, "+0.000 E+00"},
                      ResultCase{456.7, 0, "+5. E+02"}, ResultCase{500, 0, "+5. E+02"},
                      // A mantissa that rounds up to 10 is renormalised.
                      ResultCase{9.9996, 3, "+1.000 E+01"}, ResultCase{1.5e-120, 2, "+1.50 E-120"},
                      ResultCase{-123456.789, 10, "-1.2345678900 E+05"}, ResultCase{1, 1, "+1.0 E+00"},
                      // Halves go away from zero, on the decimal digits the results file shows.
                      ResultCase{12.5, 1, "+1.3 E+01"}, ResultCase{0.125, 1, "+1.3 E-01"},
                      ResultCase{-0.125, 1, "-1.3 E-01"}, ResultCase{0.125, 2, "+1.25 E-01"},
                      ResultCase{-2.5, 0, "-3. E+00"}, ResultCase{2.5, 0, "+3. E+00"},
                      // Just below the half in binary, exactly the half in the file's 15 digits.
                      ResultCase{2.675, 2, "+2.68 E+00"}, ResultCase{1.005, 2, "+1.01 E+00"},
                      ResultCase{-99.95, 2, "-1.00 E+02"}, ResultCase{0.3049999, 2, "+3.05 E-01"},
                      ResultCase{0.30499, 2, "+3.05 E-01"}, ResultCase{0.304949, 2, "+3.05 E-01"},
                      ResultCase{0.3044999, 2, "+3.04 E-01"},
                      // Past the 15 digits the places are zeros, as the file has nothing more to show.
                      ResultCase{0.1 + 0.2, 16, "+3.0000000000000000 E-01"},
                      ResultCase{1.0 / 3, 15, "+3.333333333333330 E-01"}),
    [](const auto& info) { return test::CaseName(info.index, info.param.text); });

// The rendering rounds the file's 15 digits half away from zero: checked here with whole-number
// arithmetic on the C library's "%.14e" digits, so neither the carry nor the halves hide a slip.
TEST(ResultFormat, RoundsTheFifteenDigitsHalfAwayFromZero) {
    std::mt19937_64 random(31);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30), places(0, 13), sign(0, 1);
    for (int n = 0; n < 100000; ++n) {
        // Every tenth value is a decimal half at the rounding place, the hard case.
        const int p = places(random);
        double value = mantissa(random) * std::pow(10.0, exponent(random));
        if (n % 10 == 0) {
            char half[64];
            std::snprintf(half, sizeof half, "%.*fe%d", p,
                          std::floor(mantissa(random) * std::pow(10.0, p)) / std::pow(10.0, p),
                          exponent(random));
            value = ReadNumber(std::string(half).insert(std::string(half).find('e'), "5"));
        }
        if (sign(random)) value = -value;
        char digits[40];
        std::snprintf(digits, sizeof digits, "%.14e", std::fabs(value));
        long long whole = 0; // the 15 digits as one integer
        for (const char* c = digits; *c != 'e'; ++c)
            if (*c != '.') whole = whole * 10 + (*c - '0');
        int power = std::atoi(std::strchr(digits, 'e') + 1);
        long long divisor = 1;
        for (int k = 0; k < 14 - p; ++k)
            divisor *= 10;
        long long kept = (whole + divisor / 2) / divisor; // half up on the magnitude
        long long limit = 1;
        for (int k = 0; k <= p; ++k)
            limit *= 10;
        if (kept == limit) {
            kept /= 10;
            ++power;
        }
        std::string expected = std::string(value < 0 ? "-" : "+") + std::to_string(kept);
        expected.insert(2, ".");
        char tail[16];
        std::snprintf(tail, sizeof tail, " E%c%02d", power < 0 ? '-' : '+', std::abs(power));
        ASSERT_EQ(ResultFormat(value, p), expected + tail) << digits << " to " << p << " places";
    }
}

// An overflowed value must never pass for a number in a grid: infinity once rendered as 0.
TEST(ResultFormat, NonFiniteValuesAreNotNumbers) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(ResultFormat(inf, 3), "overflow");
    EXPECT_EQ(ResultFormat(-inf, 0), "overflow");
    EXPECT_EQ(ResultFormat(std::numeric_limits<double>::quiet_NaN(), 3), "not a number");
    for (double v : {inf, -inf, std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ(ResultFormat(v, 3).find_first_of("0123456789"), std::string::npos);
}

// The design reads the grids' text back; the reading must give the rendered value, not its mantissa.
TEST(ResultFormat, ReadsBackAsTheRoundedValue) {
    for (double value : {45.6, -0.004567, 1.23456e7, 0.0})
        for (int places : {0, 1, 3, 6})
            EXPECT_NEAR(ReadNumber(ResultFormat(value, places)), value,
                        std::fabs(value) * 5 * std::pow(10, -places))
                << value << " " << places;
}

} // namespace
} // namespace varlen::project
