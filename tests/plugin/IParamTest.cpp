#include "plugin/IParam.h"

#include <cmath>
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

} // namespace

TEST(IParam, FreshParameterNormalisesOverTheUnitRange) {
    IParam p;
    EXPECT_EQ(p.Type(), IParam::kTypeNone);
    EXPECT_DOUBLE_EQ(p.GetNormalized(0.0), 0.0);
    EXPECT_DOUBLE_EQ(p.GetNormalized(1.0), 1.0);
    EXPECT_DOUBLE_EQ(p.GetNormalized(0.3), 0.3);
}

TEST(IParam, InitialisersSetRangesAndKeepTheFirstType) {
    IParam e;
    e.InitEnum("Mode", 0, 1);
    EXPECT_EQ(e.Type(), IParam::kTypeEnum);
    EXPECT_DOUBLE_EQ(e.GetMax(), 1.0);

    IParam i;
    i.InitInt("Voices", 5, 3, 3);
    EXPECT_DOUBLE_EQ(i.GetMin(), 3.0);
    EXPECT_DOUBLE_EQ(i.GetMax(), 4.0);
    EXPECT_DOUBLE_EQ(i.Value(), 5.0);
    EXPECT_DOUBLE_EQ(i.GetDefault(), 5.0);

    IParam d;
    d.InitDouble("Cutoff", 0.5, 0.0, 1.0, 0.01);
    d.InitInt("Again", 1, 0, 10);
    EXPECT_EQ(d.Type(), IParam::kTypeDouble);
    EXPECT_STREQ(d.GetNameForHost(), "Again");

    IParam narrow;
    narrow.InitDouble("Narrow", 0.0, 2.0, 1.0, 0.5);
    EXPECT_DOUBLE_EQ(narrow.GetMax(), 2.5);

    IParam keepsShape;
    keepsShape.InitDouble("Shape", 0.0, 0.0, 1.0, 0.1, "", "", 0.0);
    EXPECT_DOUBLE_EQ(keepsShape.GetShape(), 1.0);
}

TEST(IParam, DisplayPrecisionFollowsTheStep) {
    const struct {
        double step;
        int precision;
    } cases[] = {{1.0, 0}, {0.1, 1}, {0.01, 2}, {0.005, 3}, {0.001, 3}, {0.3333, 6}, {0.25, 2}};
    for (const auto& c : cases) {
        IParam p;
        p.InitDouble("p", 0.0, 0.0, 10.0, c.step);
        EXPECT_EQ(p.GetPrecision(), c.precision) << c.step;
    }
}

TEST(IParam, SetNormalizedRoundsNonDoublesHalfUpToTheStep) {
    IParam p;
    p.InitInt("Int", 0, 0, 10);
    p.SetNormalized(0.44);
    EXPECT_DOUBLE_EQ(p.Value(), 4.0);
    p.SetNormalized(0.45);
    EXPECT_DOUBLE_EQ(p.Value(), 5.0);
    p.SetNormalized(1.7);
    EXPECT_DOUBLE_EQ(p.Value(), 10.0);

    IParam d;
    d.InitDouble("Double", 0.0, 0.0, 10.0, 1.0);
    d.SetNormalized(0.44);
    EXPECT_DOUBLE_EQ(d.Value(), 4.4);
}

TEST(IParam, ShapeGivesFinerResolutionAtTheLowEnd) {
    IParam p;
    p.InitDouble("Shaped", 0.0, 0.0, 100.0, 0.1, "", "", 2.0);
    p.Set(25.0);
    EXPECT_DOUBLE_EQ(p.GetNormalized(), 0.5);
    p.SetNormalized(0.5);
    EXPECT_DOUBLE_EQ(p.Value(), 25.0);
    EXPECT_DOUBLE_EQ(p.GetNonNormalized(2.0), 400.0);
}

TEST(IParam, NonFiniteOrOutOfRangeHostValuesNeverBecomeTheValue) {
    IParam p;
    p.InitDouble("p", 5.0, -10.0, 10.0, 0.1, "", "", 1.5);
    p.SetNormalized(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(p.Value(), -10.0);
    p.SetNormalized(std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(p.Value(), 10.0);
    p.SetNormalized(-std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(p.Value(), -10.0);
    p.SetNormalized(-0.5); // a negative base with a fractional shape has no real power
    EXPECT_DOUBLE_EQ(p.Value(), -10.0);
    p.Set(std::numeric_limits<double>::quiet_NaN());
    EXPECT_DOUBLE_EQ(p.Value(), -10.0);
    p.Set(1e300);
    EXPECT_DOUBLE_EQ(p.Value(), 10.0);

    IParam e;
    e.InitEnum("e", 0, 4);
    e.SetNormalized(-0.4);
    EXPECT_EQ(e.Int(), 0);
}

TEST(IParam, DisplayTextsForBoolsAndLabels) {
    IParam b;
    b.InitBool("Switch", true, "dB");
    EXPECT_EQ(display(b, 1.0), "on");
    EXPECT_EQ(display(b, 0.0), "off");
    EXPECT_EQ(display(b, 1.0, false, false), "1");
    EXPECT_STREQ(b.GetLabelForHost(), "");

    IParam d;
    d.InitDouble("Level", 0.0, -10.0, 10.0, 0.1, "dB");
    EXPECT_STREQ(d.GetLabelForHost(), "dB");
}

TEST(IParam, NumbersAreTruncatedOrPrintedWithThePrecision) {
    IParam whole;
    whole.InitDouble("Whole", 0.0, -10.0, 10.0, 1.0);
    EXPECT_EQ(display(whole, -0.7), "0");
    EXPECT_EQ(display(whole, 7.9), "7");
    EXPECT_EQ(display(whole, 1e300), "2147483647");

    IParam negated;
    negated.InitDouble("Negated", 0.0, -10.0, 10.0, 0.01);
    negated.SetNegateDisplay(true);
    EXPECT_EQ(display(negated, 1.5), "-1.50");

    IParam shaped;
    shaped.InitDouble("Shaped", 0.0, 0.0, 100.0, 0.1, "", "", 2.0);
    EXPECT_EQ(display(shaped, 0.5, true), "25.0");

    IParam huge;
    huge.InitDouble("Huge", 0.0, 0.0, 1e300, 0.000001);
    EXPECT_EQ(display(huge, 1e300).size(), static_cast<size_t>(IParam::kTextSize - 1));
}

TEST(IParam, DisplayFunctionReplacesAllOtherFormatting) {
    IParam p;
    p.InitEnum("Wave", 0, 3);
    p.SetDisplayText(1, "Saw");
    p.SetDisplayFunc([](double value, char* text) { std::snprintf(text, 32, "f(%g)", value); });
    EXPECT_EQ(display(p, 1.0), "f(1)");
    EXPECT_EQ(display(p, 1.0, true), "f(2)");
}

TEST(IParam, DisplayTextListKeepsInsertionOrderAndExactMatches) {
    IParam p;
    p.InitEnum("Wave", 0, 3);
    p.SetDisplayText(2, "Square");
    p.SetDisplayText(0, "Sine");
    p.SetDisplayText(0, "Again");
    EXPECT_EQ(p.GetNDisplayTexts(), 3);
    EXPECT_STREQ(p.GetDisplayText(0), "Sine");
    EXPECT_STREQ(p.GetDisplayText(1), "");
    int value = -1;
    EXPECT_STREQ(p.GetDisplayTextAtIdx(0, &value), "Square");
    EXPECT_EQ(value, 2);
    EXPECT_STREQ(p.GetDisplayTextAtIdx(3, &value), "");
    EXPECT_TRUE(p.MapDisplayText("Again", &value));
    EXPECT_EQ(value, 0);
    value = 42;
    EXPECT_FALSE(p.MapDisplayText("square", &value));
    EXPECT_EQ(value, 42);

    IParam longText;
    longText.InitEnum("Long", 0, 1);
    longText.SetDisplayText(0, "a display text far longer than thirty-one characters");
    EXPECT_EQ(std::strlen(longText.GetDisplayText(0)), 31u);
}
