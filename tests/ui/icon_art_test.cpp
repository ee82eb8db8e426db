#include "ui/icon_art.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t At(const std::vector<std::uint32_t>& icon, int size, double u, double v) {
    return icon[static_cast<std::size_t>(v * size) * size + static_cast<std::size_t>(u * size)];
}

TEST(IconArtTest, DrawsHeadBeamAndBedOnATransparentGround) {
    constexpr int kSize = 64;
    const std::vector<std::uint32_t> icon = DrawAppIcon(kSize);
    ASSERT_EQ(icon.size(), std::size_t{kSize} * kSize);
    EXPECT_EQ(At(icon, kSize, 0.01, 0.01) >> 24, 0u);   // corner: clear
    EXPECT_EQ(At(icon, kSize, 0.5, 0.28) >> 24, 255u);  // the head: opaque
    const std::uint32_t beam = At(icon, kSize, 0.5, 0.55);
    EXPECT_GT((beam >> 16) & 0xFF, 200u);  // red
    EXPECT_LT((beam >> 8) & 0xFF, 100u);
    EXPECT_EQ(At(icon, kSize, 0.2, 0.85) >> 24, 255u);  // the bed
}

TEST(IconArtTest, RefusesSizesOutsideItsRange) {
    EXPECT_TRUE(DrawAppIcon(0).empty());
    EXPECT_TRUE(DrawAppIcon(1025).empty());
    EXPECT_EQ(DrawAppIcon(1).size(), 1u);
}

}  // namespace
