#include "plugin/IMidiMsg.h"

#include <array>
#include <gtest/gtest.h>
#include <limits>
#include <string>

TEST(IMidiMsg, PitchWheelEncodingAndDecodingAreInverse) {
    for (const auto& [value, data1, data2] : {std::tuple{-1.0, 0, 0},
                                              {0.0, 0, 0x40},
                                              {2.0, 0x7F, 0x7F},
                                              {std::numeric_limits<double>::quiet_NaN(), 0, 0x40}}) {
        IMidiMsg msg;
        msg.MakePitchWheelMsg(value, 2);
        EXPECT_EQ((std::array<int, 3>{msg.status, msg.data1, msg.data2}), (std::array{0xE2, data1, data2}))
            << value;
        const double expected = ((data2 << 7 | data1) - 8192) / 8192.0;
        EXPECT_DOUBLE_EQ(msg.PitchWheel(), expected) << value;
    }
    EXPECT_DOUBLE_EQ(IMidiMsg(0, 0xB0, 0x7F, 0x7F).PitchWheel(), 0.0);
}
