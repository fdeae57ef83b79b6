// Builds a version information block at compile time, laid out like the
// Windows VERSIONINFO value tree: every node is
//   u16 length, u16 value length, u16 type (1 text, 0 binary),
//   UTF-16 key with its zero, padding to 4, value, padding to 4, children.
// The block carries a fixed file info, one string table and one translation.
// Used by the generated version resource of a program and by the tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vrx_version {

struct KeyValue {
    const char16_t* key;
    const char16_t* value;
};

// What goes into the block: language, code page, version, string table.
struct VersionBlockContent {
    std::uint16_t language = 0x0409;
    std::uint16_t codePage = 0x04E4;
    std::uint16_t version[4] = {0, 0, 0, 0};
    const KeyValue* strings = nullptr;
    std::size_t stringCount = 0;
};

constexpr std::size_t Utf16Length(const char16_t* s) {
    std::size_t n = 0;
    while (s[n] != 0) {
        ++n;
    }
    return n;
}

// Writes into a buffer, or only counts when the buffer is null.
class BlockWriter {
public:
    constexpr explicit BlockWriter(std::uint8_t* out = nullptr) : out_(out) {}
    constexpr std::size_t Position() const { return pos_; }

    constexpr void Byte(std::uint8_t b) {
        if (out_ != nullptr) {
            out_[pos_] = b;
        }
        ++pos_;
    }
    constexpr void Word(std::uint16_t w) {
        Byte(static_cast<std::uint8_t>(w & 0xFF));
        Byte(static_cast<std::uint8_t>(w >> 8));
    }
    constexpr void Dword(std::uint32_t d) {
        Word(static_cast<std::uint16_t>(d & 0xFFFF));
        Word(static_cast<std::uint16_t>(d >> 16));
    }
    constexpr void Text(const char16_t* s) {
        for (std::size_t i = 0, n = Utf16Length(s); i < n; ++i) {
            Word(static_cast<std::uint16_t>(s[i]));
        }
        Word(0);
    }
    constexpr void Align() {
        while (pos_ % 4 != 0) {
            Byte(0);
        }
    }
    constexpr void PatchWord(std::size_t at, std::uint16_t w) {
        if (out_ != nullptr) {
            out_[at] = static_cast<std::uint8_t>(w & 0xFF);
            out_[at + 1] = static_cast<std::uint8_t>(w >> 8);
        }
    }

    // Opens a node; the returned position is handed to End.
    constexpr std::size_t Begin(const char16_t* key, std::uint16_t valueLength,
                                std::uint16_t type) {
        Align();
        const std::size_t start = pos_;
        Word(0);
        Word(valueLength);
        Word(type);
        Text(key);
        Align();
        return start;
    }
    constexpr void End(std::size_t start) {
        PatchWord(start, static_cast<std::uint16_t>(pos_ - start));
    }

private:
    std::uint8_t* out_;
    std::size_t pos_ = 0;
};

constexpr void HexDigits(char16_t* out, std::uint16_t v) {
    const char16_t digits[] = u"0123456789ABCDEF";
    for (int i = 3; i >= 0; --i) {
        out[i] = digits[v & 0xF];
        v = static_cast<std::uint16_t>(v >> 4);
    }
}

constexpr void WriteBlock(BlockWriter& w, const VersionBlockContent& content) {
    const std::size_t root = w.Begin(u"VS_VERSION_INFO", 52, 0);
    const std::uint32_t ms = (std::uint32_t{content.version[0]} << 16) | content.version[1];
    const std::uint32_t ls = (std::uint32_t{content.version[2]} << 16) | content.version[3];
    w.Dword(0xFEEF04BD); // signature
    w.Dword(0x00010000); // structure version
    w.Dword(ms);         // file version
    w.Dword(ls);
    w.Dword(ms); // product version
    w.Dword(ls);
    w.Dword(0x3F); // flags mask
    w.Dword(0);    // flags
    w.Dword(0x4);  // VOS__WINDOWS32
    w.Dword(0x1);  // VFT_APP
    w.Dword(0);    // subtype
    w.Dword(0);    // date
    w.Dword(0);
    w.Align();

    const std::size_t sfi = w.Begin(u"StringFileInfo", 0, 1);
    char16_t tableKey[9] = {};
    HexDigits(tableKey, content.language);
    HexDigits(tableKey + 4, content.codePage);
    const std::size_t table = w.Begin(tableKey, 0, 1);
    for (std::size_t i = 0; i < content.stringCount; ++i) {
        const KeyValue& kv = content.strings[i];
        // The value length of a text counts UTF-16 units with the zero.
        const auto chars = static_cast<std::uint16_t>(Utf16Length(kv.value) + 1);
        const std::size_t s = w.Begin(kv.key, chars, 1);
        w.Text(kv.value);
        w.End(s);
        w.Align();
    }
    w.End(table);
    w.End(sfi);

    const std::size_t vfi = w.Begin(u"VarFileInfo", 0, 1);
    const std::size_t var = w.Begin(u"Translation", 4, 0);
    w.Word(content.language);
    w.Word(content.codePage);
    w.End(var);
    w.End(vfi);
    w.End(root);
}

constexpr std::size_t BlockSize(const VersionBlockContent& content) {
    BlockWriter counter;
    WriteBlock(counter, content);
    return counter.Position();
}

template <std::size_t N>
constexpr std::array<std::uint8_t, N> MakeBlock(const VersionBlockContent& content) {
    std::array<std::uint8_t, N> out{};
    BlockWriter w(out.data());
    WriteBlock(w, content);
    return out;
}

} // namespace vrx_version
