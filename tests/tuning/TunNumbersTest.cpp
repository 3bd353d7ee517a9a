#include "TunNumbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

TEST(TunNumbers, ParsesPlainDecimalsOnly) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    for (const Case& c : {Case{"12.5", true, 12.5}, Case{"+.5", true, 0.5}, Case{"-5.", true, -5.0},
                          Case{"1e3", true, 1000.0}, Case{"1.5E-2", true, 0.015}, Case{"1e-400", false, 0},
                          Case{"1e400", false, 0}, Case{"inf", false, 0}, Case{"nan", false, 0},
                          Case{"0x10", false, 0}, Case{"", false, 0}, Case{".", false, 0},
                          Case{"1e", false, 0}, Case{" 1", false, 0}, Case{"1,5", false, 0}}) {
        double value = -7.0;
        EXPECT_EQ(TUN::ParseDecimal(c.text, value), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(value, c.ok ? c.value : -7.0) << c.text;
    }
}

TEST(TunNumbers, IgnoresTheHostsLocale) {
    // A host may run with a locale whose decimal separator is a comma.
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "no comma-decimal locale installed";
    double value = 0.0;
    const bool ok = TUN::ParseDecimal("2.25", value);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(value, 2.25);
}

TEST(TunNumbers, ReadsIntegersWhole) {
    int64_t value = 0;
    EXPECT_TRUE(TUN::ParseInteger("-9223372036854775808", value));
    EXPECT_EQ(value, std::numeric_limits<int64_t>::min());
    EXPECT_FALSE(TUN::ParseInteger("9223372036854775808", value));
    EXPECT_FALSE(TUN::ParseInteger("12 ", value));
    EXPECT_FALSE(TUN::ParseInteger("1.0", value));
    EXPECT_TRUE(TUN::ParseInteger("+42", value));
    EXPECT_EQ(value, 42);
}

TEST(TunNumbers, LeadingNumbersReadLikeTheCLibrary) {
    EXPECT_EQ(TUN::LeadingInteger("  17 keys"), 17);
    EXPECT_EQ(TUN::LeadingInteger("x"), 0);
    EXPECT_EQ(TUN::LeadingInteger("-99999999999999999999"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(TUN::LeadingInteger("99999999999999999999"), std::numeric_limits<int64_t>::max());
    EXPECT_DOUBLE_EQ(TUN::LeadingDecimal("\t261.5 Hz"), 261.5);
    EXPECT_DOUBLE_EQ(TUN::LeadingDecimal("Hz"), 0.0);
    EXPECT_DOUBLE_EQ(TUN::LeadingDecimal("1e-999"), 0.0);
    EXPECT_EQ(TUN::LeadingDecimal("-1e999"), -std::numeric_limits<double>::infinity());
}
