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

// One folder: its candidate files and subfolders, names sorted; false when
// the folder cannot be read (or not to its end).
bool ListOneFolder(const fs::path& folder, bool wantSubfolders, std::vector<std::string>& files,
                   std::vector<fs::path>& subfolders) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return false;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        const fs::path& p = it->path();
        // The type as the folder listing gives it: no call per entry.
        const bool link = it->is_symlink(ec);
        const bool folder = !ec && !link && it->is_directory(ec);
        if (ec) {
            ec.clear();
            if (HasReportExtension(p))
                files.push_back(BytesOf(p)); // the reader says what is wrong
            continue;
        }
        if (folder) {
            if (wantSubfolders)
                subfolders.push_back(p);
        } else if (HasReportExtension(p)) {
            // A link to a folder is no report and is never followed.
            if (link && fs::is_directory(fs::status(p, ec)))
                continue;
            ec.clear();
            files.push_back(BytesOf(p));
        }
    }
    std::sort(files.begin(), files.end());
    std::sort(subfolders.begin(), subfolders.end());
    return !ec;
}

void ReadEntry(HistoryEntry& e, const RuleSet* rules) {
    // One read of a regular file of bounded size, then every check of the
    // report reader on those bytes: the file is opened once.
    std::vector<std::uint8_t> image;
    MeasurementReport report;
    const safefile::ReadStatus status =
        safefile::ReadRegularFile(e.Path, image, fbfile::MaxFileBytes);
    if (status != safefile::ReadStatus::Ok || !LoadReportImage(image, &report, nullptr)) {
        switch (status) {
        case safefile::ReadStatus::Ok:
            e.Problem = HistoryProblem::NotReport;
            break;
        case safefile::ReadStatus::Missing:
            e.Problem = HistoryProblem::Vanished;
            break;
        case safefile::ReadStatus::NotRegular:
            e.Problem = HistoryProblem::NotRegular;
            break;
        case safefile::ReadStatus::TooLarge:
            e.Problem = HistoryProblem::TooLarge;
            break;
        case safefile::ReadStatus::Failed:
            e.Problem = HistoryProblem::Unreadable;
            break;
        }
        return;
    }
    report.FileName = e.Path;
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
    const auto rank = [](const HistoryEntry& e) {
        return e.Problem != HistoryProblem::None ? 2 : e.When ? 0 : 1;
    };
    if (rank(a) != rank(b))
        return rank(a) < rank(b);
    if (rank(a) == 0 && *a.When != *b.When)
        return *a.When < *b.When;
    return a.Path < b.Path;
}

bool ListReportHistory(const std::string& folder, const HistoryOptions& options,
                       const HistorySink& sink, const std::atomic<bool>* cancel) {
    // Folder by folder, breadth first: the chosen folder's own reports come
    // first, and its first rows are handed over before the rest is walked.
    struct Pending {
        fs::path Folder;
        int Depth;
    };
    std::vector<Pending> folders{{PathOf(folder), 0}};
    HistoryProgress progress;
    std::vector<HistoryEntry> batch;
    std::size_t limit = std::max<std::size_t>(1, options.FirstBatch);
    const auto add = [&](HistoryEntry&& e) {
        batch.push_back(std::move(e));
        if (batch.size() >= limit) {
            sink(std::move(batch), progress);
            batch.clear();
            limit = std::max<std::size_t>(1, options.Batch);
            batch.reserve(limit);
        }
    };
    for (std::size_t next = 0; next < folders.size() && !Cancelled(cancel); ++next) {
        const Pending here = folders[next];
        std::vector<std::string> files;
        std::vector<fs::path> subfolders;
        const bool whole = ListOneFolder(
            here.Folder, options.Subfolders && here.Depth < options.MaxDepth, files, subfolders);
        progress.Total += files.size() + (whole ? 0 : 1);
        if (!whole) {
            HistoryEntry e;
            e.Path = BytesOf(here.Folder);
            e.Problem = HistoryProblem::FolderUnreadable;
            ++progress.Done;
            add(std::move(e));
        }
        for (std::string& f : files) {
            if (Cancelled(cancel))
                break;
            HistoryEntry e;
            e.Path = std::move(f);
            ReadEntry(e, options.Rules);
            ++progress.Done;
            add(std::move(e));
        }
        for (const fs::path& s : subfolders)
            folders.push_back({s, here.Depth + 1});
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
