#include "ui/dialog_template.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace {

TEST(DialogTemplateTest, IdentifiersAreUniqueExceptTheUnnamedLabels) {
    std::set<std::int32_t> seen;
    int unnamed = 0;
    for (const DialogItem& item : kMainDialogControls) {
        if (item.id == IDC_STATIC) {
            ++unnamed;
            EXPECT_EQ(item.kind, ControlKind::Label);
            continue;
        }
        EXPECT_TRUE(seen.insert(item.id).second) << item.id;
    }
    EXPECT_EQ(unnamed, 4);
}

TEST(DialogTemplateTest, EveryControlLiesInsideTheDialog) {
    for (const DialogItem& item : kMainDialogControls) {
        SCOPED_TRACE(item.id);
        EXPECT_GE(item.x, 0);
        EXPECT_GE(item.y, 0);
        EXPECT_GT(item.w, 0);
        EXPECT_GT(item.h, 0);
        EXPECT_LE(item.x + item.w, kDialogWidthDu);
        EXPECT_LE(item.y + item.h, kDialogHeightDu);
    }
}

TEST(DialogTemplateTest, StylesSitOnTheKindsTheyBelongTo) {
    for (const DialogItem& item : kMainDialogControls) {
        SCOPED_TRACE(item.id);
        if (item.style & kStyleDigitsOnly) {
            EXPECT_EQ(item.kind, ControlKind::Edit);
        }
        if (item.style & kStyleRightAlign) {
            EXPECT_EQ(item.kind, ControlKind::Label);
        }
        if (item.style & kStyleDefault) {
            EXPECT_EQ(item.id, IDOK);
        }
        if (item.style & kStyleHidden) {
            EXPECT_EQ(item.kind, ControlKind::PushButton);
        }
    }
    // The delay of engraving and the displacements accept any text.
    EXPECT_TRUE(FindControlSpec(IDC_CUT_DELAY)->style & kStyleDigitsOnly);
    EXPECT_FALSE(FindControlSpec(IDC_ENGRAVE_DELAY)->style & kStyleDigitsOnly);
    EXPECT_FALSE(FindControlSpec(IDC_OFFSET_X)->style & kStyleDigitsOnly);
    EXPECT_EQ(std::string_view(FindControlSpec(IDC_SHOW_CUT_PROCESS)->caption), "Display ");
    EXPECT_EQ(FindControlSpec(4242), nullptr);
}

TEST(DialogTemplateTest, DialogUnitsScaleByQuarterAndEighthBaseUnitsRounded) {
    const PixelRect rect = DialogUnitsToPixels(160, 77, 8, 8, {7, 15});
    EXPECT_EQ(rect.x, 280);  // 160 * 7 / 4
    EXPECT_EQ(rect.y, 144);  // 77 * 15 / 8 = 144.375
    EXPECT_EQ(rect.w, 14);
    EXPECT_EQ(rect.h, 15);
    const PixelRect halves = DialogUnitsToPixels(1, 1, 3, 4, {6, 12});
    EXPECT_EQ(halves.x, 2);  // 1.5 rounds up
    EXPECT_EQ(halves.y, 2);  // 1.5
    EXPECT_EQ(halves.w, 5);  // 4.5
    EXPECT_EQ(halves.h, 6);
    EXPECT_EQ(DialogUnitsToPixels(-1, -1, 0, 0, {6, 12}).x, -2);
}

}  // namespace
