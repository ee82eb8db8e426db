#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SettingsFileTest, SectionsAndKeysMatchWithoutRegardToCase) {
    const SettingsFile file = SettingsFile::FromText("[Model_List]\nNO=3\nitem_1=Desk\n");
    EXPECT_EQ(file.GetInt("MODEL_LIST", "No", 0), 3);
    EXPECT_EQ(file.GetString("model_list", "ITEM_1", "", 127), "Desk");
    // Values keep their case.
    EXPECT_EQ(file.GetString("MODEL_LIST", "Item_1", "", 127), "Desk");
}

TEST(SettingsFileTest, MissingSectionKeyOrEmptyNumberGivesTheDefault) {
    const SettingsFile file = SettingsFile::FromText("[A]\nWidth=\nName=\n");
    EXPECT_EQ(file.GetInt("A", "Width", 1000), 1000);
    EXPECT_EQ(file.GetInt("A", "Height", 600), 600);
    EXPECT_EQ(file.GetInt("B", "Width", 7), 7);
    EXPECT_EQ(file.GetString("A", "Name", "dflt", 127), "");
    EXPECT_EQ(file.GetString("A", "Other", "dflt", 127), "dflt");
    EXPECT_EQ(file.GetString("A", "Other", "dflt", 2), "df");
}

TEST(SettingsFileTest, MissingFileReadsAsEmpty) {
    const SettingsFile file =
        SettingsFile::FromText(SettingsFile::ReadText("/nonexistent/dir/Lumikor.ini"));
    EXPECT_EQ(file.GetInt("MODEL_LIST", "No", -3), -3);
    EXPECT_TRUE(file.Keys("MODEL_LIST").empty());
}

TEST(SettingsFileTest, TrimsBlanksAroundNamesAndValues) {
    const SettingsFile file =
        SettingsFile::FromText("  [  Desk 400 ]  \r\n \t Width \t=  400  \r\n Name =  a  b \r\n");
    EXPECT_EQ(file.GetInt("Desk 400", "Width", 0), 400);
    EXPECT_EQ(file.GetString("Desk 400", "Name", "", 127), "a  b");
}

TEST(SettingsFileTest, CommentsAreWholeLinesOnly) {
    const SettingsFile file = SettingsFile::FromText(
        "; leading comment\n[S]\n# Width=1\n  ;Height=2\nName=a;b # c\nWidth=5\n");
    EXPECT_EQ(file.GetInt("S", "Width", 0), 5);
    EXPECT_EQ(file.GetInt("S", "Height", 9), 9);
    EXPECT_EQ(file.GetString("S", "Name", "", 127), "a;b # c");
    EXPECT_EQ(file.Keys("S"), (std::vector<std::string>{"name", "width"}));
}

TEST(SettingsFileTest, FirstSectionAndFirstKeyWin) {
    const SettingsFile file =
        SettingsFile::FromText("[S]\nWidth=1\nwidth=2\n[T]\nWidth=3\n[s]\nWidth=4\nHeight=5\n");
    EXPECT_EQ(file.GetInt("S", "Width", 0), 1);
    EXPECT_EQ(file.GetInt("S", "Height", 0), 0);  // only in the repeated section
    EXPECT_EQ(file.GetInt("T", "Width", 0), 3);
}

TEST(SettingsFileTest, IgnoresLinesThatBelongNowhere) {
    const SettingsFile file =
        SettingsFile::FromText("Width=1\n[S]\njust text\n=5\nWidth=2\n[Open\nWidth=3\n");
    EXPECT_EQ(file.Keys("S"), std::vector<std::string>{"width"});
    EXPECT_EQ(file.GetInt("S", "Width", 0), 2);
    EXPECT_EQ(file.GetInt("Open", "Width", 0), 3);
}

TEST(SettingsFileTest, MatchingQuotesAreRemoved) {
    const SettingsFile file = SettingsFile::FromText(
        "[S]\nA=\"Desk 400\"\nB='x'\nC=\"mixed'\nD=\"\nE=\"\"\nF=\" 12 \"\n");
    EXPECT_EQ(file.GetString("S", "A", "", 127), "Desk 400");
    EXPECT_EQ(file.GetString("S", "B", "", 127), "x");
    EXPECT_EQ(file.GetString("S", "C", "", 127), "\"mixed'");
    EXPECT_EQ(file.GetString("S", "D", "", 127), "\"");
    EXPECT_EQ(file.GetInt("S", "E", 42), 42);  // empty once unquoted
    EXPECT_EQ(file.GetInt("S", "F", 0), 12);
}

TEST(SettingsFileTest, NumbersFollowLeadingIntegerRules) {
    const SettingsFile file =
        SettingsFile::FromText("[S]\nA=-12mm\nB=abc\nC=99999999999\nD=+0x10\nE=-99999999999\n");
    EXPECT_EQ(file.GetInt("S", "A", 1), -12);
    EXPECT_EQ(file.GetInt("S", "B", 1), 0);
    EXPECT_EQ(file.GetInt("S", "C", 1), 2147483647);
    EXPECT_EQ(file.GetInt("S", "D", 1), 0);
    EXPECT_EQ(file.GetInt("S", "E", 1), -2147483647 - 1);
}

TEST(SettingsFileTest, SkipsByteOrderMarkAndReadsLastLineWithoutNewline) {
    const SettingsFile file = SettingsFile::FromText("\xEF\xBB\xBF[S]\r\nWidth=4");
    EXPECT_EQ(file.GetInt("S", "Width", 0), 4);
}

}  // namespace
