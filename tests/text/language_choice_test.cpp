#include "text/language_choice.h"

#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class LanguageChoiceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.Valid()); }

    std::string Touch(const std::string& name) {
        const fs::path p = dir_ / name;
        std::ofstream(p) << "module";
        return p.string();
    }

    TempDir folder_;
    const fs::path dir_ = folder_.Path();
};

} // namespace

TEST_F(LanguageChoiceTest, GermanModuleInTheCurrentFolder) {
    Touch("VRX310_Application.DEU");
    const LanguageChoice c = ChooseLanguage(dir_.string());
    EXPECT_TRUE(c.German);
    EXPECT_EQ(c.LocaleId, 1031u);
    EXPECT_EQ(c.Formats.DateSeparator, '.');
    EXPECT_EQ(c.Formats.ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(c.Formats.LongTimeFormat, "hh:mm:ss");
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 24;
    EXPECT_EQ(FormatShortDate(t, c.Formats), "24.12.2026");
}

TEST_F(LanguageChoiceTest, LowerCaseExtensionAndTrailingSlash) {
    Touch("VRX310_Application.deu");
    EXPECT_TRUE(ChooseLanguage(dir_.string()).German);
    const LanguageChoice c = ChooseLanguage(dir_.string() + "/");
    EXPECT_TRUE(c.German);
    EXPECT_EQ(c.Formats.DateSeparator, '.');
}

TEST_F(LanguageChoiceTest, EnglishWhenTheModuleIsElsewhere) {
    fs::create_directory(dir_ / "program");
    std::ofstream(dir_ / "program" / "VRX310_Application.DEU") << "module";
    // Started from another folder than the program's own.
    const LanguageChoice c = ChooseLanguage(dir_.string());
    EXPECT_FALSE(c.German);
    EXPECT_EQ(c.LocaleId, 2057u);
    EXPECT_EQ(c.Formats.DateSeparator, '-');
    EXPECT_EQ(c.Formats.ShortDateFormat, "yyyy/mm/dd");
    EXPECT_EQ(c.Formats.LongTimeFormat, "hh:mm:ss");
}

TEST_F(LanguageChoiceTest, OtherNamesAndFoldersDoNotCount) {
    Touch("VRX310_Application.DE");
    Touch("Other.DEU");
    fs::create_directory(dir_ / "VRX310_Application.DEU"); // a folder, not a module
    EXPECT_FALSE(ChooseLanguage(dir_.string()).German);
}

TEST(ResourceModuleCandidates, FollowTheProgramsOwnName) {
    // The German test looks for the fixed name; the module is looked for
    // under whatever the program file is called.
    const auto werkstatt = ResourceModuleCandidates("/opt/vrx/Werkstatt.exe", LocaleGerman);
    ASSERT_EQ(werkstatt.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(werkstatt.begin(), werkstatt.begin() + 2),
              (std::vector<std::string>{"/opt/vrx/Werkstatt.DEU", "/opt/vrx/Werkstatt.DE"}));
    EXPECT_EQ(ResourceModuleCandidates("/opt/x/VRX310_Application", LocaleEnglishUK).front(),
              "/opt/x/VRX310_Application.ENG");
    EXPECT_EQ(
        ResourceModuleCandidates("C:\\Werkstatt\\VRX310_Application.exe", LocaleGerman).front(),
        "C:\\Werkstatt\\VRX310_Application.DEU");
}

TEST(ResourceModuleCandidates, BesideTheProgramThenInTheInstalledPrivateFolder) {
    EXPECT_EQ(ResourceModuleCandidates("/usr/bin/VRX310_Application", LocaleGerman),
              (std::vector<std::string>{"/usr/bin/VRX310_Application.DEU",
                                        "/usr/bin/VRX310_Application.DE",
                                        "/usr/bin/../lib/vrx310/VRX310_Application.DEU",
                                        "/usr/bin/../lib/vrx310/VRX310_Application.DE"}));
    // A program named without its folder has only its own name to go by.
    EXPECT_EQ(ResourceModuleCandidates("VRX310_Application", LocaleGerman),
              (std::vector<std::string>{"VRX310_Application.DEU", "VRX310_Application.DE"}));
}

TEST(ResourceModuleCandidates, OnlyTheFileNameHasAnExtension) {
    EXPECT_EQ(ResourceModuleCandidates("/opt/v1.2/prog", LocaleGerman).front(),
              "/opt/v1.2/prog.DEU");
    EXPECT_EQ(ResourceModuleCandidates("/opt/v1.2/prog.bin", LocaleGerman).front(),
              "/opt/v1.2/prog.DEU");
    EXPECT_EQ(ResourceModuleCandidates("C:\\v1.2\\prog", LocaleGerman).front(),
              "C:\\v1.2\\prog.DEU");
    EXPECT_EQ(ResourceModuleCandidates("/opt/prog.tar.gz", LocaleGerman).front(),
              "/opt/prog.tar.DEU");
}

TEST(ResourceModuleCandidates, NothingWithoutALanguageNameOrFileName) {
    EXPECT_TRUE(ResourceModuleCandidates("/opt/x/VRX310_Application", 1033).empty());
    EXPECT_TRUE(ResourceModuleCandidates("/opt/x/", LocaleGerman).empty());
    EXPECT_TRUE(ResourceModuleCandidates("", LocaleGerman).empty());
    EXPECT_EQ(LocaleAbbrevName(1031), "DEU");
    EXPECT_EQ(LocaleAbbrevName(2057), "ENG");
    EXPECT_EQ(LocaleAbbrevName(0), "");
}
