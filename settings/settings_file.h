// The per-user settings file "VRX310.ini" and the main window's copies of
// the company details and the operator names.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class ProfileText;

class SettingsFile {
public:
    // Real settings are a few kilobytes. A larger file is not read, and no
    // write may make the file larger than this.
    static constexpr std::size_t MaxBytes = 16u << 20;

    // An empty path: every read gives its default and nothing is written.
    explicit SettingsFile(std::string path);

    const std::string& Path() const { return path_; }

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // Each write or deletion reaches the file at once, atomically.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);
    bool WriteInteger(const std::string& section, const std::string& key, int value);
    bool WriteBool(const std::string& section, const std::string& key, bool value);
    bool DeleteKey(const std::string& section, const std::string& key);

    // Several reads from one fresh reading of the file. An empty path or an
    // unreadable file is seen as an empty one (all defaults); the result
    // tells whether the file could be read.
    bool Inspect(const std::function<void(const ProfileText&)>& use) const;
    // Several changes from one fresh reading of the file, stored with one
    // atomic write (only when something changed). False when nothing could
    // be stored: empty path, unreadable file, failed write.
    bool Edit(const std::function<void(ProfileText&)>& change);

    // How many times this object has read the file: a test's guard that
    // start-up and each dialog read it once, not once per key.
    std::size_t Reads() const { return reads_; }

private:
    // The file as it is now; false when it exists but cannot be read.
    bool Load(ProfileText& text) const;

    std::string path_;
    mutable std::size_t reads_ = 0;
};

// "<per-user configuration folder>/VRX310.ini"; the folder is created when
// missing. On Windows "<roaming application data>\VRX310.ini", in UTF-8,
// and no folder is ever created. Empty when no folder can be determined.
std::string SettingsFilePath();

struct CompanyDetails {
    std::string Name;
    std::string Address;
    std::string City;
    std::string Phone;
    std::string Fax;
    std::string Email;
    std::string Website;
    std::string VerzFirmenlogo;
};

CompanyDetails ReadCompanyDetails(const SettingsFile& settings);
// The same from a text already read: several readings from one parse.
CompanyDetails ReadCompanyDetails(const ProfileText& text);
void WriteCompanyDetails(SettingsFile& settings, const CompanyDetails& details);
// Writes only the details that differ between before (what the window
// showed) and after: another running instance's changes to the rest stay.
void WriteCompanyChanges(SettingsFile& settings, const CompanyDetails& before,
                         const CompanyDetails& after);

using OperatorNames = std::vector<std::string>;

// Keys "0", "1", ... until the first empty or missing value.
OperatorNames ReadOperatorNames(const SettingsFile& settings);
OperatorNames ReadOperatorNames(const ProfileText& text);
// Deletes keys oldItemCount-1 .. 0 (highest first), then writes 0..n-1.
void RewriteOperatorNames(SettingsFile& settings, int oldItemCount, const OperatorNames& names);
// An operator name longer than this (from a hostile report) is cut.
constexpr std::size_t MaxOperatorNameBytes = 255;
// Appends name (cut to MaxOperatorNameBytes) to the list as the file holds
// it now, unless it is there already; names becomes that list.
void AppendOperatorName(SettingsFile& settings, OperatorNames& names, const std::string& name);
// Applies this window's edit of the list (before -> after) to the list as
// the file holds it now: names another instance added stay, names it removed
// stay removed; only keys whose value changes are written. Returns the list
// now stored.
OperatorNames MergeOperatorNames(SettingsFile& settings, const OperatorNames& before,
                                 const OperatorNames& after);

struct MainWindowSettings {
    int X = 10;
    int Y = 10;
    int Unit = 0;
    bool AutoClear = false;
    int LastUser = 0; // read only when the operator list is not empty
};
MainWindowSettings ReadMainWindowSettings(const SettingsFile& settings);
MainWindowSettings ReadMainWindowSettings(const ProfileText& text);
// Writes Main x, Main y, Main Unit, Main AutoClear, Names LastUser, in this order.
void WriteMainWindowSettings(SettingsFile& settings, const MainWindowSettings& values);

// What the main window reads at start-up, from one reading of the file.
struct StartupSettings {
    CompanyDetails Company;
    OperatorNames Names;
    MainWindowSettings Main;
};
StartupSettings ReadStartupSettings(const SettingsFile& settings);
StartupSettings ReadStartupSettings(const ProfileText& text);

struct WindowPosition {
    int X = 20;
    int Y = 20;
};
// Sections "Names", "Company", "ChgSens": keys x and y, default 20.
WindowPosition ReadWindowPosition(const SettingsFile& settings, const std::string& section);
void WriteWindowPosition(SettingsFile& settings, const std::string& section, WindowPosition pos);
