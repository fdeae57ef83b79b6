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
#pragma once

#include <map>
#include <optional>
#include <string>
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

    // Names that can be written: not empty, no line break, no blanks at
    // either end; a section without ']', a key without '=' that starts
    // with neither ';' nor '['.
    static bool IsUsableName(const std::string& section, const std::string& key);
    // "\r\n" or "\n": the style of the file's first line end; "\r\n" for a
    // file without any.
    const std::string& NewLine() const { return newline_; }

private:
    struct Line {
        std::string text; // without its line end
        std::string eol;  // "\r\n", "\n", or "\r" or "" for a last line without one
    };
    struct Section {
        size_t header = 0;
        size_t lastEntry = 0;               // last key line, or the header
        std::map<std::string, size_t> keys; // lower-case key -> first line
    };
    struct KeyLine {
        std::string key;   // as written, trimmed
        std::string value; // as written, trimmed
    };

    static std::optional<KeyLine> ParseKeyLine(const std::string& text);
    void Reindex();
    const Section* FindSection(const std::string& section) const;

    std::string bom_;
    std::string newline_ = "\r\n";
    std::vector<Line> lines_;
    std::map<std::string, Section> sections_; // lower-case name, first occurrence
};
