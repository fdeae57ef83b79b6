// fbtool as a user runs it: dump, build, check and their exit statuses.
#include "freebase/freebase.h"
#include "tests/common/command_run.h"
#include "tests/freebase/fb_test_util.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using nlohmann::json;

class FbtoolTest : public ::testing::Test {
protected:
    CommandRun Tool(const std::string& args) {
        // A run that hangs is stopped and fails with 124.
        last_ = RunCommand("timeout 20 " + std::string(FBTOOL_PATH) + " " + args, dir);
        return last_;
    }
    // What the last run wrote to stderr.
    const std::string& Stderr() const { return last_.Err; }
    void WriteText(const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
    }

    // A database with every type, awkward bytes, duplicates and nesting.
    std::string MakeSample(const std::string& name, TSaveAsVersion version) {
        std::filesystem::remove(dir / name);
        TFreeBase db;
        db.SetFileName(dir / name);
        db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
        db.SetSaveAsVersion(version);
        EXPECT_TRUE(db.Open());
        db.SetDataBaseInfo("Pr\xFC"
                           "f \"1\"");
        db.SetDataBaseTag(-12);
        TFBRoot* root = db.Root();
        for (int i = 0; i < 2; ++i) { // the same name twice
            auto* n = static_cast<TFBInteger*>(root->AddChild(TFBEntryType::int32));
            n->Name = "Dup";
            n->Value = i == 0 ? INT32_MIN : INT32_MAX;
        }
        db.WriteString("Texts\\A\\B", std::string("q\"\\\x01\x7F\x80\xFF\0z", 9));
        db.WriteTag("Texts", TFBEntryType::node, 77);
        db.WriteFloat("Floats\\One", Extended80::FromDouble(1.0));
        db.WriteFloat("Floats\\NaN", Extended80::FromParts(0xC000000000000123ULL, 0xFFFF));
        db.WriteFloat("Floats\\Tiny",
                      Extended80::FromParts(0x8000000000000001ULL, 1)); // below double
        db.WriteBinary("Bin\\Three", {3, new std::uint8_t[3]{0x00, 0xAB, 0xFF}});
        db.WriteBinary("Bin\\None", {0, nullptr});
        static_cast<TFBNode*>(db.ForceEntry("Bin", TFBEntryType::node, false))
            ->AddChild(TFBEntryType::bin32)
            ->Name = "Negative";
        static_cast<TFBBinary*>(db.FindEntry("Bin\\Negative", TFBEntryType::bin32))->Size = -4;
        root->AddChild(TFBEntryType::node)->Name = "Empty";
        root->AddChild(TFBEntryType::str32)->Name = std::string("\0", 1);
        db.Close();
        EXPECT_EQ(db.LastError(), 0);
        return dir / name;
    }

    // Equal apart from the two dates and the header checksum over them.
    static void ExpectSameApartFromDates(Bytes a, Bytes b) {
        ASSERT_EQ(a.size(), b.size());
        for (Bytes* x : {&a, &b}) {
            std::fill(x->begin() + 10, x->begin() + 26, 0);
            if (x->size() >= 80 && (*x)[6] == 2) {
                std::fill(x->begin() + 64, x->begin() + 68, 0);
            }
        }
        EXPECT_EQ(a, b);
    }

    TempDir dir;
    CommandRun last_;
};

TEST_F(FbtoolTest, DumpThenBuildGivesTheSameFile) {
    for (auto version : {TSaveAsVersion::Version1, TSaveAsVersion::Version2}) {
        const std::string original = MakeSample("sample.fdb", version);
        CommandRun dump = Tool("dump " + original);
        ASSERT_EQ(dump.Status, 0) << Stderr();
        WriteText("dump.json", dump.Out);

        const json j = json::parse(dump.Out);
        EXPECT_EQ(j["version"], version == TSaveAsVersion::Version1 ? 1 : 2);
        EXPECT_EQ(j["info"], "Pr\u00FCf \"1\"");
        EXPECT_EQ(j["tag"], -12);
        EXPECT_TRUE(j["created"].is_number_float());
        const json& e = j["entries"];
        ASSERT_EQ(e.size(), 7u);
        EXPECT_EQ(e[0]["name"], "Dup");
        EXPECT_EQ(e[0]["value"], INT32_MIN);
        EXPECT_EQ(e[1]["value"], INT32_MAX);
        EXPECT_EQ(e[2]["tag"], 77);
        EXPECT_EQ(e[2]["children"][0]["children"][0]["value"],
                  std::string("q\"\\\x01\x7F\u0080\u00FF", 9) + std::string("\0z", 2));
        EXPECT_EQ(e[3]["children"][0]["hex"], "0000000000000080ff3f");
        EXPECT_EQ(e[3]["children"][0]["value"], 1.0);
        EXPECT_TRUE(e[3]["children"][1]["value"].is_null()); // NaN
        EXPECT_EQ(e[3]["children"][2]["value"], 0.0);
        EXPECT_EQ(e[4]["children"][0]["hex"], "00abff");
        EXPECT_EQ(e[4]["children"][0]["size"], 3);
        EXPECT_EQ(e[4]["children"][2]["size"], -4);
        EXPECT_EQ(e[5]["children"], json::array());
        EXPECT_EQ(e[6]["name"], std::string("\0", 1));

        ASSERT_EQ(Tool("build " + (dir / "dump.json") + " " + (dir / "rebuilt.fdb")).Status, 0)
            << Stderr();
        ExpectSameApartFromDates(ReadBytes(original), ReadBytes(dir / "rebuilt.fdb"));
    }
    // The option overrides the version of the JSON.
    const std::string v1 = MakeSample("v1.fdb", TSaveAsVersion::Version1);
    ASSERT_EQ(Tool("build --version 1 " + (dir / "dump.json") + " " + (dir / "as1.fdb")).Status, 0);
    ExpectSameApartFromDates(ReadBytes(v1), ReadBytes(dir / "as1.fdb"));
}

// Names of 250 bytes leave no room for the usual temporary name beside
// them; both writers still write them.
TEST_F(FbtoolTest, DumpAndBuildWriteTheLongestNames) {
    const std::string original = MakeSample("sample.fdb", TSaveAsVersion::Version2);
    const std::string stem(246, 'L'), json = dir / (stem + ".jsn"), built = dir / (stem + ".fdb");
    ASSERT_EQ(Tool("dump " + original + " " + json).Status, 0) << Stderr();
    ASSERT_EQ(Tool("build " + json + " " + built).Status, 0) << Stderr();
    ExpectSameApartFromDates(ReadBytes(original), ReadBytes(built));
}

#ifndef _WIN32
// A link loop as OUT is refused with the system's words; the link stays.
TEST_F(FbtoolTest, ALinkLoopAsOutputIsRefusedAndStays) {
    const std::string original = MakeSample("sample.fdb", TSaveAsVersion::Version2);
    const std::string loop = dir / "LOOP";
    ASSERT_EQ(::symlink("LOOP", loop.c_str()), 0);
    EXPECT_NE(Tool("dump " + original + " " + loop).Status, 0);
    EXPECT_NE(Stderr().find("Too many levels of symbolic links"), std::string::npos) << Stderr();
    struct stat st {};
    ASSERT_EQ(::lstat(loop.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}
#endif

TEST_F(FbtoolTest, BuildTakesFloatingFromValueWhenThereIsNoHex) {
    WriteText("in.json", R"({"version": 1, "entries": [
        {"type": "floating", "name": "F", "tag": 0, "value": 1.0},
        {"type": "floating", "name": "F", "tag": 0, "value": -2.5, "hex": "00000000000000a000c0"}]})");
    ASSERT_EQ(Tool("build " + (dir / "in.json") + " " + (dir / "f.fdb")).Status, 0) << Stderr();
    const Bytes b = ReadBytes(dir / "f.fdb");
    ASSERT_EQ(b.size(), 66u + 2 * 20);
    const Bytes one{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    const Bytes minus{0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0};
    EXPECT_TRUE(std::equal(one.begin(), one.end(), b.begin() + 74));
    EXPECT_TRUE(std::equal(minus.begin(), minus.end(), b.begin() + 94));
    EXPECT_EQ(std::string(b.begin() + 26, b.begin() + 36), std::string("unbenannt\0", 10));
}

TEST_F(FbtoolTest, CheckTellsSoundFilesFromDamagedOnes) {
    const std::string path = MakeSample("c.fdb", TSaveAsVersion::Version2);
    CommandRun ok = Tool("check " + path);
    EXPECT_EQ(ok.Status, 0);
    EXPECT_EQ(ok.Out, "ok, version 2\n");

    Bytes b = ReadBytes(path);
    b[93] ^= 1; // the value of the first integer
    WriteBytes(dir / "bad.fdb", b);
    CommandRun bad = Tool("check " + (dir / "bad.fdb"));
    EXPECT_EQ(bad.Status, 1);
    EXPECT_EQ(bad.Out, "error 8: data checksum mismatch\n");

    CommandRun missing = Tool("check " + (dir / "none.fdb"));
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Out.rfind("error 3:", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.fdb"));

    EXPECT_EQ(Tool("dump " + (dir / "bad.fdb")).Status, 1);
    EXPECT_NE(Stderr().find("error 8"), std::string::npos);
}

TEST_F(FbtoolTest, BadArgumentsAndBadJsonExitWith2AndLeaveOutAlone) {
    EXPECT_EQ(Tool("").Status, 2);
    EXPECT_EQ(Tool("frobnicate x").Status, 2);
    EXPECT_EQ(Tool("dump").Status, 2);
    EXPECT_EQ(Tool("check a b").Status, 2);
    EXPECT_EQ(Tool("build only-one.json").Status, 2);
    EXPECT_NE(Stderr().find("usage:"), std::string::npos);

    const std::string out = MakeSample("keep.fdb", TSaveAsVersion::Version2);
    const Bytes before = ReadBytes(out);
    WriteText("ok.json", R"({"version": 2, "entries": []})");
    EXPECT_EQ(Tool("build --version 3 " + (dir / "ok.json") + " " + out).Status, 2);
    EXPECT_EQ(Tool("build " + (dir / "missing.json") + " " + out).Status, 2);

    const std::vector<std::string> bad = {
        R"({"version": 2, "entries": [)",                                        // truncated
        R"([1, 2])",                                                             // not an object
        R"({"version": 3, "entries": []})",                                      // no such version
        R"({"entries": [{"type": "int64", "name": "X", "value": 1}]})",          // type
        R"({"entries": [{"type": "int32", "name": "X", "value": 2147483648}]})", // range
        R"({"entries": [{"type": "int32", "name": "\u0100", "value": 1}]})",     // not a byte
        R"({"entries": [{"type": "bin32", "name": "B", "hex": "abc"}]})",        // odd digits
        R"({"entries": [{"type": "bin32", "name": "B", "size": 5, "hex": "ab"}]})",
        R"({"entries": [{"type": "floating", "name": "F", "hex": "00"}]})",
        R"({"entries": [{"type": "node", "name": "N", "children": 5}]})",
        R"({"entries": [{"type": "node", "name": "N", "children": [{"type": "str32"}]}]})",
    };
    for (const std::string& text : bad) {
        WriteText("bad.json", text);
        EXPECT_EQ(Tool("build " + (dir / "bad.json") + " " + out).Status, 2) << text;
        EXPECT_FALSE(Stderr().empty());
    }
    EXPECT_EQ(ReadBytes(out), before);
    std::size_t files = 0; // keep.fdb, ok.json, bad.json, stdout.txt, stderr.txt
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 5u) << "a temporary file stayed behind";
}

TEST_F(FbtoolTest, ANamedPipeFailsAtOnceAsInputAndIsNeverRead) {
    const std::string pipe = dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    CommandRun run = Tool("check " + pipe);
    EXPECT_EQ(run.Status, 1); // 124: it hung on the pipe
    EXPECT_EQ(run.Out.rfind("error ", 0), 0u) << run.Out;
    EXPECT_EQ(Tool("dump " + pipe).Status, 1);
    EXPECT_NE(Stderr().find("error "), std::string::npos) << Stderr();
    EXPECT_EQ(Tool("build " + pipe + " " + (dir / "out.fdb")).Status, 2);
    EXPECT_NE(Stderr().find("not a regular file"), std::string::npos) << Stderr();
    EXPECT_FALSE(std::filesystem::exists(dir / "out.fdb"));
}

TEST_F(FbtoolTest, DumpAndBuildToAReadOnlyFileFailAndKeepIt) {
    const std::string sample = MakeSample("s.fdb", TSaveAsVersion::Version2);
    ASSERT_EQ(Tool("dump " + sample + " " + (dir / "s.json")).Status, 0) << Stderr();
    EXPECT_TRUE(Tool("dump " + sample).Out == ReadFile(dir / "s.json"));

    WriteText("old.json", "old json");
    WriteText("old.fdb", "old database");
    for (const char* name : {"old.json", "old.fdb"})
        std::filesystem::permissions(dir / name, std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::group_read |
                                                     std::filesystem::perms::others_read);
    EXPECT_EQ(Tool("dump " + sample + " " + (dir / "old.json")).Status, 1);
    EXPECT_NE(Stderr().find("cannot write"), std::string::npos) << Stderr();
    EXPECT_EQ(Tool("build " + (dir / "s.json") + " " + (dir / "old.fdb")).Status, 1);
    EXPECT_NE(Stderr().find("cannot write"), std::string::npos) << Stderr();
    EXPECT_EQ(ReadFile(dir / "old.json"), "old json");
    EXPECT_EQ(ReadFile(dir / "old.fdb"), "old database");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 6u); // s.fdb, s.json, old.*, stdout.txt, stderr.txt: no temporary file
}

} // namespace

// "-" reads standard input and writes standard output: a database piped
// through dump and build comes back whole; a pipe is held to the file bounds.
TEST_F(FbtoolTest, DashIsStandardInputAndOutputWithinTheBounds) {
    const std::string sample = MakeSample("s.fdb", TSaveAsVersion::Version2);
    const std::string piped = dir / "piped.fdb";
    const std::string json = Tool("dump " + sample).Out;
    CommandRun run = Tool("dump - - < " + sample);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, json);
    run = Tool("dump - < " + sample + " | " + FBTOOL_PATH + " build - -");
    ASSERT_EQ(run.Status, 0) << run.Err;
    ExpectSameApartFromDates(ReadBytes(sample), Bytes(run.Out.begin(), run.Out.end()));
    WriteText("piped.fdb", run.Out);
    EXPECT_EQ(Tool("check - < " + piped).Out, "ok, version 2\n");

    const std::string out = dir / "out.fdb";
    EXPECT_EQ(Tool("build - " + out + " < /dev/null").Status, 2); // no JSON at all
    EXPECT_EQ(Tool("build - " + out + " < /dev/zero").Status, 2); // refused after 64 MiB + 1
    EXPECT_NE(Stderr().find("cannot read -: too large"), std::string::npos) << Stderr();
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(Tool("check - < /dev/zero").Status, 1);
}

// build reads entries as they come: members in any order but "type" before
// "children", values nobody reads skipped whole, half a million levels deep.
TEST_F(FbtoolTest, BuildTakesEntriesAsTheyCome) {
    auto At = [&](const char* name) { return std::string(dir / name); };
    WriteText("order.json", R"({"extra": {"x": [[1], {"y": 2}]}, "entries": [
        {"name": "N", "type": "node", "children": [{"value": 5, "type": "int32"}], "tag": 7},
        {"type": "str32", "value": "v", "children": [[["never read"]]]}], "tag": 3})");
    ASSERT_EQ(Tool("build " + At("order.json") + " " + At("order.fdb")).Status, 0) << Stderr();
    const std::string dump = Tool("dump " + At("order.fdb")).Out;
    EXPECT_NE(dump.find("\"tag\": 3,"), std::string::npos) << dump;
    EXPECT_NE(dump.find(R"({"type": "node", "name": "N", "tag": 7, "children": [
      {"type": "int32", "name": "", "tag": 0, "value": 5}
    ]},
    {"type": "str32", "name": "", "tag": 0, "value": "v"})"),
              std::string::npos)
        << dump;

    WriteText("late.json", R"({"entries": [{"children": [], "type": "node"}]})");
    EXPECT_EQ(Tool("build " + At("late.json") + " " + At("late.fdb")).Status, 2);
    EXPECT_NE(Stderr().find("\"type\" must come before its \"children\""), std::string::npos);

    std::string deep = "{\"entries\": [";
    const int levels = 500000; // a file of 10 MB: loads within its 16 MiB bound
    for (int i = 0; i < levels; ++i) {
        deep += "{\"type\": \"node\", \"children\": [";
    }
    for (int i = 0; i < levels; ++i) {
        deep += "]}";
    }
    WriteText("deep.json", deep + "]}");
    ASSERT_EQ(Tool("build " + At("deep.json") + " " + At("deep.fdb")).Status, 0) << Stderr();
    EXPECT_EQ(Tool("check " + At("deep.fdb")).Out, "ok, version 2\n");
}
