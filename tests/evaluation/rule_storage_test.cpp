#include "evaluation/rule_storage.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"

#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

namespace {

TEST(RuleStorage, ChangedKeysOnlyAndReadBack) {
    TempDir dir;
    ASSERT_TRUE(dir.Valid());
    const std::string path = dir.File("VRX310.ini");
    WriteFile(path, "[Main]\r\nUnit=1\r\n");
    SettingsFile settings(path);
    EXPECT_EQ(ReadRules(settings), DefaultRules());

    RuleSet after = MakerRules(unitKPa);
    after.Name = "Ottomotor 1,6 l";
    ASSERT_TRUE(WriteRuleChanges(settings, DefaultRules(), after));
    EXPECT_EQ(ReadFile(path), "[Main]\r\nUnit=1\r\n\r\n[Evaluation]\r\nName=Ottomotor 1,6 l\r\n"
                              "AbsoluteMinOn=1\r\nAbsoluteMin=1100\r\nAbsoluteSpreadOn=1\r\n"
                              "AbsoluteSpread=100\r\nAbsoluteUnit=1\r\n");
    EXPECT_EQ(ReadRules(settings), after);

    // Another window changed the leakage bands meanwhile: they stay.
    WriteFile(path, ReadFile(path) + "LeakageGood=8\r\n");
    RuleSet mine = after;
    mine.RelativeMinPercent = 70;
    ASSERT_TRUE(WriteRuleChanges(settings, after, mine));
    const RuleSet read = ReadRules(settings);
    EXPECT_EQ(read.RelativeMinPercent, 70);
    EXPECT_EQ(read.LeakageGood, 8);
}

TEST(RuleStorage, SwitchesOnlyOnWithOne) {
    TempDir dir;
    ASSERT_TRUE(dir.Valid());
    const std::string path = dir.File("VRX310.ini");
    SettingsFile settings(path);
    auto read = [&] {
        EvaluationSettings values;
        settings.Inspect([&](const ProfileText& text) { values = ReadEvaluationSettings(text); });
        return values;
    };
    EXPECT_FALSE(read().Panel);
    EXPECT_FALSE(read().PrintBlock);

    ASSERT_TRUE(WriteEvaluationSwitch(settings, "Panel", true));
    EXPECT_TRUE(read().Panel);
    EXPECT_FALSE(read().PrintBlock);
    ASSERT_TRUE(WriteEvaluationSwitch(settings, "PrintBlock", true));
    ASSERT_TRUE(WriteEvaluationSwitch(settings, "Panel", false));
    EXPECT_FALSE(read().Panel);
    EXPECT_TRUE(read().PrintBlock);

    // Anything but 1 is off; quotes around the value do not count.
    WriteFile(path, "[Evaluation]\r\nPanel=yes\r\nPrintBlock=\"1\"\r\n");
    EXPECT_FALSE(read().Panel);
    EXPECT_TRUE(read().PrintBlock);
    WriteFile(path, "[Evaluation]\r\nPanel=2\r\nPrintBlock=0\r\n");
    EXPECT_FALSE(read().Panel);
    EXPECT_FALSE(read().PrintBlock);
}

TEST(RuleStorage, NonsenseFallsBackRuleByRule) {
    TempDir dir;
    ASSERT_TRUE(dir.Valid());
    const std::string path = dir.File("VRX310.ini");
    WriteFile(path, "[Evaluation]\nName=\nRelativeMin=70\nRelativeSpread=lots\n"
                    "AbsoluteUnit=1\nAbsoluteMin=1100\nAbsoluteSpread=2000\nAbsoluteMinOn="
                    "1\nAbsoluteSpreadOn=1\n"
                    "LeakageGood=25\nLeakageAcceptable=20\nHints=maybe\n");
    const RuleSet r = ReadRules(SettingsFile(path));
    RuleSet expected = DefaultRules();
    expected.RelativeMinPercent = 70; // readable and sensible: kept
    EXPECT_EQ(r, expected);           // the rest: defaults, name "Default"

    WriteFile(path, "[Evaluation]\nRelativeMin=95\n"); // 95 % with 10 %: contradiction
    EXPECT_EQ(ReadRules(SettingsFile(path)), DefaultRules());
    WriteFile(path, "[Evaluation]\nRelativeMin=95\nRelativeSpreadOn=0\n");
    EXPECT_EQ(ReadRules(SettingsFile(path)).RelativeMinPercent, 95);
}

} // namespace
