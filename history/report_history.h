// A folder of report files listed for the history window and vrx310-cli
// history. Only regular files named *.vrx are read, each through the report
// reader with its size bound; a file that cannot be read as a report is
// listed with the reason. Nothing is ever written.
//
// Paths are byte strings as the file system gives them (on Windows UTF-8),
// so names that are no valid UTF-8 survive; report texts are Windows-1252.
#pragma once

#include "evaluation/evaluation.h"
#include "report/report_model.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class HistoryProblem {
    None,
    NotRegular,      // a pipe, device, socket or folder named *.vrx
    TooLarge,        // larger than a report file can be
    Vanished,        // gone between listing and reading (or a dangling link)
    Unreadable,      // no permission, read error
    NotReport,       // no report database, or damaged
    FolderUnreadable // a folder on the way that may not be read
};

// A short English explanation (the tool's; the window has its own texts).
const char* HistoryProblemText(HistoryProblem problem);

// "yyyy/mm/dd -- hh:mm:ss" or "dd.mm.yyyy -- hh:mm:ss" (any of / . - as date
// separator, : or . in the time) as yyyymmddhhmmss; nothing when it is no
// such date.
std::optional<std::int64_t> ParseReportDate(std::string_view dateAndTime);

// Positions 1..12 that show a compression or leakage value.
int CylindersShown(const MeasurementReport& report);

struct HistoryEntry {
    std::string Path;
    HistoryProblem Problem = HistoryProblem::None;
    MeasurementReport Report;         // when Problem is None
    std::optional<std::int64_t> When; // ParseReportDate of the report's date
    int Cylinders = 0;
    EvalFlag Worst = EvalFlag::None; // with a rule set given
};

// Earlier date first, then reports whose date cannot be parsed, then files
// that are no reports (these two in path order).
bool HistoryDateLess(const HistoryEntry& a, const HistoryEntry& b);

struct HistoryOptions {
    bool Subfolders = false;
    // Rows are handed over in batches: the first small, so a window shows
    // them at once, the later ones larger.
    std::size_t FirstBatch = 16;
    std::size_t Batch = 256;
    int MaxDepth = 64; // bounds a folder tree that loops through mounts
    // The workshop's rule set for each report's worst flag; none: no flags.
    const RuleSet* Rules = nullptr;
};

struct HistoryProgress {
    std::size_t Done = 0;  // candidates read
    std::size_t Total = 0; // candidates found
};

// Receives each batch in walking order (folder by folder, names sorted);
// Total grows as folders are walked.
using HistorySink = std::function<void(std::vector<HistoryEntry>&& batch, HistoryProgress)>;

// Lists folder. Symbolic links to files are read (the reader checks what
// they lead to); links to folders are never followed, so no loop can form.
// Returns false when cancel became true (the batches so far were handed
// over). A top folder that cannot be read gives one FolderUnreadable entry.
bool ListReportHistory(const std::string& folder, const HistoryOptions& options,
                       const HistorySink& sink, const std::atomic<bool>* cancel = nullptr);

// The same, all entries at once.
std::vector<HistoryEntry> ListReportHistory(const std::string& folder, bool subfolders,
                                            const RuleSet* rules = nullptr);

// Whether entry's vehicle text contains filter, ignoring letter case and
// accents (filter is UTF-8, the report's text Windows-1252).
bool HistoryVehicleMatches(const HistoryEntry& entry, std::string_view filterUtf8);
