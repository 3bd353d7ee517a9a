#include "plugin/IParam.h"

#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

std::string display(const IParam& p, double value, bool normalized = false, bool withText = true) {
    char text[IParam::kTextSize];
    std::memset(text, 'x', sizeof(text));
    p.GetDisplayForHost(value, normalized, text, withText);
    return text;
}

IParam makeDouble(double min, double max, double step, double shape = 1.0) {
    IParam p;
    p.InitDouble("p", 0.0, min, max, step, "", "", shape);
    return p;
}

} // namespace

TEST(IParam, InitialisersWidenEmptyRanges) {
    IParam i;
    i.InitInt("Voices", 5, 3, 3);
    EXPECT_EQ((std::array{i.GetMin(), i.GetMax(), i.Value(), i.GetDefault()}),
              (std::array{3.0, 4.0, 5.0, 5.0}));

    EXPECT_DOUBLE_EQ(makeDouble(2.0, 1.0, 0.5).GetMax(), 2.5);
    EXPECT_DOUBLE_EQ(makeDouble(0.0, 1.0, 0.1, 0.0).GetShape(), 1.0);
}

TEST(IParam, DisplayPrecisionFollowsTheStep) {
    for (const auto& [step, precision] : {std::pair{1.0, 0}, {0.01, 2}, {0.005, 3}, {0.3333, 6}})
        EXPECT_EQ(makeDouble(0.0, 10.0, step).GetPrecision(), precision) << step;
}

TEST(IParam, SetNormalizedRoundsNonDoublesHalfUpToTheStepAndShapesDoubles) {
    IParam p;
    p.InitInt("Int", 0, 0, 10);
    for (const auto& [normalized, plain] : {std::pair{0.44, 4.0}, {0.45, 5.0}, {1.7, 10.0}}) {
        p.SetNormalized(normalized);
        EXPECT_DOUBLE_EQ(p.Value(), plain) << normalized;
    }
    IParam d = makeDouble(0.0, 10.0, 1.0);
    d.SetNormalized(0.44);
    EXPECT_DOUBLE_EQ(d.Value(), 4.4);

    IParam shaped = makeDouble(0.0, 100.0, 0.1, 2.0);
    shaped.Set(25.0);
    EXPECT_DOUBLE_EQ(shaped.GetNormalized(), 0.5);
    shaped.SetNormalized(0.5);
    EXPECT_DOUBLE_EQ(shaped.Value(), 25.0);
    EXPECT_DOUBLE_EQ(shaped.GetNonNormalized(2.0), 400.0);
}

TEST(IParam, NonFiniteOrOutOfRangeHostValuesNeverBecomeTheValue) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN(),
                     kInf = std::numeric_limits<double>::infinity();
    IParam p = makeDouble(-10.0, 10.0, 0.1, 1.5);
    // A negative base with a fractional shape has no real power.
    for (const auto& [normalized, plain] : {std::pair{kNaN, -10.0}, {kInf, 10.0}, {-0.5, -10.0}}) {
        p.SetNormalized(normalized);
        EXPECT_DOUBLE_EQ(p.Value(), plain) << normalized;
    }
    p.Set(kNaN);
    EXPECT_DOUBLE_EQ(p.Value(), -10.0);
    IParam e;
    e.InitEnum("e", 0, 4);
    e.SetNormalized(-0.4);
    EXPECT_EQ(e.Int(), 0);
}

TEST(IParam, DisplayTextsForBoolsNumbersAndLabels) {
    IParam b;
    b.InitBool("Switch", true, "dB");
    EXPECT_EQ(display(b, 1.0) + display(b, 0.0) + display(b, 1.0, false, false), "onoff1");
    EXPECT_STREQ(b.GetLabelForHost(), "");
    IParam d;
    d.InitDouble("Level", 0.0, -10.0, 10.0, 0.1, "dB");
    EXPECT_STREQ(d.GetLabelForHost(), "dB");

    const IParam whole = makeDouble(-10.0, 10.0, 1.0);
    EXPECT_EQ(display(whole, -0.7) + " " + display(whole, 7.9) + " " + display(whole, 1e300),
              "0 7 2147483647");
    IParam negated = makeDouble(-10.0, 10.0, 0.01);
    negated.SetNegateDisplay(true);
    EXPECT_EQ(display(negated, 1.5), "-1.50");
    EXPECT_EQ(display(makeDouble(0.0, 100.0, 0.1, 2.0), 0.5, true), "25.0");
    EXPECT_EQ(display(makeDouble(0.0, 1e300, 0.000001), 1e300).size(),
              static_cast<size_t>(IParam::kTextSize - 1));
}
