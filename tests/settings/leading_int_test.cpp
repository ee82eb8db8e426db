#include "settings/leading_int.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(LeadingIntTest, ReadsSignAndDigitsAfterLeadingWhiteSpace) {
    EXPECT_EQ(ParseLeadingInt("  12xyz"), 12);
    EXPECT_EQ(ParseLeadingInt("\t\n\v\f\r 7"), 7);
    EXPECT_EQ(ParseLeadingInt("+5"), 5);
    EXPECT_EQ(ParseLeadingInt("-7"), -7);
    EXPECT_EQ(ParseLeadingInt("007"), 7);
    EXPECT_EQ(ParseLeadingInt("12 34"), 12);
}

TEST(LeadingIntTest, TextWithoutLeadingDigitsIsZero) {
    EXPECT_EQ(ParseLeadingInt(""), 0);
    EXPECT_EQ(ParseLeadingInt("abc"), 0);
    EXPECT_EQ(ParseLeadingInt("-"), 0);
    EXPECT_EQ(ParseLeadingInt("+-3"), 0);
    EXPECT_EQ(ParseLeadingInt("- 3"), 0);
    EXPECT_EQ(ParseLeadingInt("0x1F"), 0);
    // Only ASCII white space is skipped, as in the C locale.
    EXPECT_EQ(ParseLeadingInt("\xC2\xA0"
                              "5"),
              0);
}

TEST(LeadingIntTest, SaturatesInsteadOfOverflowing) {
    EXPECT_EQ(ParseLeadingInt("2147483647"), kMax);
    EXPECT_EQ(ParseLeadingInt("2147483648"), kMax);
    EXPECT_EQ(ParseLeadingInt("-2147483648"), kMin);
    EXPECT_EQ(ParseLeadingInt("-2147483649"), kMin);
    EXPECT_EQ(ParseLeadingInt(std::string(5000, '9')), kMax);
    EXPECT_EQ(ParseLeadingInt("-" + std::string(5000, '9')), kMin);
}

TEST(LeadingIntTest, WindowTextCountsOnlyItsFirst255Characters) {
    EXPECT_EQ(WindowTextToInt(std::string(254, ' ') + "5"), 5);
    EXPECT_EQ(WindowTextToInt(std::string(255, ' ') + "5"), 0);
    // A number straddling the limit is cut where the limit falls.
    EXPECT_EQ(WindowTextToInt(std::string(253, ' ') + "123"), 12);
    EXPECT_EQ(WindowTextToInt(std::string(300, '9')), kMax);
}

}  // namespace
