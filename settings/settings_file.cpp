#include "settings/settings_file.h"

#include "fileio/safe_file.h"
#include "settings/profile_text.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>

namespace {

const char* const kMain = "Main";
const char* const kNames = "Names";
const char* const kCompany = "Company";

// A leading decimal number, as the Windows integer read takes it: "12abc"
// is 12; no digit at all, or a number beyond int, gives the default.
int ParseInteger(const std::string& text, int def) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || text[i] < '0' || text[i] > '9') {
        return def;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            return def;
        }
    }
    value = negative ? -value : value;
    if (value > INT_MAX || value < INT_MIN) {
        return def;
    }
    return static_cast<int>(value);
}

} // namespace

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

bool SettingsFile::Load(ProfileText& text) const {
    ++reads_;
    std::string content;
    switch (safefile::ReadRegularFile(path_, content, MaxBytes)) {
    case safefile::ReadStatus::Ok:
        text = ProfileText(std::move(content));
        return true;
    case safefile::ReadStatus::Missing:
        text = ProfileText();
        return true;
    default: // a pipe, a folder, too large: never replaced by defaults
        break;
    }
    return false;
}

std::string SettingsFile::ReadString(const std::string& section, const std::string& key,
                                     const std::string& def) const {
    ProfileText text;
    if (path_.empty() || !Load(text)) {
        return def;
    }
    return text.Value(section, key).value_or(def);
}

int SettingsFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    ProfileText text;
    if (path_.empty() || !Load(text)) {
        return def;
    }
    const auto value = text.Value(section, key);
    return value ? ParseInteger(*value, def) : def;
}

bool SettingsFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool SettingsFile::Inspect(const std::function<void(const ProfileText&)>& use) const {
    ProfileText text;
    const bool ok = !path_.empty() && Load(text);
    if (!ok) {
        text = ProfileText();
    }
    use(text);
    return ok;
}

bool SettingsFile::Edit(const std::function<void(ProfileText&)>& change) {
    ProfileText text;
    if (path_.empty() || !Load(text)) {
        return false;
    }
    change(text);
    const std::string after = text.Content();
    if (text.SameAsRead(after)) {
        return true;
    }
    // A file this program could no longer read would lose every setting.
    return after.size() <= MaxBytes && safefile::ReplaceFile(path_, after);
}

bool SettingsFile::WriteString(const std::string& section, const std::string& key,
                               const std::string& value) {
    if (!ProfileText::IsUsableName(section, key)) {
        return false;
    }
    return Edit([&](ProfileText& text) { text.SetValue(section, key, value); });
}

bool SettingsFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool SettingsFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool SettingsFile::DeleteKey(const std::string& section, const std::string& key) {
    if (!ProfileText::IsUsableName(section, key)) {
        return false;
    }
    return Edit([&](ProfileText& text) { text.DeleteKey(section, key); });
}

CompanyDetails ReadCompanyDetails(const ProfileText& text) {
    auto value = [&](const char* key) { return text.Value(kCompany, key).value_or(""); };
    CompanyDetails d;
    d.Name = value("Name");
    d.Address = value("Address");
    d.City = value("City");
    d.Phone = value("Phone");
    d.Fax = value("Fax");
    d.Email = value("Email");
    d.Website = value("Website");
    d.VerzFirmenlogo = value("VerzFirmenlogo");
    return d;
}

CompanyDetails ReadCompanyDetails(const SettingsFile& settings) {
    CompanyDetails d;
    settings.Inspect([&](const ProfileText& text) { d = ReadCompanyDetails(text); });
    return d;
}

void WriteCompanyDetails(SettingsFile& settings, const CompanyDetails& d) {
    settings.Edit([&](ProfileText& text) {
        text.SetValue(kCompany, "Name", d.Name);
        text.SetValue(kCompany, "Address", d.Address);
        text.SetValue(kCompany, "City", d.City);
        text.SetValue(kCompany, "Phone", d.Phone);
        text.SetValue(kCompany, "Fax", d.Fax);
        text.SetValue(kCompany, "Email", d.Email);
        text.SetValue(kCompany, "Website", d.Website);
        text.SetValue(kCompany, "VerzFirmenlogo", d.VerzFirmenlogo);
    });
}

void WriteCompanyChanges(SettingsFile& settings, const CompanyDetails& before,
                         const CompanyDetails& after) {
    settings.Edit([&](ProfileText& text) {
        auto change = [&](const char* key, std::string CompanyDetails::*field) {
            if (before.*field != after.*field) {
                text.SetValue(kCompany, key, after.*field);
            }
        };
        change("Name", &CompanyDetails::Name);
        change("Address", &CompanyDetails::Address);
        change("City", &CompanyDetails::City);
        change("Phone", &CompanyDetails::Phone);
        change("Fax", &CompanyDetails::Fax);
        change("Email", &CompanyDetails::Email);
        change("Website", &CompanyDetails::Website);
        change("VerzFirmenlogo", &CompanyDetails::VerzFirmenlogo);
    });
}

namespace {

OperatorNames NamesIn(const ProfileText& text) {
    // Room for every key of the section at once: a list grown name by name
    // would hold up to twice the room of its names beside the whole text.
    OperatorNames names;
    names.reserve(text.KeyCount(kNames));
    for (std::size_t i = 0;; ++i) {
        const auto name = text.ValueView(kNames, std::to_string(i));
        if (!name || name->empty()) {
            break;
        }
        names.emplace_back(*name);
    }
    // Other keys of the section took room that no name uses.
    if (names.capacity() > 2 * names.size()) {
        names.shrink_to_fit();
    }
    return names;
}

bool Contains(const OperatorNames& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A list of thousands of names is looked up by hash, not searched.
std::unordered_set<std::string_view> SetOf(const OperatorNames& names) {
    return {names.begin(), names.end()};
}

// Stores names under keys 0.. where they differ from now and removes the
// keys beyond them.
void StoreNames(ProfileText& text, const OperatorNames& now, const OperatorNames& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i >= now.size() || now[i] != names[i]) {
            text.SetValue(kNames, std::to_string(i), names[i]);
        }
    }
    for (std::size_t i = now.size(); i > names.size(); --i) {
        text.DeleteKey(kNames, std::to_string(i - 1));
    }
}

} // namespace

OperatorNames ReadOperatorNames(const ProfileText& text) {
    return NamesIn(text);
}

OperatorNames ReadOperatorNames(const SettingsFile& settings) {
    OperatorNames names;
    settings.Inspect([&](const ProfileText& text) { names = NamesIn(text); });
    return names;
}

void RewriteOperatorNames(SettingsFile& settings, int oldItemCount, const OperatorNames& names) {
    settings.Edit([&](ProfileText& text) {
        for (int i = oldItemCount - 1; i >= 0; --i) {
            text.DeleteKey(kNames, std::to_string(i));
        }
        // An empty name would end the list when it is read back and hide
        // every name after it, so it is not stored.
        int key = 0;
        for (const std::string& name : names) {
            if (!name.empty()) {
                text.SetValue(kNames, std::to_string(key++), name);
            }
        }
    });
}

void AppendOperatorName(SettingsFile& settings, OperatorNames& names, const std::string& name) {
    const std::string cut = name.substr(0, MaxOperatorNameBytes);
    OperatorNames stored;
    const bool written = settings.Edit([&](ProfileText& text) {
        stored = NamesIn(text);
        if (!cut.empty() && !Contains(stored, cut)) {
            text.SetValue(kNames, std::to_string(stored.size()), cut);
            stored.push_back(cut);
        }
    });
    // Without a writable file the window still lists the name.
    if (!written && !Contains(stored, cut)) {
        stored = names;
        stored.push_back(cut);
    }
    names = stored;
}

OperatorNames MergeOperatorNames(SettingsFile& settings, const OperatorNames& before,
                                 const OperatorNames& after) {
    OperatorNames merged;
    const bool written = settings.Edit([&](ProfileText& text) {
        const OperatorNames now = NamesIn(text);
        const auto shown = SetOf(before);
        const auto stored = SetOf(now);
        std::unordered_set<std::string_view> taken;
        // This window's list, less what another instance removed meanwhile,
        // then what another instance added; an empty name would end the list.
        for (const std::string& name : after) {
            const bool removedElsewhere = shown.count(name) && !stored.count(name);
            if (!name.empty() && !removedElsewhere && taken.insert(name).second) {
                merged.push_back(name);
            }
        }
        for (const std::string& name : now) {
            if (!shown.count(name) && taken.insert(name).second) {
                merged.push_back(name);
            }
        }
        StoreNames(text, now, merged);
    });
    if (!written) {
        merged.clear();
        for (const std::string& name : after) {
            if (!name.empty()) {
                merged.push_back(name);
            }
        }
    }
    return merged;
}

MainWindowSettings ReadMainWindowSettings(const ProfileText& text) {
    auto integer = [&](const char* section, const char* key, int def) {
        const auto value = text.Value(section, key);
        return value ? ParseInteger(*value, def) : def;
    };
    MainWindowSettings values;
    values.X = integer(kMain, "x", 10);
    values.Y = integer(kMain, "y", 10);
    values.Unit = integer(kMain, "Unit", 0);
    values.AutoClear = integer(kMain, "AutoClear", 0) != 0;
    values.LastUser = integer(kNames, "LastUser", 0);
    return values;
}

MainWindowSettings ReadMainWindowSettings(const SettingsFile& settings) {
    MainWindowSettings values;
    settings.Inspect([&](const ProfileText& text) { values = ReadMainWindowSettings(text); });
    return values;
}

void WriteMainWindowSettings(SettingsFile& settings, const MainWindowSettings& values) {
    settings.Edit([&](ProfileText& text) {
        text.SetValue(kMain, "x", std::to_string(values.X));
        text.SetValue(kMain, "y", std::to_string(values.Y));
        text.SetValue(kMain, "Unit", std::to_string(values.Unit));
        text.SetValue(kMain, "AutoClear", values.AutoClear ? "1" : "0");
        text.SetValue(kNames, "LastUser", std::to_string(values.LastUser));
    });
}

StartupSettings ReadStartupSettings(const ProfileText& text) {
    StartupSettings values;
    values.Company = ReadCompanyDetails(text);
    values.Names = ReadOperatorNames(text);
    values.Main = ReadMainWindowSettings(text);
    return values;
}

StartupSettings ReadStartupSettings(const SettingsFile& settings) {
    StartupSettings values;
    settings.Inspect([&](const ProfileText& text) { values = ReadStartupSettings(text); });
    return values;
}

WindowPosition ReadWindowPosition(const SettingsFile& settings, const std::string& section) {
    WindowPosition pos;
    settings.Inspect([&](const ProfileText& text) {
        auto integer = [&](const char* key, int def) {
            const auto value = text.Value(section, key);
            return value ? ParseInteger(*value, def) : def;
        };
        pos.X = integer("x", pos.X);
        pos.Y = integer("y", pos.Y);
    });
    return pos;
}

void WriteWindowPosition(SettingsFile& settings, const std::string& section, WindowPosition pos) {
    if (!ProfileText::IsUsableName(section, "x")) {
        return;
    }
    settings.Edit([&](ProfileText& text) {
        text.SetValue(section, "x", std::to_string(pos.X));
        text.SetValue(section, "y", std::to_string(pos.Y));
    });
}
