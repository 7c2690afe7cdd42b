#include <gtest/gtest.h>

#include <string>

#include "tools/demo_tool/options.h"

// Bounds are compared as the float that is stored, and the message prints them
// so that typing them back as printed is accepted.
TEST(Options, FloatBoundsAreAcceptedAsPrinted) {
    const float min = 0.001f, max = 10000000 / 60.0f;
    float value = -1.0f;
    EXPECT_TRUE(readFloatOption("record", "--seconds", "0.001", min, max, value));
    EXPECT_EQ(value, min);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(readFloatOption("record", "--seconds", "0.0009", min, max, value));
    const std::string message = testing::internal::GetCapturedStderr();
    const size_t from = message.find("from "), to = message.find(" to "), end = message.find(" (got");
    ASSERT_NE(end, std::string::npos) << message;
    const std::string low = message.substr(from + 5, to - from - 5), high = message.substr(to + 4, end - to - 4);
    EXPECT_EQ(low, "0.001");
    EXPECT_TRUE(readFloatOption("record", "--seconds", low.c_str(), min, max, value));
    EXPECT_TRUE(readFloatOption("record", "--seconds", high.c_str(), min, max, value)) << high;
    EXPECT_EQ(value, max);

    EXPECT_FALSE(readFloatOption("record", "--seconds", "166667", min, max, value));
    EXPECT_FALSE(readFloatOption("world", "--height-scale", "1e39", -1e30f, 1e30f, value));
}
