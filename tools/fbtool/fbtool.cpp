// fbtool: look into or repair a database file.
//
//   fbtool dump FILE [OUT]                    the database as JSON (to stdout, or OUT)
//   fbtool build JSON OUT [--version 1|2]     a new database from such JSON
//   fbtool check FILE                         "ok" and the version, or the error
//   fbtool [COMMAND] --help | --version
//
// "-" as FILE or JSON is standard input, as OUT standard output.
//
// Texts are byte strings; in JSON each byte is the character with the same
// code (0-255), so any byte survives the trip.
#include "fileio/safe_file.h"
#include "freebase/fb_file.h"
#include "freebase/freebase.h"
#include "tools/common/tool_console.h"
#include "tools/fbtool/fbtool_json.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

// The project's version, given by the build.
#ifndef VRX310_VERSION
#error "VRX310_VERSION is not defined"
#endif

namespace {

using nlohmann::json;

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// JSON larger than this is no database this tool made: a report's dump is a
// few kilobytes, the largest databases tested a few megabytes.
constexpr std::uint64_t MaxJsonBytes = 64u << 20;
// A database built from such JSON stays well below this.
constexpr std::uint64_t MaxBuiltBytes = 256u << 20;

const char* ErrorMeaning(int code) {
    switch (code) {
    case fbeNone:
        return "no error";
    case fbeAlreadyActive:
        return "the database is already active";
    case fbeNoFileName:
        return "no file name";
    case fbeFileMissing:
        return "the file does not exist or cannot be created";
    case fbeWriteFailed:
        return "writing the file failed";
    case fbeLoadFailed:
        return "the file cannot be loaded (too short, no database, wrong version, truncated or "
               "malformed)";
    case fbeNotActive:
        return "the database is not active";
    case fbeHeaderCrc:
        return "header checksum mismatch";
    case fbeDataCrc:
        return "data checksum mismatch";
    default:
        return "unknown error";
    }
}

struct CommandHelp {
    const char* Name;
    const char* Usage;
    const char* Summary;
};

const CommandHelp Commands[] = {
    {"dump", "FILE [OUT]", "the database as JSON, to stdout or into OUT"},
    {"build", "JSON OUT [--version 1|2]",
     "a new database from such JSON, in the version the JSON names (else 2) unless --version "
     "says"},
    {"check", "FILE", "\"ok, version N\" or the error that stops loading"},
};

const char* const StreamNote =
    "FILE or JSON \"-\" reads standard input, OUT \"-\" writes standard output.\n";

void PrintUsage(std::ostream& out) {
    for (std::size_t i = 0; i < std::size(Commands); ++i) {
        out << (i == 0 ? "usage: " : "       ") << "fbtool " << Commands[i].Name << " "
            << Commands[i].Usage << "\n";
    }
    out << "       fbtool COMMAND --help\n"
        << "       fbtool --help | --version\n"
        << StreamNote;
}

int Usage(const std::string& why) {
    std::cerr << "fbtool: " << why << "\n";
    PrintUsage(std::cerr);
    return ExitUsage;
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

int PrintVersion() {
    std::cout << "fbtool " << VRX310_VERSION << "\n";
    return ExitOk;
}

// ExitOk once the help or version asked for is printed, else -1. After a
// command only as its sole argument, where build's "--version 1|2" never is.
int HelpOrVersion(const std::vector<std::string>& args) {
    if (args.size() == 1 && IsHelp(args[0])) {
        std::cout << "fbtool: look into or repair a database file (a report file)\n";
        PrintUsage(std::cout);
        return ExitOk;
    }
    if (args.size() == 1 && args[0] == "--version") {
        return PrintVersion();
    }
    if (args.size() != 2) {
        return -1;
    }
    for (const CommandHelp& c : Commands) {
        if (args[0] != c.Name) {
            continue;
        }
        if (IsHelp(args[1])) {
            std::cout << "usage: fbtool " << c.Name << " " << c.Usage << "\n  " << c.Summary << "\n"
                      << StreamNote;
            return ExitOk;
        }
        if (args[1] == "--version") {
            return PrintVersion();
        }
    }
    return -1;
}

// --- commands ----------------------------------------------------------------

using fbjson::BadInput;
using nlohmann::json;

// A file as the program opens it; standard input read within the same
// bound and given every check of a file.
bool OpenForReading(TFreeBase& db, const std::string& path) {
    if (toolconsole::IsStandardStream(path)) {
        std::vector<std::uint8_t> image;
        if (toolconsole::ReadInput(path, image, fbfile::MaxFileBytes) != safefile::ReadStatus::Ok) {
            db.SetLastError(fbeLoadFailed);
            return false;
        }
        return db.OpenImage(image);
    }
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::ReadOnly);
    return db.Open();
}

int ReportLoadError(const std::string& path, int code) {
    std::cerr << "fbtool: " << path << ": error " << code << ": " << ErrorMeaning(code) << "\n";
    return ExitFailed;
}

const char* ReadStatusText(safefile::ReadStatus status) {
    switch (status) {
    case safefile::ReadStatus::Missing:
        return "no such file";
    case safefile::ReadStatus::NotRegular:
        return "not a regular file";
    case safefile::ReadStatus::TooLarge:
        return "too large";
    default:
        return "cannot be read";
    }
}

// Replaces `path` with `content`, or writes it to stdout for "-"; an old
// file stays as it was on failure.
bool WriteOutput(const std::string& path, const std::string& content) {
    int error = 0;
    if (toolconsole::WriteOutput(path, content, error)) {
        return true;
    }
    std::cerr << "fbtool: cannot write " << path << ": "
              << (error ? safefile::ErrorText(error) : std::string("write failed")) << "\n";
    return false;
}

int Dump(const std::string& path, const std::string& outPath) {
    TFreeBase db;
    if (!OpenForReading(db, path)) {
        return ReportLoadError(path, db.LastError());
    }
    const std::string text = fbjson::DumpJson(db);
    db.Abort();
    if (!outPath.empty()) {
        return WriteOutput(outPath, text) ? ExitOk : ExitFailed;
    }
    std::cout << text;
    std::cout.flush();
    return std::cout ? ExitOk : ExitFailed;
}

int Check(const std::string& path) {
    TFreeBase db;
    if (!OpenForReading(db, path)) {
        const int code = db.LastError();
        std::cout << "error " << code << ": " << ErrorMeaning(code) << "\n";
        return ExitFailed;
    }
    std::cout << "ok, version " << db.Version() << "\n";
    db.Abort();
    return ExitOk;
}

// A private folder for the database while it is built; removed with it.
class WorkFolder {
public:
    WorkFolder() {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec) {
            error_ = ec.message();
            return;
        }
#ifdef _WIN32
        // No mkdtemp: a random name, taken only when nobody has it yet.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate = base / ("fbtool-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate, ec)) {
                folder_ = candidate;
                path_ = safefile::Utf8FromWide(candidate.wstring());
            } else if (ec) {
                break;
            }
        }
        if (path_.empty())
            error_ = ec ? ec.message() : "no free name";
#else
        std::string pattern = (base / "fbtool-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            folder_ = pattern;
            path_ = pattern;
        } else {
            error_ = std::strerror(errno);
        }
#endif
    }
    ~WorkFolder() {
        std::error_code ec;
        if (!path_.empty()) {
            std::filesystem::remove_all(folder_, ec);
        }
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    // UTF-8 on Windows, like every path the tool hands on.
    const std::string& Path() const {
        return path_;
    }
    const std::string& Error() const {
        return error_;
    }

private:
    std::filesystem::path folder_;
    std::string path_;
    std::string error_;
};

int Build(const std::string& jsonPath, const std::string& outPath, int versionOption) {
    std::string text;
    const safefile::ReadStatus status = toolconsole::ReadInput(jsonPath, text, MaxJsonBytes);
    if (status != safefile::ReadStatus::Ok) {
        return Usage("cannot read " + jsonPath + ": " + ReadStatusText(status));
    }

    // The database is made in a private folder, then its bytes replace OUT
    // in one step, so an old OUT survives any failure.
    const WorkFolder work;
    if (work.Path().empty()) {
        std::cerr << "fbtool: cannot make a temporary folder: " << work.Error() << "\n";
        return ExitFailed;
    }
    const std::string workFile = work.Path() + "/build.fdb";
    TFreeBase db;
    db.SetFileName(workFile);
    db.SetOpenFlag(TFBOpenFlag::CreateNotExists);
    if (!db.Open()) {
        return ReportLoadError(workFile, db.LastError());
    }
    // Entries are made while the text is parsed: no document beside them.
    try {
        const int version = fbjson::BuildDatabase(db, text, versionOption);
        db.SetSaveAsVersion(version == 1 ? TSaveAsVersion::Version1 : TSaveAsVersion::Version2);
    } catch (const fbjson::InvalidJson& bad) {
        db.Abort();
        return Usage(jsonPath + " is no valid JSON: " + bad.What);
    } catch (const BadInput& bad) {
        db.Abort();
        return Usage(jsonPath + ": " + bad.What);
    } catch (const json::exception& ex) {
        db.Abort();
        return Usage(jsonPath + ": " + ex.what());
    }
    std::string().swap(text);
    db.Close();
    if (db.LastError() != fbeNone) {
        return ReportLoadError(workFile, db.LastError());
    }
    std::string image;
    if (safefile::ReadRegularFile(workFile, image, MaxBuiltBytes) != safefile::ReadStatus::Ok) {
        std::cerr << "fbtool: cannot read back " << workFile << "\n";
        return ExitFailed;
    }
    return WriteOutput(outPath, image) ? ExitOk : ExitFailed;
}

} // namespace

int main(int argc, char** argv) {
    toolconsole::UseBinaryOutput();
    const std::vector<std::string> args = toolconsole::Arguments(argc, argv);
    if (args.empty()) {
        return Usage("no command");
    }
    if (const int status = HelpOrVersion(args); status >= 0) {
        return status;
    }
    const std::string& command = args[0];
    if (command == "check") {
        if (args.size() != 2) {
            return Usage("check takes one FILE");
        }
        return Check(args[1]);
    }
    if (command == "dump") {
        if (args.size() != 2 && args.size() != 3) {
            return Usage("dump takes FILE and an optional OUT");
        }
        return Dump(args[1], args.size() == 3 ? args[2] : std::string());
    }
    if (command == "build") {
        std::vector<std::string> files;
        int version = 0;
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--version") {
                if (i + 1 == args.size() || (args[i + 1] != "1" && args[i + 1] != "2")) {
                    return Usage("--version takes 1 or 2");
                }
                version = args[++i] == "1" ? 1 : 2;
            } else {
                files.push_back(args[i]);
            }
        }
        if (files.size() != 2) {
            return Usage("build takes JSON and OUT");
        }
        return Build(files[0], files[1], version);
    }
    return Usage("unknown command \"" + command + "\"");
}
