#include "instrument/ParameterTable.h"
#include "tests/support/KorvantaTestHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testhost::makeInstrument;

namespace {

std::string shown(Korvanta& plug, int idx, double value) {
    char text[IParam::kTextSize] = "";
    plug.GetParam(idx)->GetDisplayForHost(value, false, text, true);
    return text;
}

} // namespace

TEST(KorvantaParameters, EveryParameterIsBuiltFromItsRowAndStartsAtItsDefault) {
    using Kind = ParameterTable::Kind;
    auto plug = makeInstrument();
    ASSERT_EQ(plug->NParams(), 153);
    for (int i = 0; i < 153; ++i) {
        const ParameterTable::Row& r = ParameterTable::row(i);
        const IParam* p = plug->GetParam(i);
        EXPECT_STREQ(p->GetNameForHost(), r.name) << i;
        EXPECT_EQ(p->GetDisplayFunc(), r.display) << i;
        EXPECT_EQ(p->GetDefault(), r.defaultValue) << i;
        EXPECT_DOUBLE_EQ(p->Value(), r.defaultValue) << i;
        EXPECT_EQ(p->Type() == IParam::kTypeEnum, r.kind == Kind::Enum) << i;
        EXPECT_EQ(p->Type() == IParam::kTypeDouble, r.kind == Kind::Double) << i;
        EXPECT_EQ(p->GetMax(), r.kind == Kind::Enum ? r.labelCount - 1 : r.max) << i;
        if (r.kind == Kind::Enum) {
            EXPECT_EQ(p->GetNDisplayTexts(), r.labelCount) << i;
        } else {
            EXPECT_EQ(p->GetMin(), r.min) << i;
        }
        EXPECT_TRUE(r.kind != Kind::Double || (p->GetStep() == r.step && p->GetShape() == r.shape)) << i;
    }
}

TEST(KorvantaParameters, HostsSeeTheSpecifiedTexts) {
    struct Case {
        int idx;
        double value;
        const char* text;
    };
    auto plug = makeInstrument();
    const Case cases[] = {{0, 0.0, "-oo"},   {0, 0.5, "-6.0"},     {78, 1.0, "19912"},
                          {78, 0.0, "8"},    {25, -0.5, "-12.00"}, {73, 0.25, "75:25"},
                          {23, -3.0, "-3"},  {23, 0.0, "+0"},      {2, 6.0, "64"},
                          {22, 1.0, "8'"},   {59, 1.0, "Osc 1"},   {124, 9.0, "1/4"},
                          {137, 8.0, "MW+"}, {1, -0.5, "-50"},     {69, 2.0, "6.0"},
                          {16, 90.0, "90"},  {89, 0.3, "0.30"},    {77, 2.0, "Highpass 24"}};
    for (const Case& c : cases) EXPECT_EQ(shown(*plug, c.idx, c.value), c.text) << c.idx;
}
