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

// Flag bits of a line read.
constexpr std::uint8_t kEolBits = 0x03;
constexpr std::uint8_t kKindShift = 2;
constexpr std::uint8_t kKindBits = 0x0C;
constexpr std::uint8_t kChanged = 0x10;
constexpr std::uint8_t kDeleted = 0x20;

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
    const size_t lines = static_cast<size_t>(std::count(
                             buf_.begin() + static_cast<std::ptrdiff_t>(pos), buf_.end(), '\n')) +
                         1;
    starts_.reserve(lines);
    flags_.reserve(lines);
    while (pos < buf_.size()) {
        const size_t lf = buf_.find('\n', pos);
        const size_t end = lf == std::string::npos ? buf_.size() : lf;
        std::uint8_t eol = lf == std::string::npos ? eolNone : eolLf;
        // A last line cut off after its CR keeps that CR as the start of its
        // line end, not in its value: a later line added after it must not
        // change the value.
        if (end > pos && buf_[end - 1] == '\r') {
            eol = lf == std::string::npos ? eolCr : eolCrLf;
        }
        starts_.push_back(static_cast<std::uint32_t>(pos));
        flags_.push_back(eol);
        if (lf == std::string::npos) {
            break;
        }
        pos = lf + 1;
    }
    read_ = static_cast<std::uint32_t>(starts_.size());
    Reindex();
}

std::uint8_t ProfileText::Kind(std::uint32_t line) const {
    return IsRead(line) ? static_cast<std::uint8_t>((flags_[line] & kKindBits) >> kKindShift)
                        : added_[line - read_].kind;
}

void ProfileText::SetKind(std::uint32_t line, std::uint8_t kind) {
    if (IsRead(line)) {
        flags_[line] =
            static_cast<std::uint8_t>((flags_[line] & ~kKindBits) | (kind << kKindShift));
    } else {
        added_[line - read_].kind = kind;
    }
}

std::uint8_t ProfileText::Eol(std::uint32_t line) const {
    return IsRead(line) ? flags_[line] & kEolBits : added_[line - read_].eol;
}

void ProfileText::SetEol(std::uint32_t line, std::uint8_t eol) {
    if (IsRead(line)) {
        flags_[line] = static_cast<std::uint8_t>((flags_[line] & ~kEolBits) | eol);
    } else {
        added_[line - read_].eol = eol;
    }
}

bool ProfileText::Deleted(std::uint32_t line) const {
    return IsRead(line) ? (flags_[line] & kDeleted) != 0 : added_[line - read_].deleted;
}

void ProfileText::Delete(std::uint32_t line) {
    SetKind(line, kOther);
    if (IsRead(line)) {
        flags_[line] |= kDeleted;
    } else {
        added_[line - read_].deleted = true;
    }
}

std::uint32_t ProfileText::SectionOf(std::uint32_t line) const {
    if (!IsRead(line)) {
        return added_[line - read_].section;
    }
    if (!lineSections_.empty()) {
        return lineSections_[line];
    }
    // Headers read are in sections_ in the order of the text, and a key line
    // lies in the last section that opens before it.
    const auto after =
        std::upper_bound(sections_.begin(), sections_.end(), line,
                         [](std::uint32_t l, const Section& s) { return l < s.header; });
    return after == sections_.begin() ? kNone
                                      : static_cast<std::uint32_t>(after - sections_.begin() - 1);
}

void ProfileText::SetSection(std::uint32_t line, std::uint32_t section) {
    if (!IsRead(line)) {
        added_[line - read_].section = section;
    } else if (!lineSections_.empty()) {
        lineSections_[line] = section;
    }
}

std::uint32_t ProfileText::AfterAnchor(std::uint32_t anchor) const {
    if (anchor == kNone) {
        return read_ > 0 ? 0 : kNone;
    }
    return anchor + 1 < read_ ? anchor + 1 : kNone;
}

std::uint32_t ProfileText::First() const {
    if (const auto c = chains_.find(kNone); c != chains_.end()) {
        return c->second.head;
    }
    return AfterAnchor(kNone);
}

std::uint32_t ProfileText::Last() const {
    const std::uint32_t anchor = read_ > 0 ? read_ - 1 : kNone;
    if (const auto c = chains_.find(anchor); c != chains_.end()) {
        return c->second.tail;
    }
    return anchor;
}

std::uint32_t ProfileText::Next(std::uint32_t line) const {
    if (IsRead(line)) {
        if (!chains_.empty()) {
            if (const auto c = chains_.find(line); c != chains_.end()) {
                return c->second.head;
            }
        }
        return AfterAnchor(line);
    }
    const Added& a = added_[line - read_];
    return a.next != kNone ? a.next : AfterAnchor(a.anchor);
}

std::uint32_t ProfileText::Prev(std::uint32_t line) const {
    if (!IsRead(line)) {
        const Added& a = added_[line - read_];
        return a.prev != kNone ? a.prev : a.anchor;
    }
    const std::uint32_t before = line == 0 ? kNone : line - 1;
    if (const auto c = chains_.find(before); c != chains_.end()) {
        return c->second.tail;
    }
    return before;
}

std::uint32_t ProfileText::LastLive() const {
    std::uint32_t line = Last();
    while (line != kNone && Deleted(line)) {
        line = Prev(line);
    }
    return line;
}

std::string_view ProfileText::Text(std::uint32_t line) const {
    if (!IsRead(line)) {
        const Added& a = added_[line - read_];
        return std::string_view(buf_).substr(a.start, a.len);
    }
    if (flags_[line] & kChanged) {
        const auto& [start, len] = changed_.at(line);
        return std::string_view(buf_).substr(start, len);
    }
    const std::uint32_t start = starts_[line];
    std::uint32_t end = line + 1 < read_ ? starts_[line + 1] : original_;
    if (end > start && buf_[end - 1] == '\n') {
        --end;
    }
    if (end > start && buf_[end - 1] == '\r') {
        --end;
    }
    return std::string_view(buf_).substr(start, end - start);
}

std::string_view ProfileText::Name(std::uint32_t line) const {
    if (Kind(line) == kHeader) {
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

std::uint32_t ProfileText::LineHash(std::uint32_t line) const {
    return Hash(Kind(line) == kHeader ? kNone : SectionOf(line), Name(line));
}

bool ProfileText::Matches(std::uint32_t line, std::uint32_t section, std::string_view name) const {
    const std::uint8_t kind = Kind(line);
    if (section == kNone ? kind != kHeader : kind != kKey) {
        return false;
    }
    return SameFolded(Name(line), name) && (section == kNone || SectionOf(line) == section);
}

std::uint32_t ProfileText::Find(std::uint32_t section, std::string_view name) const {
    if (slots_.empty()) {
        return kNone;
    }
    const std::uint32_t hash = Hash(section, name);
    const std::uint8_t tag = Tag(hash);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        if (tags_[i] == 0) {
            return kNone;
        }
        if (tags_[i] == tag) {
            const std::uint32_t line = slots_[i];
            if (line != kGone && Matches(line, section, name)) {
                return line;
            }
        }
    }
}

std::size_t ProfileText::SlotOf(std::uint32_t line) const {
    const size_t mask = slots_.size() - 1;
    size_t i = LineHash(line) & mask;
    while (slots_[i] != line) {
        i = (i + 1) & mask;
    }
    return i;
}

void ProfileText::Insert(std::uint32_t hash, std::uint32_t line) {
    // At most three quarters full: short probes.
    if ((used_ + 1) * 4 > slots_.size() * 3) {
        Grow();
    }
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (tags_[i] != 0) {
        i = (i + 1) & mask;
    }
    slots_[i] = line;
    tags_[i] = Tag(hash);
    ++used_;
}

void ProfileText::Grow() {
    std::vector<std::uint32_t> old;
    old.swap(slots_);
    slots_.assign(std::max<size_t>(16, old.size() * 2), kNone);
    tags_.assign(slots_.size(), 0);
    used_ = 0;
    const size_t mask = slots_.size() - 1;
    for (const std::uint32_t line : old) {
        if (line < kGone) {
            const std::uint32_t hash = LineHash(line);
            size_t i = hash & mask;
            while (tags_[i] != 0) {
                i = (i + 1) & mask;
            }
            slots_[i] = line;
            tags_[i] = Tag(hash);
            ++used_;
        }
    }
}

void ProfileText::Reindex() {
    if (First() != kNone) {
        ++indexRuns;
    }
    // Room for every line at once: growing on the way would move the table
    // again and again.
    const std::size_t lines = read_ + added_.size();
    std::size_t size = 16;
    while (size * 3 < lines * 4) {
        size *= 2;
    }
    slots_.assign(size, kNone);
    tags_.assign(size, 0);
    used_ = 0;
    sections_.clear();
    repeats_.clear();
    // Once new lines lie among the lines read, the order of the header lines
    // no longer tells the sections: each line read gets its own.
    if (added_.empty()) {
        lineSections_.clear();
    } else {
        lineSections_.assign(read_, kNone);
    }
    std::uint32_t current = kNone; // before the first section, or in a repeated one
    for (std::uint32_t id = First(); id != kNone; id = Next(id)) {
        if (!Deleted(id)) {
            current = IndexLine(id, current);
        }
    }
}

std::uint32_t ProfileText::IndexLine(std::uint32_t id, std::uint32_t current) {
    SetKind(id, kOther);
    SetSection(id, kNone);
    const std::string_view text = Text(id);
    if (const auto name = ParseHeader(text)) {
        if (Find(kNone, *name) != kNone) {
            return kNone;
        }
        const auto s = static_cast<std::uint32_t>(sections_.size());
        sections_.push_back({id, id});
        SetKind(id, kHeader);
        SetSection(id, s);
        Insert(Hash(kNone, *name), id);
        return s;
    }
    if (current == kNone) {
        return current;
    }
    if (const auto kv = ParseKeyLine(text)) {
        SetKind(id, kKey);
        SetSection(id, current);
        sections_[current].lastEntry = id;
        ++sections_[current].keys;
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
    Added line;
    line.start = static_cast<std::uint32_t>(buf_.size());
    line.len = static_cast<std::uint32_t>(text.size());
    line.eol = eol;
    buf_.append(text);
    added_.push_back(line);
    return read_ + static_cast<std::uint32_t>(added_.size() - 1);
}

void ProfileText::LinkAfter(std::uint32_t id, std::uint32_t after) {
    Added& line = added_[id - read_];
    if (after == kNone || IsRead(after)) {
        Chain& chain = chains_[after];
        line.anchor = after;
        line.prev = kNone;
        line.next = chain.head;
        if (chain.head != kNone) {
            added_[chain.head - read_].prev = id;
        } else {
            chain.tail = id;
        }
        chain.head = id;
        return;
    }
    Added& before = added_[after - read_];
    line.anchor = before.anchor;
    line.prev = after;
    line.next = before.next;
    if (before.next != kNone) {
        added_[before.next - read_].prev = id;
    } else {
        chains_[before.anchor].tail = id;
    }
    before.next = id;
}

void ProfileText::SetText(std::uint32_t id, std::string_view text) {
    const auto start = static_cast<std::uint32_t>(buf_.size());
    const auto len = static_cast<std::uint32_t>(text.size());
    buf_.append(text);
    if (IsRead(id)) {
        changed_[id] = {start, len};
        flags_[id] |= kChanged;
    } else {
        added_[id - read_].start = start;
        added_[id - read_].len = len;
    }
}

std::uint32_t ProfileText::FindSection(const std::string& section) const {
    const std::uint32_t header = Find(kNone, section);
    return header == kNone ? kNone : SectionOf(header);
}

std::uint32_t ProfileText::FindKey(std::uint32_t section, const std::string& key) const {
    return section == kNone ? kNone : Find(section, key);
}

std::optional<std::string_view> ProfileText::ValueView(const std::string& section,
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
    return value;
}

std::size_t ProfileText::KeyCount(const std::string& section) const {
    const std::uint32_t s = FindSection(section);
    return s == kNone ? 0 : sections_[s].keys;
}

std::optional<std::string> ProfileText::Value(const std::string& section,
                                              const std::string& key) const {
    const auto value = ValueView(section, key);
    return value ? std::optional<std::string>(std::string(*value)) : std::nullopt;
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
        if (Eol(after) == eolNone || Eol(after) == eolCr) {
            SetEol(after, newline);
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
    std::uint32_t tail = LastLive();
    if (tail != kNone) {
        if (Eol(tail) == eolNone || Eol(tail) == eolCr) {
            SetEol(tail, newline);
        }
        if (!Trim(Text(tail)).empty()) {
            const std::uint32_t blank = AddLine("", newline);
            LinkAfter(blank, tail);
            tail = blank;
        }
    }
    const std::uint32_t header = AddLine("[" + section + "]", newline);
    LinkAfter(header, tail);
    const std::uint32_t entry = AddLine(key + "=" + clean, newline);
    LinkAfter(entry, header);
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
    std::uint32_t& slot = slots_[SlotOf(k)];
    if (const auto r = repeats_.find(k); r != repeats_.end()) {
        std::vector<std::uint32_t> later = std::move(r->second);
        repeats_.erase(r);
        slot = later.front();
        later.erase(later.begin());
        if (!later.empty()) {
            repeats_[slot] = std::move(later);
        }
    } else {
        slot = kGone;
    }
    --sections_[s].keys;
    if (sections_[s].lastEntry == k) {
        std::uint32_t last = Prev(k);
        while (last != sections_[s].header && Kind(last) != kKey) {
            last = Prev(last);
        }
        sections_[s].lastEntry = last;
    }
    Delete(k);
    return true;
}

std::string ProfileText::Content() const {
    std::string out = bom_;
    size_t size = bom_.size();
    for (std::uint32_t id = First(); id != kNone; id = Next(id)) {
        if (!Deleted(id)) {
            size += Text(id).size() + 2;
        }
    }
    out.reserve(size);
    for (std::uint32_t id = First(); id != kNone; id = Next(id)) {
        if (!Deleted(id)) {
            out += Text(id);
            out += kEol[Eol(id)];
        }
    }
    return out;
}

bool ProfileText::SameAsRead(std::string_view content) const {
    return content == std::string_view(buf_).substr(0, original_);
}
