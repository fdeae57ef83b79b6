// The text of a private-profile (INI) file, held line by line so that an
// edit touches only its own line: comments, blank lines, unknown sections
// and keys, odd lines and the line-end style all stay as they were.
//
// Lookup follows the Windows profile functions: sections and keys compared
// without regard to the case of Windows-1252 letters (A-Z, À-Þ but not ×,
// Š, Œ, Ž, Ÿ), the first section of a name and the first key of a name in
// it win, blanks around '=' and around the value do not count, and one pair
// of matching quotes around a value is dropped. Lines starting with ';' are
// comments; keys before the first section belong to no section.
//
// Cost: the text is parsed once, lines are kept as ranges of one buffer
// (24 bytes per line and 11 per key, beside the text itself),
// and every lookup, change or deletion takes constant time on average; only
// Content() walks the whole text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ProfileText {
public:
    explicit ProfileText(std::string content = {});

    std::optional<std::string> Value(const std::string& section, const std::string& key) const;

    // Both return whether the text changed. A new key goes after the last
    // key of its section, a new section to the end of the file. CR, LF and
    // NUL in a value become blanks, so a value can never start a line.
    bool SetValue(const std::string& section, const std::string& key, const std::string& value);
    bool DeleteKey(const std::string& section, const std::string& key);

    std::string Content() const;
    // Whether content (as Content() gives it) is the text this object was
    // made from.
    bool SameAsRead(std::string_view content) const;

    // Names that can be written: not empty, no line break, no blanks at
    // either end; a section without ']', a key without '=' that starts
    // with neither ';' nor '['.
    static bool IsUsableName(const std::string& section, const std::string& key);
    // "\r\n" or "\n": the style of the file's first line end; "\r\n" for a
    // file without any.
    const std::string& NewLine() const { return newline_; }

    // How many times a text of any lines was indexed as a whole, by every
    // object of the process: once per parse. For tests that guard against
    // re-indexing.
    static std::size_t IndexRuns();

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    enum : std::uint8_t { kOther, kHeader, kKey };
    struct Line {
        std::uint32_t start = 0; // text in buf_, without its line end
        std::uint32_t len = 0;
        std::uint32_t prev = kNone;
        std::uint32_t next = kNone;
        std::uint32_t section = kNone; // index into sections_ for kKey lines
        std::uint8_t eol = 0;          // index into the line-end table
        std::uint8_t kind = kOther;
    };
    struct Section {
        std::uint32_t header = 0;
        std::uint32_t lastEntry = 0; // last key line, or the header
    };
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t line = kNone; // kNone: empty; kGone: removed
    };
    static constexpr std::uint32_t kGone = 0xFFFFFFFEu;

    std::string_view Text(std::uint32_t line) const;
    std::string_view Name(std::uint32_t line) const; // section or key name, trimmed
    std::uint32_t Hash(std::uint32_t section, std::string_view name) const;
    bool Matches(const Slot& slot, std::uint32_t hash, std::uint32_t section,
                 std::string_view name) const;
    std::uint32_t Find(std::uint32_t section, std::string_view name) const;
    std::size_t SlotOf(std::uint32_t line) const;
    void Insert(std::uint32_t hash, std::uint32_t line);
    void Grow();

    void Reindex();
    // Classifies line id with current the section it lies in (kNone: none
    // or a repeated one); returns the section for the lines after it.
    std::uint32_t IndexLine(std::uint32_t id, std::uint32_t current);
    std::uint32_t AddLine(std::string_view text, std::uint8_t eol);
    void LinkAfter(std::uint32_t id, std::uint32_t after);
    void SetText(std::uint32_t id, std::string_view text);
    std::uint32_t FindSection(const std::string& section) const;
    std::uint32_t FindKey(std::uint32_t section, const std::string& key) const;

    std::string bom_;
    std::string newline_ = "\r\n";
    std::string buf_;            // the original text first, then changed and new lines
    std::uint32_t original_ = 0; // bytes of buf_ that are the original text
    std::vector<Line> lines_;
    std::uint32_t head_ = kNone;
    std::uint32_t tail_ = kNone;
    std::vector<Section> sections_;
    std::vector<Slot> slots_; // sections and keys by folded name
    std::size_t used_ = 0;    // slots not empty (removed ones included)
    // Later lines of a key that is repeated in its section, by the line
    // that the key finds now; they take over when that line is deleted.
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> repeats_;
};
