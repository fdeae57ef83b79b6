#include "settings/sensor_file.h"

#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The maker's layout: Windows line ends, the verification key with the
// single byte 0xFC.
const std::string kExample = "[Sensorfactor]\r\n"
                             "12345=65432\r\n"
                             "Pr\xFC"
                             "fwert=20\r\n";

std::string WithFactor(const std::string& value) {
    return "[Sensorfactor]\n12345=" + value + "\n";
}

} // namespace

TEST(SensorFileTest, ReadsFactorAndVerificationOfTheMakersLayout) {
    const SensorFile file(kExample);
    EXPECT_EQ(file.Factor("12345"), 65432);
    EXPECT_EQ(file.VerificationValue(), 20);
    EXPECT_EQ(SensorVerificationValue(65432), 20);
    // Another serial number of the same file is simply not there.
    EXPECT_EQ(file.Factor("12346"), 0);
    EXPECT_EQ(file.Factor("1234"), 0);
}

TEST(SensorFileTest, SectionAndKeysIgnoreLetterCase) {
    const SensorFile file("[SENSORFACTOR]\n"
                          "sn-AbC7=71234\n"
                          "PR\xFC"
                          "FWERT=17\n");
    EXPECT_EQ(file.Factor("SN-abc7"), 71234);
    EXPECT_EQ(file.Factor("sn-abc7"), 71234);
    EXPECT_EQ(file.VerificationValue(), 17);

    // Capital Ü, and a serial number with accented letters in other case.
    const std::string capital = "[Sensorfactor]\r\n"
                                "SN-\xC9T\xC9=65432\r\n"
                                "PR\xDC"
                                "FWERT=20\r\n";
    EXPECT_EQ(SensorFile(capital).VerificationValue(), 20);
    EXPECT_EQ(SensorFile(capital).Factor("sn-\xE9t\xE9"), 65432);
    TempDir folder;
    WriteFile(folder.File("capital.sens"), capital);
    EXPECT_EQ(ReadSensorFactor(folder.File("capital.sens"), "Sn-\xC9t\xE9"), 65432);
    EXPECT_EQ(ReadVerificationValue(folder.File("capital.sens")), 20);
}

TEST(SensorFileTest, OnlyWholeDecimalIntegersCount) {
    EXPECT_EQ(SensorFile(WithFactor("  65432  ")).Factor("12345"), 65432);
    EXPECT_EQ(SensorFile(WithFactor("+65432")).Factor("12345"), 65432);
    EXPECT_EQ(SensorFile(WithFactor("\"65432\"")).Factor("12345"), 65432);
    EXPECT_EQ(SensorFile(WithFactor("-70000")).Factor("12345"), -70000);
    for (const char* bad : {"", "65432abc", "6543 2", "6.5e4", "0x10000", "$FFFF", "-", "+",
                            "99999999999", "2147483648", "65432;comment"}) {
        EXPECT_EQ(SensorFile(WithFactor(bad)).Factor("12345"), 0) << bad;
    }
    EXPECT_EQ(SensorFile(WithFactor("2147483647")).Factor("12345"), 2147483647);
    EXPECT_EQ(SensorFile(WithFactor("-2147483648")).Factor("12345"), -2147483647 - 1);
}

TEST(SensorFileTest, KeysOutsideTheSectionAreNotRead) {
    const SensorFile file("12345=65432\n"
                          "Pr\xFC"
                          "fwert=20\n"
                          "[Other]\n12345=70000\n"
                          "[Sensorfactor]\n; 12345=71111\nname=x\n");
    EXPECT_EQ(file.Factor("12345"), 0);
    EXPECT_EQ(file.VerificationValue(), 0);
}

TEST(SensorFileTest, SerialNumbersThatCannotBeKeysFindNothing) {
    const SensorFile file("[Sensorfactor]\n"
                          "a=b=70000\n"
                          "12345=65432\n"
                          ";x=71000\n");
    EXPECT_EQ(file.Factor("a"), 0); // its value is "b=70000"
    EXPECT_EQ(file.Factor("a=b"), 0);
    EXPECT_EQ(file.Factor(""), 0);
    EXPECT_EQ(file.Factor(" 12345"), 0);
    EXPECT_EQ(file.Factor("12345 "), 0);
    EXPECT_EQ(file.Factor("12345\n"), 0);
    EXPECT_EQ(file.Factor(std::string("12345\0", 6)), 0);
    EXPECT_EQ(file.Factor(";x"), 0);
}

TEST(SensorFileTest, PossibleFactorsExcludeBothBounds) {
    EXPECT_FALSE(IsPossibleSensorFactor(0));
    EXPECT_FALSE(IsPossibleSensorFactor(60000));
    EXPECT_TRUE(IsPossibleSensorFactor(60001));
    EXPECT_TRUE(IsPossibleSensorFactor(79999));
    EXPECT_FALSE(IsPossibleSensorFactor(80000));
    EXPECT_FALSE(IsPossibleSensorFactor(-70000));
    EXPECT_EQ(SensorVerificationValue(60001), 7);
    EXPECT_EQ(SensorVerificationValue(79999), 43);
    EXPECT_EQ(SensorVerificationValue(70000), 7);
}

TEST(SensorFileTest, ReadsFilesOnDiskAndRefusesWhatIsNoSensorFile) {
    TempDir folder;
    const std::string path = folder.File("S-12345.sens");
    WriteFile(path, kExample);
    EXPECT_EQ(ReadSensorFactor(path, "12345"), 65432);
    EXPECT_EQ(ReadVerificationValue(path), 20);

    SensorFile file;
    EXPECT_TRUE(file.Load(path));
    EXPECT_EQ(file.Factor("12345"), 65432);

    // A failed load forgets what an earlier one read.
    EXPECT_FALSE(file.Load(folder.File("missing.sens")));
    EXPECT_EQ(file.Factor("12345"), 0);
    EXPECT_FALSE(file.Load(""));
    EXPECT_FALSE(file.Load(folder.Path().string())); // a folder
    EXPECT_EQ(ReadSensorFactor(folder.File("missing.sens"), "12345"), 0);

    // Padded past the limit, the same content is refused whole.
    const std::string big = folder.File("big.sens");
    WriteFile(big, kExample + std::string(SensorFile::MaxBytes, ';'));
    EXPECT_FALSE(file.Load(big));
    EXPECT_EQ(ReadSensorFactor(big, "12345"), 0);
    WriteFile(big, kExample + std::string(SensorFile::MaxBytes - kExample.size(), ';'));
    EXPECT_TRUE(file.Load(big));
    EXPECT_EQ(file.Factor("12345"), 65432);
}
