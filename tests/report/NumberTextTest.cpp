#include <clocale>
#include <cstdio>
#include <random>

#include <gtest/gtest.h>

#include "NumberText.h"

namespace {

// printf in the C locale, whatever locale the test process runs in.
std::string cPrintf(double value)
{
    locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    locale_t previous = uselocale(c);
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.4f", value);
    uselocale(previous);
    freelocale(c);
    return buffer;
}

} // namespace

TEST(NumberText, AtofReadsTheLongestNumberPrefixWithAFullStop)
{
    EXPECT_EQ(AtofC("1.25"), 1.25);
    EXPECT_EQ(AtofC("  \t0.5"), 0.5);
    EXPECT_EQ(AtofC("2"), 2.0);
    EXPECT_EQ(AtofC("1.5abc"), 1.5);
    EXPECT_EQ(AtofC("1,5"), 1.0); // a comma ends the number, as atof in C does
    EXPECT_EQ(AtofC("-0.75"), -0.75);
    EXPECT_EQ(AtofC("+3e2"), 300.0);
    EXPECT_EQ(AtofC(""), 0.0);
    EXPECT_EQ(AtofC("abc"), 0.0);
    EXPECT_EQ(AtofC(" .5"), 0.5);
}

TEST(NumberText, FormatFixedEqualsPrintfInTheCLocale)
{
    for (double v : {0.0, 2.0, 0.5, 1.25, 0.00005, 0.00015, 1.23445, 0.12345, 9999.99995, -0.0, -1.5, 1e20})
        EXPECT_EQ(FormatFixed(v, 4), cPrintf(v)) << v;
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> weights(0.0, 30.0);
    for (int i = 0; i < 20000; ++i) {
        double v = weights(random);
        ASSERT_EQ(FormatFixed(v, 4), cPrintf(v)) << v;
    }
    EXPECT_EQ(FormatFixed(2.0, 4), "2.0000");
}

TEST(NumberText, AtoiTakesTheLeadingDigits)
{
    EXPECT_EQ(AtoiC("12"), 12);
    EXPECT_EQ(AtoiC("12abc"), 12);
    EXPECT_EQ(AtoiC("  -3"), -3);
    EXPECT_EQ(AtoiC("+7"), 7);
    EXPECT_EQ(AtoiC(""), 0);
    EXPECT_EQ(AtoiC("abc"), 0);
    EXPECT_EQ(AtoiC("- 3"), 0);
    EXPECT_EQ(AtoiC("2147483647"), 2147483647);
    EXPECT_EQ(AtoiC("99999999999999999999"), 2147483647);
    EXPECT_EQ(AtoiC("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(AtoiC("-99999999999"), -2147483647 - 1);
}
