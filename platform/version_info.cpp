#include "platform/version_info.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

const std::array<const char*, 10> VersionStrings::Keys = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

std::string GetVersionString(const VersionStrings& strings, int index) {
    if (index < 0 || index > 9) {
        index = 2;
    }
    return strings.Strings[static_cast<std::size_t>(index)];
}

namespace {

// Four upper-case hex digits.
std::string Hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v & 0xFFFFu);
    return buf;
}

#ifndef _WIN32

// ---- The version block, walked like VerQueryValue does -------------------

std::uint16_t Le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Le32(const unsigned char* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
std::uint64_t Le64(const unsigned char* p) {
    return std::uint64_t{Le32(p)} | (std::uint64_t{Le32(p + 4)} << 32);
}

std::size_t Align4(std::size_t v) {
    return (v + 3) & ~std::size_t{3};
}

struct Node {
    std::size_t begin = 0; // first byte of the node
    std::size_t end = 0;   // one past its last byte (begin + length)
    std::uint16_t valueLength = 0;
    std::uint16_t type = 0;
    std::u16string key;
    std::size_t value = 0;    // where the value starts
    std::size_t children = 0; // where the children start
};

class Block {
public:
    Block(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    // Reads the node at offset within [offset, limit); nothing is trusted.
    std::optional<Node> NodeAt(std::size_t offset, std::size_t limit) const {
        if (limit > size_ || offset > limit || limit - offset < 6) {
            return std::nullopt;
        }
        Node n;
        n.begin = offset;
        const std::uint16_t length = Le16(data_ + offset);
        if (length < 6 || length > limit - offset) {
            return std::nullopt;
        }
        n.end = offset + length;
        n.valueLength = Le16(data_ + offset + 2);
        n.type = Le16(data_ + offset + 4);
        std::size_t p = offset + 6;
        for (;;) {
            if (n.end - p < 2) {
                return std::nullopt; // key without its zero
            }
            const std::uint16_t c = Le16(data_ + p);
            p += 2;
            if (c == 0) {
                break;
            }
            n.key.push_back(static_cast<char16_t>(c));
        }
        n.value = std::min(Align4(p), n.end);
        // A text value counts UTF-16 units, a binary value bytes.
        const std::size_t valueBytes =
            n.type == 1 ? std::size_t{n.valueLength} * 2 : std::size_t{n.valueLength};
        n.children = std::min(Align4(n.value + std::min(valueBytes, n.end - n.value)), n.end);
        return n;
    }

    std::size_t ValueBytes(const Node& n) const {
        const std::size_t want =
            n.type == 1 ? std::size_t{n.valueLength} * 2 : std::size_t{n.valueLength};
        return std::min(want, n.end - n.value);
    }

    // The child of parent whose key matches name (ASCII case-insensitive).
    std::optional<Node> Child(const Node& parent, std::u16string_view name) const {
        std::size_t p = parent.children;
        while (p < parent.end) {
            const auto child = NodeAt(p, parent.end);
            if (!child) {
                return std::nullopt;
            }
            if (SameKey(child->key, name)) {
                return child;
            }
            p = Align4(child->end); // progress: a node is at least 6 bytes
        }
        return std::nullopt;
    }

    // "\A\B\C" from the root node.
    std::optional<Node> Find(std::string_view path) const {
        auto node = NodeAt(0, size_);
        while (node && !path.empty()) {
            while (!path.empty() && path.front() == '\\') {
                path.remove_prefix(1);
            }
            if (path.empty()) {
                break;
            }
            const std::size_t cut = path.find('\\');
            const std::string_view part = path.substr(0, cut);
            path = cut == std::string_view::npos ? std::string_view{} : path.substr(cut);
            node = Child(*node, std::u16string(part.begin(), part.end()));
        }
        return node;
    }

    const unsigned char* Data() const { return data_; }

private:
    static bool SameKey(std::u16string_view a, std::u16string_view b) {
        if (a.size() != b.size()) {
            return false;
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            char16_t x = a[i], y = b[i];
            if (x >= u'a' && x <= u'z') {
                x = static_cast<char16_t>(x - 32);
            }
            if (y >= u'a' && y <= u'z') {
                y = static_cast<char16_t>(y - 32);
            }
            if (x != y) {
                return false;
            }
        }
        return true;
    }

    const unsigned char* data_;
    std::size_t size_;
};

// UTF-16 to the Windows-1252 bytes the rest of the program keeps.
char ToCp1252(char16_t c) {
    static const char16_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (int i = 0; i < 32; ++i) {
        if (high[i] != 0 && high[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

std::string TextValue(const Block& block, const Node& n) {
    std::string out;
    const std::size_t bytes = block.ValueBytes(n);
    for (std::size_t i = 0; i + 1 < bytes; i += 2) {
        const char16_t c = static_cast<char16_t>(Le16(block.Data() + n.value + i));
        if (c == 0) {
            break;
        }
        out.push_back(ToCp1252(c));
    }
    return out;
}

// ---- The ELF file: find a section by name --------------------------------

class File {
public:
    explicit File(const std::string& name) : f_(std::fopen(name.c_str(), "rb")) {
        if (f_ != nullptr && std::fseek(f_, 0, SEEK_END) == 0) {
            const long end = std::ftell(f_);
            size_ = end < 0 ? 0 : static_cast<std::uint64_t>(end);
        }
    }
    ~File() {
        if (f_ != nullptr) {
            std::fclose(f_);
        }
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Read(std::uint64_t offset, std::size_t count, unsigned char* out) const {
        if (f_ == nullptr || offset > size_ || count > size_ - offset) {
            return false;
        }
        if (std::fseek(f_, static_cast<long>(offset), SEEK_SET) != 0) {
            return false;
        }
        return std::fread(out, 1, count, f_) == count;
    }

    std::uint64_t Size() const { return size_; }

private:
    std::FILE* f_;
    std::uint64_t size_ = 0;
};

struct Section {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t link = 0;
};

constexpr std::uint32_t kShtNobits = 8;
constexpr std::size_t kMaxSection = 64 * 1024; // a version tree never exceeds 64 KiB
constexpr std::uint32_t kMaxSections = 65536;

std::vector<unsigned char> ReadElfSection(const std::string& fileName, std::string_view wanted) {
    const File file(fileName);
    unsigned char ident[64] = {};
    if (!file.Read(0, 52, ident)) {
        return {};
    }
    if (std::memcmp(ident,
                    "\x7F"
                    "ELF",
                    4) != 0 ||
        ident[5] != 1 /* little-endian */) {
        return {};
    }
    const bool is64 = ident[4] == 2;
    if (!is64 && ident[4] != 1) {
        return {};
    }
    if (is64 && !file.Read(0, 64, ident)) {
        return {};
    }
    const std::uint64_t shoff = is64 ? Le64(ident + 0x28) : Le32(ident + 0x20);
    const std::uint16_t shentsize = Le16(ident + (is64 ? 0x3A : 0x2E));
    std::uint32_t shnum = Le16(ident + (is64 ? 0x3C : 0x30));
    std::uint32_t shstrndx = Le16(ident + (is64 ? 0x3E : 0x32));
    const std::size_t need = is64 ? 64 : 40;
    if (shoff == 0 || shentsize < need) {
        return {};
    }

    auto sectionAt = [&](std::uint32_t index) -> std::optional<Section> {
        unsigned char h[64];
        if (index >= kMaxSections + 1) {
            return std::nullopt;
        }
        if (!file.Read(shoff + std::uint64_t{index} * shentsize, need, h)) {
            return std::nullopt;
        }
        Section s;
        s.name = Le32(h);
        s.type = Le32(h + 4);
        s.offset = is64 ? Le64(h + 24) : Le32(h + 16);
        s.size = is64 ? Le64(h + 32) : Le32(h + 20);
        s.link = Le32(h + (is64 ? 40 : 24));
        return s;
    };

    // Many sections: the real counts live in section 0.
    if (shnum == 0 || shstrndx == 0xFFFF) {
        const auto first = sectionAt(0);
        if (!first) {
            return {};
        }
        if (shnum == 0) {
            shnum =
                first->size > kMaxSections ? kMaxSections : static_cast<std::uint32_t>(first->size);
        }
        if (shstrndx == 0xFFFF) {
            shstrndx = first->link;
        }
    }
    // The whole table must be in the file.
    if (shnum > kMaxSections || shstrndx >= shnum || shoff > file.Size() ||
        std::uint64_t{shnum} * shentsize > file.Size() - shoff) {
        return {};
    }
    const auto names = sectionAt(shstrndx);
    if (!names || names->type == kShtNobits) {
        return {};
    }

    std::vector<char> nameBuf(wanted.size() + 1);
    for (std::uint32_t i = 0; i < shnum; ++i) {
        const auto s = sectionAt(i);
        if (!s) {
            return {};
        }
        if (s->name >= names->size || names->size - s->name < nameBuf.size()) {
            continue;
        }
        if (!file.Read(names->offset + s->name, nameBuf.size(),
                       reinterpret_cast<unsigned char*>(nameBuf.data()))) {
            continue;
        }
        if (std::string_view(nameBuf.data(), wanted.size()) != wanted ||
            nameBuf[wanted.size()] != '\0') {
            continue;
        }
        if (s->type == kShtNobits || s->size == 0) {
            return {};
        }
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(s->size, kMaxSection));
        std::vector<unsigned char> data(size);
        if (!file.Read(s->offset, size, data.data())) {
            return {};
        }
        return data;
    }
    return {};
}

bool FileExists(const std::string& name) {
    struct stat st {};
    return !name.empty() && ::stat(name.c_str(), &st) == 0;
}

#endif // !_WIN32

} // namespace

#ifndef _WIN32

VersionStrings VersionStringsFromBlock(const unsigned char* data, std::size_t size) {
    VersionStrings out;
    if (data == nullptr) {
        return out;
    }
    const Block block(data, size);
    const auto translation = block.Find("\\VarFileInfo\\Translation");
    if (!translation || block.ValueBytes(*translation) < 4) {
        return out;
    }
    const unsigned language = Le16(data + translation->value);
    const unsigned codePage = Le16(data + translation->value + 2);
    const std::string table = "\\StringFileInfo\\" + Hex4(language) + Hex4(codePage) + "\\";
    for (std::size_t i = 0; i < VersionStrings::Keys.size(); ++i) {
        const auto node = block.Find(table + VersionStrings::Keys[i]);
        if (node) {
            out.Strings[i] = TextValue(block, *node);
        }
    }
    return out;
}

VersionStrings::VersionStrings(const std::string& fileName) {
    const std::string name = FileExists(fileName) ? fileName : std::string("/proc/self/exe");
    const std::vector<unsigned char> section = ReadElfSection(name, ".vrx_version");
    if (!section.empty()) {
        *this = VersionStringsFromBlock(section.data(), section.size());
    }
}

#else // _WIN32: the real VERSIONINFO resource

VersionStrings VersionStringsFromBlock(const unsigned char* data, std::size_t size) {
    VersionStrings out;
    if (data == nullptr || size == 0) {
        return out;
    }
    std::vector<unsigned char> copy(data, data + size);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(copy.data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4) {
        return out;
    }
    const auto* words = static_cast<const WORD*>(value);
    const std::string table = "\\StringFileInfo\\" + Hex4(words[0]) + Hex4(words[1]) + "\\";
    for (std::size_t i = 0; i < VersionStrings::Keys.size(); ++i) {
        const std::string path = table + VersionStrings::Keys[i];
        if (VerQueryValueA(copy.data(), path.c_str(), &value, &length) && value != nullptr &&
            length > 0) {
            out.Strings[i] = static_cast<const char*>(value);
        }
    }
    return out;
}

VersionStrings::VersionStrings(const std::string& fileName) {
    std::string name = fileName;
    if (name.empty() || GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) {
        char own[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, own, MAX_PATH);
        name = own;
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(name.c_str(), &handle);
    if (size == 0) {
        return;
    }
    std::vector<unsigned char> buffer(size);
    if (!GetFileVersionInfoA(name.c_str(), 0, size, buffer.data())) {
        return;
    }
    *this = VersionStringsFromBlock(buffer.data(), buffer.size());
}

#endif
