#ifdef _WIN32
#include <windows.h>
#endif

#include "fileio/safe_file.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"

#include "tests/common/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    std::string Ini() const { return folder_.File("VRX310.ini"); }
    TempDir folder_;
};

} // namespace

TEST_F(SettingsFileTest, NoFileGivesEveryDefaultAndCreatesNothing) {
    const SettingsFile settings(Ini());
    const MainWindowSettings main = ReadMainWindowSettings(settings);
    EXPECT_EQ(main.X, 10);
    EXPECT_EQ(main.Y, 10);
    EXPECT_EQ(main.Unit, 0);
    EXPECT_FALSE(main.AutoClear);
    EXPECT_EQ(main.LastUser, 0);
    EXPECT_TRUE(ReadOperatorNames(settings).empty());
    const CompanyDetails company = ReadCompanyDetails(settings);
    for (const std::string* s :
         {&company.Name, &company.Address, &company.City, &company.Phone, &company.Fax,
          &company.Email, &company.Website, &company.VerzFirmenlogo}) {
        EXPECT_EQ(*s, "");
    }
    for (const char* section : {"Names", "Company", "ChgSens"}) {
        const WindowPosition pos = ReadWindowPosition(settings, section);
        EXPECT_EQ(pos.X, 20) << section;
        EXPECT_EQ(pos.Y, 20) << section;
    }
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(SettingsFileTest, ValuesAsTheWindowsProgramReadsThem) {
    WriteFile(Ini(), "[Main]\r\n"
                     "x=12abc\r\n"
                     "y=-7\r\n"
                     "Unit=kPa\r\n"
                     "AutoClear=2\r\n"
                     "[Names]\r\n"
                     "LastUser=5\r\n"
                     "[Company]\r\n"
                     "x=99999999999\r\n"
                     "y=+3\r\n"
                     "[ChgSens]\r\n"
                     "x=- 4\r\n"
                     "y=yes\r\n");
    SettingsFile settings(Ini());
    const MainWindowSettings main = ReadMainWindowSettings(settings);
    EXPECT_EQ(main.X, 12); // the leading number
    EXPECT_EQ(main.Y, -7);
    EXPECT_EQ(main.Unit, 0); // not a number: the default
    EXPECT_TRUE(main.AutoClear);
    EXPECT_EQ(main.LastUser, 5); // the caller finds it outside the list
    EXPECT_EQ(ReadWindowPosition(settings, "Company").X, 20); // beyond int
    EXPECT_EQ(ReadWindowPosition(settings, "Company").Y, 3);
    EXPECT_EQ(ReadWindowPosition(settings, "ChgSens").X, 20);
    EXPECT_FALSE(settings.ReadBool("ChgSens", "y", false));
    EXPECT_TRUE(settings.ReadBool("ChgSens", "y", true));
    EXPECT_TRUE(settings.ReadBool("Main", "x", false)); // 12 is true

    // AutoClear "2" goes back as "1".
    WriteMainWindowSettings(settings, main);
    EXPECT_EQ(settings.ReadString("Main", "AutoClear", ""), "1");
    EXPECT_EQ(settings.ReadString("Main", "x", ""), "12");
}

TEST_F(SettingsFileTest, MainWindowValuesAreWrittenInTheirOrder) {
    SettingsFile settings(Ini());
    MainWindowSettings values;
    values.X = 140;
    values.Y = -3;
    values.Unit = 2;
    values.AutoClear = true;
    values.LastUser = -1;
    WriteMainWindowSettings(settings, values);
    EXPECT_EQ(ReadFile(Ini()), "[Main]\r\n"
                               "x=140\r\n"
                               "y=-3\r\n"
                               "Unit=2\r\n"
                               "AutoClear=1\r\n"
                               "\r\n"
                               "[Names]\r\n"
                               "LastUser=-1\r\n");
    const MainWindowSettings back = ReadMainWindowSettings(settings);
    EXPECT_EQ(back.X, 140);
    EXPECT_EQ(back.Y, -3);
    EXPECT_EQ(back.Unit, 2);
    EXPECT_TRUE(back.AutoClear);
    EXPECT_EQ(back.LastUser, -1);
}

TEST_F(SettingsFileTest, CompanyDetailsRoundTripInTheirOrder) {
    SettingsFile settings(Ini());
    CompanyDetails d{"Autohaus M\xFCller",
                     "Hauptstra\xDF"
                     "e 1",
                     "12345 Ort",
                     "0123",
                     "0124",
                     "info@example.com",
                     "www.example.com",
                     "/home/u/logo.jpg"};
    WriteCompanyDetails(settings, d);
    EXPECT_EQ(ReadFile(Ini()), "[Company]\r\n"
                               "Name=Autohaus M\xFCller\r\n"
                               "Address=Hauptstra\xDF"
                               "e 1\r\n"
                               "City=12345 Ort\r\n"
                               "Phone=0123\r\n"
                               "Fax=0124\r\n"
                               "Email=info@example.com\r\n"
                               "Website=www.example.com\r\n"
                               "VerzFirmenlogo=/home/u/logo.jpg\r\n");
    EXPECT_EQ(ReadCompanyDetails(settings).VerzFirmenlogo, d.VerzFirmenlogo);
}

TEST_F(SettingsFileTest, OperatorListWithAGap) {
    WriteFile(Ini(), "[Names]\r\n0=Anna\r\n1=Bert\r\n3=Dora\r\nLastUser=1\r\n");
    SettingsFile settings(Ini());
    EXPECT_EQ(ReadOperatorNames(settings), (OperatorNames{"Anna", "Bert"}));

    // Two names: key 3 is neither read nor deleted.
    RewriteOperatorNames(settings, 2, {"Carl", "Anna"});
    EXPECT_EQ(ReadOperatorNames(settings), (OperatorNames{"Carl", "Anna"}));
    EXPECT_EQ(settings.ReadString("Names", "3", ""), "Dora");

    // Three names: the old key 3 follows them as a fourth.
    RewriteOperatorNames(settings, 2, {"Carl", "Anna", "Emil"});
    EXPECT_EQ(ReadOperatorNames(settings), (OperatorNames{"Carl", "Anna", "Emil", "Dora"}));
    EXPECT_EQ(settings.ReadInteger("Names", "LastUser", 0), 1);
}

TEST_F(SettingsFileTest, RewritingTheOperatorList) {
    WriteFile(Ini(), "[Names]\r\n0=A\r\n1=B\r\n2=C\r\nLastUser=2\r\n");
    SettingsFile settings(Ini());
    // An empty entry would hide the names after it at the next start.
    RewriteOperatorNames(settings, 3, {"A", "", "C"});
    EXPECT_EQ(ReadOperatorNames(settings), (OperatorNames{"A", "C"}));
    EXPECT_EQ(settings.ReadString("Names", "2", "gone"), "gone");

    // All deleted: no numbered key stays.
    RewriteOperatorNames(settings, 2, {});
    EXPECT_EQ(ReadFile(Ini()), "[Names]\r\nLastUser=2\r\n");

    OperatorNames names;
    AppendOperatorName(settings, names, "Zoe");
    AppendOperatorName(settings, names, "Yann");
    EXPECT_EQ(names, (OperatorNames{"Zoe", "Yann"}));
    EXPECT_EQ(ReadOperatorNames(settings), names);
}

// Two windows edit one file, each from what it read earlier: neither loses
// what the other stored meanwhile.
TEST_F(SettingsFileTest, EditsFromAnOlderReadingKeepTheOtherWindowsChanges) {
    SettingsFile settings(Ini());
    WriteFile(Ini(), "[Names]\r\n0=Anna\r\n1=Bert\r\n[Company]\r\nName=Old\r\nCity=Kiel\r\n");
    const OperatorNames seen = ReadOperatorNames(settings);
    const CompanyDetails company = ReadCompanyDetails(settings);
    // The other window adds Carl, drops Bert and renames the company.
    OperatorNames other = seen;
    AppendOperatorName(settings, other, "Carl");
    EXPECT_EQ(MergeOperatorNames(settings, other, {"Anna", "Carl"}),
              (OperatorNames{"Anna", "Carl"}));
    CompanyDetails renamed = company;
    renamed.Name = "New";
    WriteCompanyChanges(settings, company, renamed);

    // This window adds Dora, renames Anna and changes the city only.
    EXPECT_EQ(MergeOperatorNames(settings, seen, {"Anne", "Bert", "Dora"}),
              (OperatorNames{"Anne", "Dora", "Carl"}));
    EXPECT_EQ(ReadOperatorNames(settings), (OperatorNames{"Anne", "Dora", "Carl"}));
    CompanyDetails moved = company;
    moved.City = "Bonn";
    WriteCompanyChanges(settings, company, moved);
    EXPECT_EQ(ReadCompanyDetails(settings).Name, "New");
    EXPECT_EQ(ReadCompanyDetails(settings).City, "Bonn");
    // A name the file holds already is not appended twice.
    OperatorNames names;
    AppendOperatorName(settings, names, "Carl");
    EXPECT_EQ(names, (OperatorNames{"Anne", "Dora", "Carl"}));
}

TEST_F(SettingsFileTest, ACancelledDialogChangesOnlyItsPosition) {
    const std::string before = "[Names]\r\n0=A\r\n1=B\r\nLastUser=1\r\nx=20\r\ny=20\r\n"
                               "[Company]\r\nName=N\r\nx=5\r\n";
    WriteFile(Ini(), before);
    SettingsFile settings(Ini());
    WriteWindowPosition(settings, "Names", {300, 40});
    EXPECT_EQ(ReadFile(Ini()), "[Names]\r\n0=A\r\n1=B\r\nLastUser=1\r\nx=300\r\ny=40\r\n"
                               "[Company]\r\nName=N\r\nx=5\r\n");
    WriteWindowPosition(settings, "Company", {7, 8});
    EXPECT_EQ(ReadWindowPosition(settings, "Company").X, 7);
    EXPECT_EQ(ReadWindowPosition(settings, "Company").Y, 8);
    EXPECT_EQ(settings.ReadString("Company", "Name", ""), "N");
}

TEST_F(SettingsFileTest, AHandWrittenWindowsFileSurvivesAWrite) {
    const std::string handWritten = "; VRX310 settings, edited by hand\r\n"
                                    "[MAIN]\r\n"
                                    "X = 25\r\n"
                                    "Y = 30\r\n"
                                    "; 1 = kPa\r\n"
                                    "Unit = 1\r\n"
                                    "\r\n"
                                    "[Names]\r\n"
                                    "0 = J\xFCrgen\r\n"
                                    "1=Hans\r\n"
                                    "\r\n"
                                    "[Workshop tools]\r\n"
                                    "Torque=120\r\n"
                                    "; end of file\r\n";
    WriteFile(Ini(), handWritten);
    SettingsFile settings(Ini());
    const MainWindowSettings main = ReadMainWindowSettings(settings);
    EXPECT_EQ(main.X, 25);
    EXPECT_EQ(main.Y, 30);
    EXPECT_EQ(main.Unit, 1);
    EXPECT_EQ(ReadOperatorNames(settings), (OperatorNames{"J\xFCrgen", "Hans"}));

    // The same value again leaves the file as it is, blanks and all.
    EXPECT_TRUE(settings.WriteInteger("Main", "x", 25));
    EXPECT_EQ(ReadFile(Ini()), handWritten);
    EXPECT_TRUE(settings.WriteInteger("Main", "y", 31));
    std::string expected = handWritten;
    expected.replace(expected.find("Y = 30"), 6, "Y=31");
    EXPECT_EQ(ReadFile(Ini()), expected);
    // A new name joins its section with the file's CRLF, in Windows-1252.
    OperatorNames names = ReadOperatorNames(settings);
    AppendOperatorName(settings, names, "Andr\xE9");
    expected.insert(expected.find("1=Hans\r\n") + 8, "2=Andr\xE9\r\n");
    EXPECT_EQ(ReadFile(Ini()), expected);
}

TEST_F(SettingsFileTest, EveryReadSeesTheFileAsItIsNow) {
    SettingsFile settings(Ini());
    EXPECT_TRUE(settings.WriteString("Main", "x", "1"));
    WriteFile(Ini(), "[Main]\nx=2\n[Other]\nkey=value\n"); // another program
    EXPECT_EQ(settings.ReadInteger("Main", "x", 0), 2);
    EXPECT_TRUE(settings.WriteInteger("Main", "y", 3));
    EXPECT_EQ(ReadFile(Ini()), "[Main]\nx=2\ny=3\n[Other]\nkey=value\n");
    EXPECT_TRUE(settings.DeleteKey("Main", "x"));
    EXPECT_TRUE(settings.DeleteKey("Main", "x")); // already gone: nothing to do
    EXPECT_EQ(ReadFile(Ini()), "[Main]\ny=3\n[Other]\nkey=value\n");
}

TEST_F(SettingsFileTest, EmptyPathReadsDefaultsAndWritesNothing) {
    SettingsFile settings("");
    EXPECT_EQ(settings.ReadInteger("Main", "x", 10), 10);
    EXPECT_EQ(settings.ReadString("Names", "0", "none"), "none");
    EXPECT_FALSE(settings.WriteInteger("Main", "x", 1));
    EXPECT_FALSE(settings.DeleteKey("Main", "x"));
    EXPECT_FALSE(settings.WriteString("Main", "a=b", "1")); // unusable key
}

TEST_F(SettingsFileTest, WriteIsAtomic) {
    const std::string old = "[Main]\r\nx=1\r\n";
    WriteFile(Ini(), old);
    SettingsFile settings(Ini());
    ASSERT_TRUE(settings.WriteInteger("Main", "x", 2));
    // Nothing but the settings file is left in the folder.
    std::vector<std::string> entries;
    for (const auto& e : fs::directory_iterator(folder_.Path())) {
        entries.push_back(e.path().filename().string());
    }
    EXPECT_EQ(entries, std::vector<std::string>{"VRX310.ini"});

    // A full disk or a file the user made read-only: the write fails and
    // the old file stays as it was.
    safefile::SetWriteLimitForTesting(3);
    EXPECT_FALSE(settings.WriteInteger("Main", "x", 3));
    safefile::SetWriteLimitForTesting(-1);
    chmod(Ini().c_str(), 0444);
    EXPECT_FALSE(settings.WriteInteger("Main", "x", 3));
    EXPECT_EQ(ReadFile(Ini()), "[Main]\r\nx=2\r\n");
    EXPECT_EQ(settings.ReadInteger("Main", "x", 0), 2);
    chmod(Ini().c_str(), 0644);

    // A leftover temporary file of a crashed run (here: of an earlier
    // version, named after a process long gone) does not block a write and
    // is cleared by it.
    const std::string leftover = Ini() + ".999999999.tmp";
    WriteFile(leftover, "half");
    EXPECT_TRUE(settings.WriteInteger("Main", "x", 4));
    EXPECT_EQ(ReadFile(Ini()), "[Main]\r\nx=4\r\n");
    EXPECT_FALSE(fs::exists(leftover));
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadIsNeverReplaced) {
    // A folder where the file should be.
    fs::create_directory(Ini());
    SettingsFile settings(Ini());
    EXPECT_EQ(settings.ReadInteger("Main", "x", 10), 10);
    EXPECT_FALSE(settings.WriteInteger("Main", "x", 1));
    EXPECT_TRUE(fs::is_directory(Ini()));
    fs::remove(Ini());

    // A file too large to be settings.
    const std::string big = "[Main]\nx=5\n" + std::string(17u << 20, ';');
    WriteFile(Ini(), big);
    EXPECT_EQ(settings.ReadInteger("Main", "x", 10), 10);
    EXPECT_FALSE(settings.WriteInteger("Main", "x", 1));
    EXPECT_EQ(fs::file_size(Ini()), big.size());
    fs::remove(Ini());

    // A pipe: read at once as defaults, never written (start-up does not
    // wait for a writer that never comes).
#ifdef _WIN32
    // Windows pipes live in their own namespace; the server end stays silent.
    const std::string pipe = "\\\\.\\pipe\\vrx-settings-" + std::to_string(GetCurrentProcessId());
    const HANDLE server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                           PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    SettingsFile atPipe(pipe);
    // Seen as a pipe, not as a missing file.
    EXPECT_FALSE(atPipe.Inspect([](const ProfileText&) {}));
    EXPECT_EQ(atPipe.ReadInteger("Main", "x", 10), 10);
    EXPECT_FALSE(atPipe.WriteInteger("Main", "x", 1));
    CloseHandle(server);
#else
    ASSERT_EQ(mkfifo(Ini().c_str(), 0600), 0);
    EXPECT_EQ(settings.ReadInteger("Main", "x", 10), 10);
    EXPECT_FALSE(settings.WriteInteger("Main", "x", 1));
    fs::remove(Ini());
#endif
}

// Nothing the program writes can make the file too large to be read back:
// a hostile report's operator name is cut, and a write that would pass the
// limit is refused with the file as it was.
TEST_F(SettingsFileTest, NoWriteGrowsTheFilePastWhatIsRead) {
    SettingsFile settings(Ini());
    ASSERT_TRUE(settings.WriteString("Company", "Name", "Garage"));
    OperatorNames names;
    AppendOperatorName(settings, names, "Anna");
    AppendOperatorName(settings, names, std::string(17u << 20, 'o'));
    EXPECT_EQ(names.back().size(), MaxOperatorNameBytes);
    EXPECT_EQ(ReadOperatorNames(settings),
              (OperatorNames{"Anna", std::string(MaxOperatorNameBytes, 'o')}));

    const std::string before = ReadFile(Ini());
    EXPECT_FALSE(
        settings.WriteString("Company", "Address", std::string(SettingsFile::MaxBytes, 'a')));
    EXPECT_EQ(ReadFile(Ini()), before);
    EXPECT_EQ(ReadCompanyDetails(settings).Name, "Garage");
}

TEST_F(SettingsFileTest, ReplacementKeepsModeAndLinks) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permission bits, umask and symbolic links";
#else
    const std::string real = folder_.File("real.ini");
    WriteFile(real, "[Main]\nx=1\n");
    ASSERT_EQ(chmod(real.c_str(), 0644), 0);
    fs::create_symlink(real, Ini());
    SettingsFile settings(Ini());
    // A strict umask must not take bits from the existing file.
    const mode_t oldMask = umask(077);
    const bool written = settings.WriteInteger("Main", "x", 2);
    umask(oldMask);
    ASSERT_TRUE(written);
    EXPECT_TRUE(fs::is_symlink(Ini()));
    EXPECT_EQ(ReadFile(real), "[Main]\nx=2\n");
    struct stat st {};
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
#endif
}

// Thousands of names: start-up and the operators dialog's OK read the file
// once, index it once, and change only the lines whose value changes.
TEST_F(SettingsFileTest, LargeNameListsAreReadOnceAndEditedLineByLine) {
    std::string file = "; kept\r\n[Company]\r\nName=Werkstatt\r\n[Names]\r\n";
    OperatorNames names;
    for (int i = 0; i < 4000; ++i) {
        names.push_back("Name " + std::to_string(i));
        file += std::to_string(i) + "=" + names.back() + "\r\n";
    }
    file += "LastUser=3\r\n";
    WriteFile(Ini(), file);
    SettingsFile settings(Ini());
    const std::size_t indexRuns = ProfileText::IndexRuns();
    const StartupSettings startup = ReadStartupSettings(settings);
    EXPECT_EQ(startup.Names, names);
    EXPECT_EQ(startup.Company.Name, "Werkstatt");
    EXPECT_EQ(startup.Main.LastUser, 3);
    EXPECT_EQ(settings.Reads(), 1u);

    OperatorNames edited = names;
    edited[17] = "Renamed";
    edited.push_back("New");
    EXPECT_EQ(MergeOperatorNames(settings, names, edited), edited);
    EXPECT_EQ(settings.Reads(), 2u);
    EXPECT_EQ(ProfileText::IndexRuns() - indexRuns, 2u);
    const std::size_t at = file.find("17=Name 17\r\n");
    file.replace(at, 12, "17=Renamed\r\n");
    file += "4000=New\r\n"; // after the section's last key
    EXPECT_EQ(ReadFile(Ini()), file);
}
