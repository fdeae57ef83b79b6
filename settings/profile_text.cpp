#include "settings/profile_text.h"

#include <algorithm>
#include <atomic>

namespace {

std::atomic<std::size_t> indexRuns{0};

const char* const kEol[] = {"", "\r", "\n", "\r\n"};
enum : std::uint8_t { eolNone, eolCr, eolLf, eolCrLf };

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
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

bool SameFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerByte(static_cast<unsigned char>(a[i])) !=
            LowerByte(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Section name of a "[name]" line.
std::optional<std::string_view> ParseHeader(std::string_view text) {
    const std::string_view t = Trim(text);
    if (t.empty() || t[0] != '[') {
        return std::nullopt;
    }
    const size_t close = t.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return Trim(t.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;   // as written, trimmed
    std::string_view value; // as written, trimmed
};

std::optional<KeyLine> ParseKeyLine(std::string_view text) {
    const std::string_view t = Trim(text);
    if (t.empty() || t[0] == ';' || t[0] == '[') {
        return std::nullopt;
    }
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    KeyLine line{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
    if (line.key.empty()) {
        return std::nullopt;
    }
    return line;
}

} // namespace

std::size_t ProfileText::IndexRuns() {
    return indexRuns.load();
}

ProfileText::ProfileText(std::string content) : buf_(std::move(content)) {
    size_t pos = 0;
    if (buf_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bom_ = buf_.substr(0, 3);
        pos = 3;
    }
    original_ = static_cast<std::uint32_t>(buf_.size());
    const size_t firstLf = buf_.find('\n', pos);
    if (firstLf != std::string::npos) {
        newline_ = (firstLf > pos && buf_[firstLf - 1] == '\r') ? "\r\n" : "\n";
    }
    lines_.reserve(static_cast<size_t>(std::count(buf_.begin() + static_cast<std::ptrdiff_t>(pos),
                                                  buf_.end(), '\n')) +
                   1);
    while (pos < buf_.size()) {
        const size_t lf = buf_.find('\n', pos);
        size_t end = lf == std::string::npos ? buf_.size() : lf;
        std::uint8_t eol = lf == std::string::npos ? eolNone : eolLf;
        // A last line cut off after its CR keeps that CR as the start of its
        // line end, not in its value: a later line added after it must not
        // change the value.
        if (end > pos && buf_[end - 1] == '\r') {
            --end;
            eol = lf == std::string::npos ? eolCr : eolCrLf;
        }
        const std::uint32_t id = static_cast<std::uint32_t>(lines_.size());
        Line line;
        line.start = static_cast<std::uint32_t>(pos);
        line.len = static_cast<std::uint32_t>(end - pos);
        line.eol = eol;
        lines_.push_back(line);
        LinkAfter(id, tail_);
        if (lf == std::string::npos) {
            break;
        }
        pos = lf + 1;
    }
    Reindex();
}

std::string_view ProfileText::Text(std::uint32_t line) const {
    return std::string_view(buf_).substr(lines_[line].start, lines_[line].len);
}

std::string_view ProfileText::Name(std::uint32_t line) const {
    if (lines_[line].kind == kHeader) {
        return *ParseHeader(Text(line));
    }
    return ParseKeyLine(Text(line))->key;
}

std::uint32_t ProfileText::Hash(std::uint32_t section, std::string_view name) const {
    std::uint32_t h = 2166136261u ^ section;
    for (const char c : name) {
        h = (h ^ LowerByte(static_cast<unsigned char>(c))) * 16777619u;
    }
    // Keys "0", "1", ... differ in their last bytes only: mixed, so that
    // neighbours do not crowd one stretch of the table.
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    return h ^ (h >> 16);
}

bool ProfileText::Matches(const Slot& slot, std::uint32_t hash, std::uint32_t section,
                          std::string_view name) const {
    if (slot.hash != hash || slot.line >= kGone) {
        return false;
    }
    const Line& line = lines_[slot.line];
    const bool kindFits =
        section == kNone ? line.kind == kHeader : line.kind == kKey && line.section == section;
    return kindFits && SameFolded(Name(slot.line), name);
}

std::uint32_t ProfileText::Find(std::uint32_t section, std::string_view name) const {
    if (slots_.empty()) {
        return kNone;
    }
    const std::uint32_t hash = Hash(section, name);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        if (slots_[i].line == kNone) {
            return kNone;
        }
        if (Matches(slots_[i], hash, section, name)) {
            return slots_[i].line;
        }
    }
}

std::size_t ProfileText::SlotOf(std::uint32_t line) const {
    const Line& l = lines_[line];
    const std::uint32_t hash = Hash(l.kind == kHeader ? kNone : l.section, Name(line));
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i].line != line) {
        i = (i + 1) & mask;
    }
    return i;
}

void ProfileText::Insert(std::uint32_t hash, std::uint32_t line) {
    // At most three quarters full: short probes, and 11 bytes per key.
    if ((used_ + 1) * 4 > slots_.size() * 3) {
        Grow();
    }
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i].line != kNone) {
        i = (i + 1) & mask;
    }
    slots_[i] = {hash, line};
    ++used_;
}

void ProfileText::Grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(std::max<size_t>(16, old.size() * 2), Slot{});
    used_ = 0;
    const size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
        if (s.line < kGone) {
            size_t i = s.hash & mask;
            while (slots_[i].line != kNone) {
                i = (i + 1) & mask;
            }
            slots_[i] = s;
            ++used_;
        }
    }
}

void ProfileText::Reindex() {
    if (head_ != kNone) {
        ++indexRuns;
    }
    // Room for every line at once: growing on the way would move the table
    // again and again.
    std::size_t size = 16;
    while (size * 3 < lines_.size() * 4) {
        size *= 2;
    }
    slots_.assign(size, Slot{});
    used_ = 0;
    sections_.clear();
    repeats_.clear();
    std::uint32_t current = kNone; // before the first section, or in a repeated one
    for (std::uint32_t id = head_; id != kNone; id = lines_[id].next) {
        current = IndexLine(id, current);
    }
}

std::uint32_t ProfileText::IndexLine(std::uint32_t id, std::uint32_t current) {
    Line& line = lines_[id];
    line.kind = kOther;
    line.section = kNone;
    const std::string_view text = Text(id);
    if (const auto name = ParseHeader(text)) {
        if (Find(kNone, *name) != kNone) {
            return kNone;
        }
        const auto s = static_cast<std::uint32_t>(sections_.size());
        sections_.push_back({id, id});
        line.kind = kHeader;
        line.section = s;
        Insert(Hash(kNone, *name), id);
        return s;
    }
    if (current == kNone) {
        return current;
    }
    if (const auto kv = ParseKeyLine(text)) {
        line.kind = kKey;
        line.section = current;
        sections_[current].lastEntry = id;
        const std::uint32_t first = Find(current, kv->key);
        if (first == kNone) {
            Insert(Hash(current, kv->key), id);
        } else {
            repeats_[first].push_back(id);
        }
    }
    return current;
}

std::uint32_t ProfileText::AddLine(std::string_view text, std::uint8_t eol) {
    Line line;
    line.start = static_cast<std::uint32_t>(buf_.size());
    line.len = static_cast<std::uint32_t>(text.size());
    line.eol = eol;
    buf_.append(text);
    lines_.push_back(line);
    return static_cast<std::uint32_t>(lines_.size() - 1);
}

void ProfileText::LinkAfter(std::uint32_t id, std::uint32_t after) {
    Line& line = lines_[id];
    line.prev = after;
    line.next = after == kNone ? head_ : lines_[after].next;
    if (line.next == kNone) {
        tail_ = id;
    } else {
        lines_[line.next].prev = id;
    }
    if (after == kNone) {
        head_ = id;
    } else {
        lines_[after].next = id;
    }
}

void ProfileText::SetText(std::uint32_t id, std::string_view text) {
    lines_[id].start = static_cast<std::uint32_t>(buf_.size());
    lines_[id].len = static_cast<std::uint32_t>(text.size());
    buf_.append(text);
}

std::uint32_t ProfileText::FindSection(const std::string& section) const {
    const std::uint32_t header = Find(kNone, section);
    return header == kNone ? kNone : lines_[header].section;
}

std::uint32_t ProfileText::FindKey(std::uint32_t section, const std::string& key) const {
    return section == kNone ? kNone : Find(section, key);
}

std::optional<std::string> ProfileText::Value(const std::string& section,
                                              const std::string& key) const {
    const std::uint32_t k = FindKey(FindSection(section), key);
    if (k == kNone) {
        return std::nullopt;
    }
    std::string_view value = ParseKeyLine(Text(k))->value;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
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
    const std::uint8_t newline = newline_ == "\n" ? eolLf : eolCrLf;

    if (const std::uint32_t s = FindSection(section); s != kNone) {
        if (const std::uint32_t k = FindKey(s, key); k != kNone) {
            const KeyLine old = *ParseKeyLine(Text(k));
            if (old.value == clean) {
                return false;
            }
            // The key keeps its spelling in the file.
            SetText(k, std::string(old.key) + "=" + clean);
            return true;
        }
        const std::uint32_t after = sections_[s].lastEntry;
        if (lines_[after].eol == eolNone || lines_[after].eol == eolCr) {
            lines_[after].eol = newline;
        }
        const std::uint32_t id = AddLine(key + "=" + clean, newline);
        LinkAfter(id, after);
        // A line that opens a section moves the lines after it: only then
        // is the whole text indexed again.
        if (ParseHeader(Text(id))) {
            Reindex();
        } else {
            IndexLine(id, s);
        }
        return true;
    }

    // At the end of the text the lines after the new ones are none, so
    // indexing them one by one is exact; the section the last line lies in
    // does not matter to a header.
    if (tail_ != kNone) {
        if (lines_[tail_].eol == eolNone || lines_[tail_].eol == eolCr) {
            lines_[tail_].eol = newline;
        }
        if (!Trim(Text(tail_)).empty()) {
            LinkAfter(AddLine("", newline), tail_);
        }
    }
    const std::uint32_t header = AddLine("[" + section + "]", newline);
    LinkAfter(header, tail_);
    const std::uint32_t entry = AddLine(key + "=" + clean, newline);
    LinkAfter(entry, tail_);
    IndexLine(entry, IndexLine(header, kNone));
    return true;
}

bool ProfileText::DeleteKey(const std::string& section, const std::string& key) {
    const std::uint32_t s = FindSection(section);
    const std::uint32_t k = FindKey(s, key);
    if (k == kNone) {
        return false;
    }
    // A later line of the same key is what the key finds from now on.
    Slot& slot = slots_[SlotOf(k)];
    if (const auto r = repeats_.find(k); r != repeats_.end()) {
        std::vector<std::uint32_t> later = std::move(r->second);
        repeats_.erase(r);
        slot.line = later.front();
        later.erase(later.begin());
        if (!later.empty()) {
            repeats_[slot.line] = std::move(later);
        }
    } else {
        slot.line = kGone;
    }
    Line& line = lines_[k];
    if (sections_[s].lastEntry == k) {
        std::uint32_t last = line.prev;
        while (last != sections_[s].header && lines_[last].kind != kKey) {
            last = lines_[last].prev;
        }
        sections_[s].lastEntry = last;
    }
    (line.prev == kNone ? head_ : lines_[line.prev].next) = line.next;
    (line.next == kNone ? tail_ : lines_[line.next].prev) = line.prev;
    line.prev = line.next = kNone;
    line.kind = kOther;
    return true;
}

std::string ProfileText::Content() const {
    std::string out = bom_;
    size_t size = bom_.size();
    for (std::uint32_t id = head_; id != kNone; id = lines_[id].next) {
        size += lines_[id].len + 2;
    }
    out.reserve(size);
    for (std::uint32_t id = head_; id != kNone; id = lines_[id].next) {
        out += Text(id);
        out += kEol[lines_[id].eol];
    }
    return out;
}

bool ProfileText::SameAsRead(std::string_view content) const {
    return content == std::string_view(buf_).substr(0, original_);
}
