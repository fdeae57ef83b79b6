#include "settings/profile_text.h"

#include <algorithm>

namespace {

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// Windows-1252 letters fold as the Windows profile functions fold them, so
// "PRÜFWERT" finds "Prüfwert"; × and ÷ are no letters.
unsigned char LowerByte(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<unsigned char>(c + 0x20);
    }
    switch (c) {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F: // Ÿ
        return 0xFF;
    default:
        return c;
    }
}

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(LowerByte(static_cast<unsigned char>(c)));
    }
    return s;
}

// Section name of a "[name]" line.
std::optional<std::string> ParseHeader(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty() || t[0] != '[') {
        return std::nullopt;
    }
    const size_t close = t.find(']');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    return Trim(t.substr(1, close - 1));
}

} // namespace

ProfileText::ProfileText(std::string content) {
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bom_ = content.substr(0, 3);
        content.erase(0, 3);
    }
    const size_t firstLf = content.find('\n');
    if (firstLf != std::string::npos) {
        newline_ = (firstLf > 0 && content[firstLf - 1] == '\r') ? "\r\n" : "\n";
    }
    size_t pos = 0;
    while (pos < content.size()) {
        const size_t lf = content.find('\n', pos);
        if (lf == std::string::npos) {
            // A last line cut off after its CR keeps that CR as the start of
            // its line end, not in its value: a later line added after it
            // must not change the value.
            std::string last = content.substr(pos);
            std::string eol;
            if (!last.empty() && last.back() == '\r') {
                last.pop_back();
                eol = "\r";
            }
            lines_.push_back({std::move(last), std::move(eol)});
            break;
        }
        size_t end = lf;
        std::string eol = "\n";
        if (end > pos && content[end - 1] == '\r') {
            --end;
            eol = "\r\n";
        }
        lines_.push_back({content.substr(pos, end - pos), eol});
        pos = lf + 1;
    }
    Reindex();
}

std::optional<ProfileText::KeyLine> ProfileText::ParseKeyLine(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty() || t[0] == ';' || t[0] == '[') {
        return std::nullopt;
    }
    const size_t eq = t.find('=');
    if (eq == std::string::npos) {
        return std::nullopt;
    }
    KeyLine line{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
    if (line.key.empty()) {
        return std::nullopt;
    }
    return line;
}

void ProfileText::Reindex() {
    sections_.clear();
    Section* current = nullptr; // null: before the first section, or a repeated one
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = ParseHeader(lines_[i].text)) {
            auto [it, inserted] = sections_.try_emplace(Lower(*name));
            current = inserted ? &it->second : nullptr;
            if (current) {
                current->header = i;
                current->lastEntry = i;
            }
            continue;
        }
        if (!current) {
            continue;
        }
        if (const auto kv = ParseKeyLine(lines_[i].text)) {
            current->keys.try_emplace(Lower(kv->key), i);
            current->lastEntry = i;
        }
    }
}

const ProfileText::Section* ProfileText::FindSection(const std::string& section) const {
    const auto it = sections_.find(Lower(section));
    return it == sections_.end() ? nullptr : &it->second;
}

std::optional<std::string> ProfileText::Value(const std::string& section,
                                              const std::string& key) const {
    const Section* s = FindSection(section);
    if (!s) {
        return std::nullopt;
    }
    const auto k = s->keys.find(Lower(key));
    if (k == s->keys.end()) {
        return std::nullopt;
    }
    std::string value = ParseKeyLine(lines_[k->second].text)->value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

bool ProfileText::IsUsableName(const std::string& section, const std::string& key) {
    auto usable = [](const std::string& name, const char* forbidden) {
        return !name.empty() && Trim(name) == name &&
               name.find_first_of(forbidden) == std::string::npos;
    };
    return usable(section, "]\r\n") && usable(key, "=\r\n") && key[0] != ';' && key[0] != '[' &&
           section.find('\0') == std::string::npos && key.find('\0') == std::string::npos;
}

bool ProfileText::SetValue(const std::string& section, const std::string& key,
                           const std::string& value) {
    std::string clean = value;
    std::replace_if(
        clean.begin(), clean.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; },
        ' ');

    if (const Section* s = FindSection(section)) {
        const auto k = s->keys.find(Lower(key));
        if (k != s->keys.end()) {
            Line& line = lines_[k->second];
            const KeyLine old = *ParseKeyLine(line.text);
            if (old.value == clean) {
                return false;
            }
            // The key keeps its spelling in the file.
            line.text = old.key + "=" + clean;
            return true;
        }
        const size_t after = s->lastEntry;
        if (lines_[after].eol.empty() || lines_[after].eol == "\r") {
            lines_[after].eol = newline_;
        }
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after) + 1,
                      Line{key + "=" + clean, newline_});
        Reindex();
        return true;
    }

    if (!lines_.empty()) {
        if (lines_.back().eol.empty() || lines_.back().eol == "\r") {
            lines_.back().eol = newline_;
        }
        if (!Trim(lines_.back().text).empty()) {
            lines_.push_back({"", newline_});
        }
    }
    lines_.push_back({"[" + section + "]", newline_});
    lines_.push_back({key + "=" + clean, newline_});
    Reindex();
    return true;
}

bool ProfileText::DeleteKey(const std::string& section, const std::string& key) {
    const Section* s = FindSection(section);
    if (!s) {
        return false;
    }
    const auto k = s->keys.find(Lower(key));
    if (k == s->keys.end()) {
        return false;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(k->second));
    Reindex();
    return true;
}

std::string ProfileText::Content() const {
    std::string out = bom_;
    for (const Line& line : lines_) {
        out += line.text;
        out += line.eol;
    }
    return out;
}
