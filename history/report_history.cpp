#include "history/report_history.h"

#include "fileio/safe_file.h"
#include "freebase/fb_file.h"
#include "history/text_fold.h"
#include "report/report_file.h"
#include "text/cp1252.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Bytes of a path as the rest of the program takes them (UTF-8 on Windows,
// the file system's own bytes elsewhere).
std::string BytesOf(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

fs::path PathOf(const std::string& bytes) {
    return fs::path(std::u8string(bytes.begin(), bytes.end()));
}

bool HasReportExtension(const fs::path& name) {
    const std::string n = BytesOf(name.filename());
    if (n.size() < 5)
        return false;
    std::string ext = n.substr(n.size() - 4);
    for (char& c : ext)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".vrx";
}

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel && cancel->load(std::memory_order_relaxed);
}

// Candidate files and unreadable folders, folder by folder, names sorted.
void Walk(const fs::path& top, const HistoryOptions& options, const std::atomic<bool>* cancel,
          std::vector<HistoryEntry>& found) {
    struct Pending {
        fs::path Folder;
        int Depth;
    };
    std::vector<Pending> folders{{top, 0}};
    for (std::size_t next = 0; next < folders.size() && !Cancelled(cancel); ++next) {
        const Pending here = folders[next];
        std::error_code ec;
        fs::directory_iterator it(here.Folder, ec);
        if (ec) {
            HistoryEntry e;
            e.Path = BytesOf(here.Folder);
            e.Problem = HistoryProblem::FolderUnreadable;
            found.push_back(std::move(e));
            continue;
        }
        std::vector<fs::path> files;
        std::vector<fs::path> subfolders;
        for (const fs::directory_iterator end; it != end; it.increment(ec)) {
            if (ec || Cancelled(cancel))
                break;
            const fs::path& p = it->path();
            const fs::file_status own = it->symlink_status(ec);
            if (ec) {
                ec.clear();
                if (HasReportExtension(p))
                    files.push_back(p); // the reader says what is wrong
                continue;
            }
            if (fs::is_directory(own)) {
                if (options.Subfolders && here.Depth < options.MaxDepth)
                    subfolders.push_back(p);
            } else if (HasReportExtension(p)) {
                // A link to a folder is no report and is never followed.
                if (fs::is_symlink(own) && fs::is_directory(fs::status(p, ec)))
                    continue;
                ec.clear();
                files.push_back(p);
            }
        }
        if (ec) {
            HistoryEntry e;
            e.Path = BytesOf(here.Folder);
            e.Problem = HistoryProblem::FolderUnreadable;
            found.push_back(std::move(e));
        }
        std::sort(files.begin(), files.end());
        std::sort(subfolders.begin(), subfolders.end());
        for (const fs::path& f : files) {
            HistoryEntry e;
            e.Path = BytesOf(f);
            found.push_back(std::move(e));
        }
        // Breadth first: the chosen folder's own reports come first.
        for (const fs::path& s : subfolders)
            folders.push_back({s, here.Depth + 1});
    }
}

void ReadEntry(HistoryEntry& e, const RuleSet* rules) {
    std::uint64_t size = 0;
    switch (safefile::CheckRegularFile(e.Path, fbfile::MaxFileBytes, &size)) {
    case safefile::ReadStatus::Ok:
        break;
    case safefile::ReadStatus::Missing:
        e.Problem = HistoryProblem::Vanished;
        return;
    case safefile::ReadStatus::NotRegular:
        e.Problem = HistoryProblem::NotRegular;
        return;
    case safefile::ReadStatus::TooLarge:
        e.Problem = HistoryProblem::TooLarge;
        return;
    case safefile::ReadStatus::Failed:
        e.Problem = HistoryProblem::Unreadable;
        return;
    }
    MeasurementReport report;
    if (!LoadReportFile(e.Path, &report, nullptr)) {
        // Gone or changed since the check: say what it is now.
        const safefile::ReadStatus now = safefile::CheckRegularFile(e.Path, fbfile::MaxFileBytes);
        e.Problem = now == safefile::ReadStatus::Missing  ? HistoryProblem::Vanished
                    : now == safefile::ReadStatus::Failed ? HistoryProblem::Unreadable
                                                          : HistoryProblem::NotReport;
        return;
    }
    e.Report = std::move(report);
    e.When = ParseReportDate(e.Report.DateandTime);
    e.Cylinders = CylindersShown(e.Report);
    if (rules)
        e.Worst = WorstFlag(e.Report, *rules);
}

// Up to `digits` decimal digits at text[i]; their count in *n.
int Number(std::string_view text, std::size_t& i, int maxDigits, int* n) {
    int value = 0;
    *n = 0;
    while (i < text.size() && *n < maxDigits && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i] - '0');
        ++i;
        ++*n;
    }
    return value;
}

} // namespace

const char* HistoryProblemText(HistoryProblem problem) {
    switch (problem) {
    case HistoryProblem::None:
        return "";
    case HistoryProblem::NotRegular:
        return "not a regular file";
    case HistoryProblem::TooLarge:
        return "too large for a report file";
    case HistoryProblem::Vanished:
        return "the file has vanished";
    case HistoryProblem::Unreadable:
        return "the file cannot be read";
    case HistoryProblem::NotReport:
        return "not a report file, or damaged";
    case HistoryProblem::FolderUnreadable:
        return "the folder cannot be read";
    }
    return "";
}

std::optional<std::int64_t> ParseReportDate(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int digits[3] = {};
    int parts[3] = {};
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            if (i >= text.size() || (text[i] != '/' && text[i] != '.' && text[i] != '-'))
                return std::nullopt;
            ++i;
        }
        parts[k] = Number(text, i, 4, &digits[k]);
        if (digits[k] == 0)
            return std::nullopt;
    }
    int year = 0, month = 0, day = 0;
    if (digits[0] == 4 && digits[1] <= 2 && digits[2] <= 2) {
        year = parts[0], month = parts[1], day = parts[2];
    } else if (digits[2] == 4 && digits[0] <= 2 && digits[1] <= 2) {
        day = parts[0], month = parts[1], year = parts[2];
    } else {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    int hms[3] = {};
    const std::string_view dashes = " -- ";
    if (text.substr(i, dashes.size()) == dashes) {
        i += dashes.size();
        for (int k = 0; k < 3; ++k) {
            if (k > 0) {
                if (i >= text.size() || (text[i] != ':' && text[i] != '.'))
                    return std::nullopt;
                ++i;
            }
            int n = 0;
            hms[k] = Number(text, i, 2, &n);
            if (n == 0)
                return std::nullopt;
        }
        if (hms[0] > 23 || hms[1] > 59 || hms[2] > 59)
            return std::nullopt;
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size())
        return std::nullopt;
    return ((((static_cast<std::int64_t>(year) * 100 + month) * 100 + day) * 100 + hms[0]) * 100 +
            hms[1]) *
               100 +
           hms[2];
}

int CylindersShown(const MeasurementReport& report) {
    int shown = 0;
    for (int p = 0; p < 12; ++p) {
        const int c = report.CompressionAssignment[p];
        const int l = report.LeakageAssignment[p];
        if ((c >= 1 && c <= 12 && report.Compression[c - 1] >= 0) ||
            (l >= 1 && l <= 12 && report.Leakage[l - 1] >= 0))
            ++shown;
    }
    return shown;
}

bool HistoryDateLess(const HistoryEntry& a, const HistoryEntry& b) {
    const bool da = a.Problem == HistoryProblem::None && a.When;
    const bool db = b.Problem == HistoryProblem::None && b.When;
    if (da != db)
        return da;
    if (da && *a.When != *b.When)
        return *a.When < *b.When;
    return a.Path < b.Path;
}

bool ListReportHistory(const std::string& folder, const HistoryOptions& options,
                       const HistorySink& sink, const std::atomic<bool>* cancel) {
    std::vector<HistoryEntry> found;
    Walk(PathOf(folder), options, cancel, found);
    HistoryProgress progress;
    progress.Total = found.size();
    std::vector<HistoryEntry> batch;
    std::size_t limit = std::max<std::size_t>(1, options.FirstBatch);
    for (HistoryEntry& e : found) {
        if (Cancelled(cancel))
            break;
        if (e.Problem == HistoryProblem::None)
            ReadEntry(e, options.Rules);
        ++progress.Done;
        batch.push_back(std::move(e));
        if (batch.size() >= limit) {
            sink(std::move(batch), progress);
            batch.clear();
            limit = std::max<std::size_t>(1, options.Batch);
        }
    }
    if (!batch.empty() || progress.Total == 0)
        sink(std::move(batch), progress);
    return !Cancelled(cancel);
}

std::vector<HistoryEntry> ListReportHistory(const std::string& folder, bool subfolders,
                                            const RuleSet* rules) {
    std::vector<HistoryEntry> all;
    HistoryOptions options;
    options.Subfolders = subfolders;
    options.Rules = rules;
    ListReportHistory(folder, options, [&](std::vector<HistoryEntry>&& batch, HistoryProgress) {
        for (HistoryEntry& e : batch)
            all.push_back(std::move(e));
    });
    return all;
}

bool HistoryVehicleMatches(const HistoryEntry& entry, std::string_view filterUtf8) {
    if (filterUtf8.empty())
        return true;
    if (entry.Problem != HistoryProblem::None)
        return false;
    return ContainsFolded(Cp1252ToUtf8(entry.Report.CarID), filterUtf8);
}
