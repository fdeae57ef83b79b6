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
// Cost: the text is parsed once. A line of the text read costs 5 bytes
// (its start and one byte of kind and line end) and its key one slot of 5
// bytes in a table at most three quarters full, beside the text itself:
// order and sections follow from the text, only changed and new lines have
// records of their own. Every lookup, change or deletion takes constant time
// on average beside a binary search among the section headers; only
// Content() walks the whole text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class ProfileText {
public:
    explicit ProfileText(std::string content = {});

    std::optional<std::string> Value(const std::string& section, const std::string& key) const;
    // The same without a copy; valid until the next change.
    std::optional<std::string_view> ValueView(const std::string& section,
                                              const std::string& key) const;
    // Key lines of section, repeated keys included: room enough for a list
    // of its values.
    std::size_t KeyCount(const std::string& section) const;

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
    static constexpr std::uint32_t kGone = 0xFFFFFFFEu; // a slot whose key was deleted
    enum : std::uint8_t { kOther, kHeader, kKey };
    // A line that was not in the text read: a new one, linked into a chain of
    // such lines that follows one line read (or opens the text).
    struct Added {
        std::uint32_t start = 0; // in buf_
        std::uint32_t len = 0;
        std::uint32_t prev = kNone; // kNone: the first after its anchor
        std::uint32_t next = kNone; // kNone: the last after its anchor
        std::uint32_t anchor = kNone;
        std::uint32_t section = kNone;
        std::uint8_t eol = 0;
        std::uint8_t kind = kOther;
        bool deleted = false;
    };
    struct Chain {
        std::uint32_t head = kNone;
        std::uint32_t tail = kNone;
    };
    struct Section {
        std::uint32_t header = 0;
        std::uint32_t lastEntry = 0; // last key line, or the header
        std::uint32_t keys = 0;      // key lines, repeated ones included
    };

    bool IsRead(std::uint32_t line) const { return line < read_; }
    std::uint8_t Kind(std::uint32_t line) const;
    void SetKind(std::uint32_t line, std::uint8_t kind);
    std::uint8_t Eol(std::uint32_t line) const;
    void SetEol(std::uint32_t line, std::uint8_t eol);
    bool Deleted(std::uint32_t line) const;
    void Delete(std::uint32_t line);
    std::uint32_t SectionOf(std::uint32_t line) const;
    void SetSection(std::uint32_t line, std::uint32_t section);

    std::uint32_t First() const;
    std::uint32_t Last() const;
    std::uint32_t Next(std::uint32_t line) const;
    std::uint32_t Prev(std::uint32_t line) const;
    std::uint32_t AfterAnchor(std::uint32_t anchor) const;
    std::uint32_t LastLive() const;

    std::string_view Text(std::uint32_t line) const;
    std::string_view Name(std::uint32_t line) const; // section or key name, trimmed
    std::uint32_t Hash(std::uint32_t section, std::string_view name) const;
    std::uint32_t LineHash(std::uint32_t line) const;
    // Bits of a hash beside those that place it in the table; never 0, the
    // tag of an empty slot.
    static std::uint8_t Tag(std::uint32_t hash) {
        return static_cast<std::uint8_t>(hash >> 24 ? hash >> 24 : 1);
    }
    bool Matches(std::uint32_t line, std::uint32_t section, std::string_view name) const;
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
    std::string buf_;                   // the original text first, then changed and new lines
    std::uint32_t original_ = 0;        // bytes of buf_ that are the original text
    std::uint32_t read_ = 0;            // lines of the original text: ids 0 .. read_-1
    std::vector<std::uint32_t> starts_; // of the lines read, in buf_
    // Of the lines read: bits 0-1 line end, 2-3 kind, 4 changed, 5 deleted.
    std::vector<std::uint8_t> flags_;
    std::unordered_map<std::uint32_t, std::pair<std::uint32_t, std::uint32_t>> changed_;
    std::vector<Added> added_;                        // line id read_ + i
    std::unordered_map<std::uint32_t, Chain> chains_; // by the line they follow
    std::vector<Section> sections_;
    // Section of each line read; empty while the sections follow from the
    // order of their header lines (until a new line opens a section).
    std::vector<std::uint32_t> lineSections_;
    std::vector<std::uint32_t> slots_; // line of each section and key, by folded name
    // A byte of each slot's hash (0: empty): most probes end without
    // reading the slot's line.
    std::vector<std::uint8_t> tags_;
    std::size_t used_ = 0; // slots not empty (removed ones included)
    // Later lines of a key that is repeated in its section, by the line
    // that the key finds now; they take over when that line is deleted.
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> repeats_;
};
