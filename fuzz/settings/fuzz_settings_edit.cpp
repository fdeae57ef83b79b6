// The settings file as the program reads and edits it: arbitrary text is
// parsed, must come back byte for byte, takes a few edits that must read
// back as written without disturbing other keys, and goes through the
// settings file on disk as the main window reads and writes it.
//
// Input: a short edit script (section, key, value, choices), then the file.
#include "fuzz/fuzz_support.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return s;
}

// A value that reads back exactly as written: no line break or NUL, no
// blanks at either end, no quotes around it.
bool PlainValue(const std::string& v) {
    if (v.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
        return false;
    }
    if (!v.empty() && (v.front() == ' ' || v.front() == '\t' || v.back() == ' ' ||
                       v.back() == '\t' || v.front() == '"' || v.front() == '\'')) {
        return false;
    }
    return true;
}

struct Probe {
    std::string Section, Key;
};

void EditInMemory(const std::string& content, const std::string& section, const std::string& key,
                  const std::string& value, bool remove) {
    ProfileText text(content);
    Check(text.Content() == content); // an unedited file is kept byte for byte

    std::vector<Probe> probes = {{"Main", "x"},    {"Main", "Unit"},    {"Names", "0"},
                                 {"Names", "1"},   {"Company", "Name"}, {section, "0"},
                                 {"Company", key}, {section, key + "x"}};
    std::vector<std::optional<std::string>> before;
    for (const Probe& p : probes) {
        before.push_back(text.Value(p.Section, p.Key));
    }
    const bool usable = ProfileText::IsUsableName(section, key);
    if (usable) {
        if (remove) {
            text.DeleteKey(section, key);
        } else {
            text.SetValue(section, key, value);
        }
    }
    // What was written reads back, from the text and from its re-reading.
    const ProfileText reread(text.Content());
    if (usable && !remove && PlainValue(value)) {
        Check(text.Value(section, key) == value);
        Check(reread.Value(section, key) == value);
    }
    for (std::size_t i = 0; i < probes.size(); ++i) {
        const Probe& p = probes[i];
        const bool edited =
            usable && Lower(p.Section) == Lower(section) && Lower(p.Key) == Lower(key);
        if (!edited) {
            Check(reread.Value(p.Section, p.Key) == before[i]);
        }
    }
}

void EditOnDisk(const FuzzScratchFile& file, const std::string& content, int x, int y, int unit,
                bool autoClear) {
    if (!file.Hold(content.data(), content.size())) {
        return;
    }
    const std::string& path = file.Path();
    SettingsFile settings(path);
    (void)ReadCompanyDetails(settings);
    (void)ReadWindowPosition(settings, "Company");
    OperatorNames names = ReadOperatorNames(settings);
    const MainWindowSettings old = ReadMainWindowSettings(settings);

    MainWindowSettings values = old;
    values.X = x;
    values.Y = y;
    values.Unit = unit;
    values.AutoClear = autoClear;
    WriteMainWindowSettings(settings, values);
    const MainWindowSettings now = ReadMainWindowSettings(settings);
    Check(now.X == x && now.Y == y && now.Unit == unit && now.AutoClear == autoClear);

    // A new operator goes under the first free number; names after a gap
    // may follow it.
    const OperatorNames oldNames = names;
    AppendOperatorName(settings, names, "Fuzz Name");
    const OperatorNames reread = ReadOperatorNames(settings);
    for (std::size_t i = 0; i < names.size() && PlainValue(names[i]); ++i) {
        Check(i < reread.size() && reread[i] == names[i]);
    }
    // Written back as the names dialog does; a name read from quotes or with
    // blanks inside them is stored bare, as the Windows program stores it,
    // so the check ends at the first such name.
    RewriteOperatorNames(settings, static_cast<int>(reread.size()), oldNames);
    const OperatorNames rewritten = ReadOperatorNames(settings);
    for (std::size_t i = 0; i < oldNames.size() && PlainValue(oldNames[i]); ++i) {
        Check(i < rewritten.size() && rewritten[i] == oldNames[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzScratchFile file("fuzz_settings_", ".ini");
    FuzzedDataProvider in(data, size);
    const std::string section = in.ConsumeRandomLengthString(16);
    const std::string key = in.ConsumeRandomLengthString(16);
    const std::string value = in.ConsumeRandomLengthString(32);
    const bool remove = in.ConsumeBool();
    const int x = in.ConsumeIntegral<int>();
    const int y = in.ConsumeIntegral<int>();
    const int unit = in.ConsumeIntegralInRange(0, 2);
    const bool autoClear = in.ConsumeBool();
    const std::string content = in.ConsumeRemainingBytesAsString();

    EditInMemory(content, section, key, value, remove);
    EditOnDisk(file, content, x, y, unit, autoClear);
    return 0;
}
