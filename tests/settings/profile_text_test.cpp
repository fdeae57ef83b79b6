#include "settings/profile_text.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

TEST(ProfileTextLookup, FollowsTheWindowsRules) {
    const ProfileText text("top=1\r\n"
                           "[Main]\r\n"
                           "  X =  12  \r\n"
                           ";Unit=2\r\n"
                           "Name=\"  quoted  \"\r\n"
                           "Single='x'\r\n"
                           "Half=\"x\r\n"
                           "Empty=\r\n"
                           "x=99\r\n"
                           "no equals sign\r\n"
                           "=orphan\r\n"
                           "[ names ]\r\n"
                           "0=Anna\r\n"
                           "[MAIN]\r\n"
                           "Unit=1\r\n"
                           "[Tail]\r\n"
                           "last=end");
    EXPECT_EQ(text.Value("main", "x"), "12");            // case and blanks do not count; first wins
    EXPECT_EQ(text.Value("Main", "Unit"), std::nullopt); // comment, and the repeated section
    EXPECT_EQ(text.Value("Main", "Name"), "  quoted  ");
    EXPECT_EQ(text.Value("Main", "Single"), "x");
    EXPECT_EQ(text.Value("Main", "Half"), "\"x");
    EXPECT_EQ(text.Value("Main", "Empty"), "");
    EXPECT_EQ(text.Value("Main", "top"), std::nullopt); // before any section
    EXPECT_EQ(text.Value("Names", "0"), "Anna");
    EXPECT_EQ(text.Value("Tail", "last"), "end");
    EXPECT_EQ(text.Value("Missing", "x"), std::nullopt);
}

TEST(ProfileTextLookup, FoldsTheCaseOfEveryWindows1252Letter) {
    // Upper and lower case of each letter outside A-Z, as single bytes.
    const std::pair<unsigned char, unsigned char> folded[] = {
        {0xC0, 0xE0}, {0xC9, 0xE9}, {0xD0, 0xF0}, {0xD6, 0xF6}, {0xD8, 0xF8}, {0xDC, 0xFC},
        {0xDE, 0xFE}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
    for (const auto& [upper, lower] : folded) {
        const std::string up(1, static_cast<char>(upper)), low(1, static_cast<char>(lower));
        const ProfileText text("[S" + low + "]\nk" + up + "=1\n");
        EXPECT_EQ(text.Value("S" + up, "k" + low), "1") << int(upper);
        ProfileText edited(text.Content());
        EXPECT_TRUE(edited.SetValue("s" + up, "K" + low, "2"));
        EXPECT_EQ(edited.Content(), "[S" + low + "]\nk" + up + "=2\n") << int(upper);
    }
    // × and ÷ are no letters, ß has no capital, µ and the others stay.
    const ProfileText signs("[S]\na\xD7=1\nb\xDF=2\nc\xB5=3\n");
    EXPECT_EQ(signs.Value("S", "a\xF7"), std::nullopt);
    EXPECT_EQ(signs.Value("S", "A\xD7"), "1");
    EXPECT_EQ(signs.Value("S", "B\xFF"), std::nullopt);
    EXPECT_EQ(signs.Value("S", "c\xB5"), "3");
}

TEST(ProfileTextEdit, NewKeysAndSectionsKeepTheLayout) {
    ProfileText text("[Main]\n"
                     "x=1\n"
                     "\n"
                     "; the operators\n"
                     "[Names]\n"
                     "0=Anna");
    EXPECT_EQ(text.NewLine(), "\n");
    EXPECT_TRUE(text.SetValue("Main", "y", "2"));
    EXPECT_TRUE(text.SetValue("Names", "1", "Bert"));
    EXPECT_TRUE(text.SetValue("ChgSens", "x", "5"));
    EXPECT_EQ(text.Content(), "[Main]\n"
                              "x=1\n"
                              "y=2\n"
                              "\n"
                              "; the operators\n"
                              "[Names]\n"
                              "0=Anna\n"
                              "1=Bert\n"
                              "\n"
                              "[ChgSens]\n"
                              "x=5\n");

    ProfileText empty;
    EXPECT_TRUE(empty.SetValue("Main", "x", "10"));
    EXPECT_TRUE(empty.SetValue("Main", "y", "10"));
    EXPECT_EQ(empty.Content(), "[Main]\r\nx=10\r\ny=10\r\n");

    // A file cut off after the CR of its last line: that CR is a line end,
    // and a name added after it leaves the one before as it was.
    ProfileText cut("[Names]\r\n0=Anna\r");
    EXPECT_EQ(cut.Content(), "[Names]\r\n0=Anna\r");
    EXPECT_EQ(cut.Value("Names", "0"), "Anna");
    EXPECT_TRUE(cut.SetValue("Names", "1", "Bert"));
    EXPECT_EQ(cut.Content(), "[Names]\r\n0=Anna\r\n1=Bert\r\n");
    EXPECT_EQ(ProfileText(cut.Content()).Value("Names", "0"), "Anna");
}

TEST(ProfileTextEdit, DeleteRemovesOneLine) {
    ProfileText text("[Names]\r\n0=A\r\n1=B\r\n[Other]\r\n1=keep\r\n");
    EXPECT_TRUE(text.DeleteKey("names", "1"));
    EXPECT_FALSE(text.DeleteKey("Names", "1"));
    EXPECT_FALSE(text.DeleteKey("Nowhere", "0"));
    EXPECT_EQ(text.Content(), "[Names]\r\n0=A\r\n[Other]\r\n1=keep\r\n");
}

// Deleted lines leave no trace: a new section follows the last line left,
// a new key the last key left, through changed, new and deleted lines.
TEST(ProfileTextEdit, NewLinesFollowTheLinesLeftNotTheDeletedOnes) {
    ProfileText text("[A]\r\nx=1\r\n\r\ny=2");
    EXPECT_EQ(text.KeyCount("a"), 2u);
    EXPECT_TRUE(text.DeleteKey("A", "y"));
    EXPECT_EQ(text.KeyCount("A"), 1u);
    EXPECT_TRUE(text.SetValue("C", "z", "3")); // after the blank line, no second one
    EXPECT_TRUE(text.SetValue("A", "w", "4")); // after x, before the blank line
    EXPECT_TRUE(text.SetValue("A", "v", "5"));
    EXPECT_TRUE(text.SetValue("A", "x", "6"));
    EXPECT_TRUE(text.DeleteKey("A", "w"));
    EXPECT_TRUE(text.SetValue("A", "u", "7"));
    EXPECT_EQ(text.Content(), "[A]\r\nx=6\r\nv=5\r\nu=7\r\n\r\n[C]\r\nz=3\r\n");
    EXPECT_EQ(text.ValueView("A", "v"), "5");
    EXPECT_EQ(text.KeyCount("A"), 3u);

    // The last keys gone, the section's last key is x again.
    EXPECT_TRUE(text.DeleteKey("A", "u"));
    EXPECT_TRUE(text.DeleteKey("A", "v"));
    EXPECT_TRUE(text.SetValue("A", "t", "8"));
    EXPECT_EQ(text.Content(), "[A]\r\nx=6\r\nt=8\r\n\r\n[C]\r\nz=3\r\n");
    EXPECT_EQ(text.ValueView("A", "w"), std::nullopt);
}

TEST(ProfileTextEdit, AValueCannotStartALine) {
    ProfileText text("[Names]\r\n");
    EXPECT_TRUE(text.SetValue("Names", "0", "Eve\r\n[Main]\r\nUnit=2"));
    EXPECT_EQ(text.Value("Main", "Unit"), std::nullopt);
    EXPECT_EQ(text.Value("Names", "0"), "Eve  [Main]  Unit=2");
    EXPECT_EQ(text.Content(), "[Names]\r\n0=Eve  [Main]  Unit=2\r\n");
}

TEST(ProfileTextEdit, ByteOrderMarkIsKept) {
    ProfileText text("\xEF\xBB\xBF[Main]\nx=1\n");
    EXPECT_EQ(text.Value("Main", "x"), "1");
    text.SetValue("Main", "x", "2");
    EXPECT_EQ(text.Content(), "\xEF\xBB\xBF[Main]\nx=2\n");
}

TEST(ProfileTextNames, OnlyNamesThatReadBackAreUsable) {
    EXPECT_TRUE(ProfileText::IsUsableName("Names", "LastUser"));
    EXPECT_FALSE(ProfileText::IsUsableName("Ma]in", "x"));
    EXPECT_FALSE(ProfileText::IsUsableName("Main", "a=b"));
    EXPECT_FALSE(ProfileText::IsUsableName("Main", ";x"));
    EXPECT_FALSE(ProfileText::IsUsableName("Main", " x"));
    EXPECT_FALSE(ProfileText::IsUsableName("Main\n", "x"));
}

// Edits are made in place: a repeated key and the last key of a section
// behave as if the whole text were read again, which it is not.
TEST(ProfileTextEdit, EditsInPlaceActAsAFreshReading) {
    const std::size_t indexRuns = ProfileText::IndexRuns();
    ProfileText text("[Names]\r\n"
                     "0=A\r\n"
                     "0=second A\r\n"
                     "1=B\r\n"
                     "; trailing comment\r\n"
                     "\r\n"
                     "[Main]\r\n"
                     "x = 5 \r\n");
    EXPECT_EQ(text.Value("Names", "0"), "A");
    EXPECT_TRUE(text.DeleteKey("Names", "0"));
    EXPECT_EQ(text.Value("Names", "0"), "second A"); // the later line now counts
    EXPECT_TRUE(text.DeleteKey("Names", "1"));
    // A new key follows the last one left, before the comment.
    EXPECT_TRUE(text.SetValue("Names", "2", "C"));
    EXPECT_TRUE(text.SetValue("main", "X", "6"));
    const std::string expected = "[Names]\r\n"
                                 "0=second A\r\n"
                                 "2=C\r\n"
                                 "; trailing comment\r\n"
                                 "\r\n"
                                 "[Main]\r\n"
                                 "x=6\r\n";
    EXPECT_EQ(text.Content(), expected);
    EXPECT_FALSE(text.SameAsRead(expected));
    EXPECT_TRUE(ProfileText(expected).SameAsRead(expected));
    EXPECT_EQ(ProfileText::IndexRuns() - indexRuns, 2u); // one per text read
}

// After any sequence of changes every lookup gives what a fresh reading of
// the changed text gives, and the text is indexed only when it is read.
TEST(ProfileTextEdit, ChangesAgreeWithAFreshReadingOfTheirText) {
    const char* sections[] = {"Names", "names", "Main", "Neu", "Ä"};
    const char* keys[] = {"0", "1", "2", "x", "X", "LastUser", "[k]", "a=b", "ü"};
    std::mt19937 random(310);
    ProfileText text("; head\r\nfree=1\r\n[Names]\r\n0=A\r\n1=B\r\n0=A2\r\n; note\r\n"
                     "[Main]\r\nx=1\r\n[names]\r\n2=hidden\r\n[Ä]\r\nü=1\r\nlast");
    std::size_t editIndexRuns = 0, headerLines = 0;
    for (int step = 0; step < 400; ++step) {
        const std::string section = sections[random() % std::size(sections)];
        const std::string key = keys[random() % std::size(keys)];
        const std::size_t before = ProfileText::IndexRuns();
        if (random() % 3 == 0) {
            text.DeleteKey(section, key);
        } else {
            headerLines += key == "[k]" && !text.Value(section, key);
            text.SetValue(section, key, "v" + std::to_string(step));
        }
        editIndexRuns += ProfileText::IndexRuns() - before;
        const ProfileText fresh(text.Content());
        for (const char* s : sections) {
            for (const char* k : keys) {
                ASSERT_EQ(text.Value(s, k), fresh.Value(s, k))
                    << "step " << step << " [" << s << "] " << k << "\n"
                    << text.Content();
            }
        }
    }
    // Only a new line that opens a section ("[k]=...") indexes the text anew.
    EXPECT_LE(editIndexRuns, headerLines);
}
