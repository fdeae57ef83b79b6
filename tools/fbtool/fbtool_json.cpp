#include "tools/fbtool/fbtool_json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace fbjson {

namespace {

using nlohmann::json;

// --- output ----------------------------------------------------------------

void PutBytesAsJson(std::string& out, const std::string& bytes) {
    static const char* hex = "0123456789abcdef";
    out += '"';
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else { // the code point c in UTF-8
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out += '"';
}

void PutHex(std::string& out, const std::uint8_t* data, std::size_t n) {
    static const char* hex = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < n; ++i) {
        out += hex[data[i] >> 4];
        out += hex[data[i] & 15];
    }
    out += '"';
}

void PutDouble(std::string& out, double d) {
    if (!std::isfinite(d)) {
        out += "null"; // JSON has no NaN or infinity; "hex" keeps the bits
        return;
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    out.append(buf, r.ptr);
}

const char* TypeName(TFBEntryType t) {
    switch (t) {
    case TFBEntryType::node:
        return "node";
    case TFBEntryType::int32:
        return "int32";
    case TFBEntryType::str32:
        return "str32";
    case TFBEntryType::bin32:
        return "bin32";
    case TFBEntryType::floating:
        return "floating";
    default:
        return "?";
    }
}

void Indent(std::string& out, std::size_t depth) {
    out += '\n';
    out.append(2 * std::min<std::size_t>(depth, 40), ' ');
}

} // namespace

std::string DumpJson(TFreeBase& db) {
    std::string out = "{";
    Indent(out, 1);
    out += "\"version\": " + std::to_string(db.Version()) + ",";
    Indent(out, 1);
    out += "\"info\": ";
    PutBytesAsJson(out, db.GetDatabaseInfo());
    out += ",";
    Indent(out, 1);
    out += "\"tag\": " + std::to_string(db.GetDataBaseTag()) + ",";
    Indent(out, 1);
    out += "\"created\": ";
    PutDouble(out, db.GetCreated());
    out += ",";
    Indent(out, 1);
    out += "\"last_changed\": ";
    PutDouble(out, db.GetLastChanged());
    out += ",";
    Indent(out, 1);
    out += "\"entries\": [";

    std::vector<const TFBEntry*> levels{db.Root()};
    const TFBEntry* e = db.Root()->Children;
    bool first = true;
    while (!levels.empty()) {
        const std::size_t depth = levels.size() + 1;
        if (e == nullptr) {
            const TFBEntry* closed = levels.back();
            levels.pop_back();
            if (!first) {
                Indent(out, depth - 1);
            }
            out += "]";
            if (levels.empty()) {
                break;
            }
            out += "}";
            e = closed->Next;
            first = false;
            continue;
        }
        if (!first) {
            out += ",";
        }
        first = false;
        Indent(out, depth);
        out += "{\"type\": \"";
        out += TypeName(e->EntryType);
        out += "\", \"name\": ";
        PutBytesAsJson(out, e->Name);
        out += ", \"tag\": " + std::to_string(e->Tag);
        switch (e->EntryType) {
        case TFBEntryType::node:
            out += ", \"children\": [";
            levels.push_back(e);
            e = e->FirstChild();
            first = true;
            continue;
        case TFBEntryType::int32:
            out += ", \"value\": " + std::to_string(static_cast<const TFBInteger*>(e)->Value);
            break;
        case TFBEntryType::str32:
            out += ", \"value\": ";
            PutBytesAsJson(out, static_cast<const TFBString*>(e)->Value);
            break;
        case TFBEntryType::bin32: {
            const auto* b = static_cast<const TFBBinary*>(e);
            out += ", \"size\": " + std::to_string(b->Size) + ", \"hex\": ";
            PutHex(out, b->Data, b->Size > 0 && b->Data ? static_cast<std::size_t>(b->Size) : 0);
            break;
        }
        default: {
            const Extended80& v = static_cast<const TFBFloat*>(e)->Value;
            out += ", \"hex\": ";
            PutHex(out, v.Bytes.data(), v.Bytes.size());
            out += ", \"value\": ";
            PutDouble(out, v.ToDouble());
            break;
        }
        }
        out += "}";
        e = e->Next;
    }
    Indent(out, 0);
    out += "}\n";
    return out;
}

// --- input -----------------------------------------------------------------

namespace {

std::string BytesFromJson(const json& j, const char* what) {
    if (!j.is_string()) {
        throw BadInput{std::string(what) + " must be a string"};
    }
    const std::string& s = j.get_ref<const std::string&>();
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < s.size()) {
            out += static_cast<char>(((c & 0x03) << 6) |
                                     (static_cast<unsigned char>(s[i + 1]) & 0x3F));
            i += 2;
        } else {
            throw BadInput{std::string(what) + " holds a character above U+00FF"};
        }
    }
    return out;
}

std::int32_t Int32FromJson(const json& j, const char* what) {
    if (!j.is_number_integer()) {
        throw BadInput{std::string(what) + " must be an integer"};
    }
    if (j.is_number_unsigned()) {
        if (j.get<std::uint64_t>() > static_cast<std::uint64_t>(INT32_MAX)) {
            throw BadInput{std::string(what) + " is out of range"};
        }
        return static_cast<std::int32_t>(j.get<std::uint64_t>());
    }
    const auto v = j.get<std::int64_t>();
    if (v < INT32_MIN || v > INT32_MAX) {
        throw BadInput{std::string(what) + " is out of range"};
    }
    return static_cast<std::int32_t>(v);
}

std::vector<std::uint8_t> HexFromJson(const json& j, const char* what) {
    if (!j.is_string()) {
        throw BadInput{std::string(what) + " must be a string"};
    }
    const std::string& s = j.get_ref<const std::string&>();
    auto nibble = [&](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        throw BadInput{std::string(what) + " is not hexadecimal"};
    };
    if (s.size() % 2) {
        throw BadInput{std::string(what) + " has an odd number of digits"};
    }
    std::vector<std::uint8_t> out(s.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<std::uint8_t>(nibble(s[2 * i]) << 4 | nibble(s[2 * i + 1]));
    }
    return out;
}

const json* Member(const json& obj, const char* key) {
    const auto it = obj.find(key);
    return it == obj.end() ? nullptr : &*it;
}

// Fills one new entry from its JSON object; a node's children come later.
void FillEntry(TFBEntry* e, const json& j) {
    if (const json* name = Member(j, "name")) {
        e->Name = BytesFromJson(*name, "\"name\"");
    }
    if (const json* tag = Member(j, "tag")) {
        e->Tag = Int32FromJson(*tag, "\"tag\"");
    }
    switch (e->EntryType) {
    case TFBEntryType::int32: {
        const json* v = Member(j, "value");
        if (!v) {
            throw BadInput{"an int32 entry needs \"value\""};
        }
        static_cast<TFBInteger*>(e)->Value = Int32FromJson(*v, "\"value\"");
        break;
    }
    case TFBEntryType::str32: {
        const json* v = Member(j, "value");
        if (!v) {
            throw BadInput{"a str32 entry needs \"value\""};
        }
        static_cast<TFBString*>(e)->Value = BytesFromJson(*v, "\"value\"");
        break;
    }
    case TFBEntryType::bin32: {
        const json* hex = Member(j, "hex");
        const json* size = Member(j, "size");
        const std::vector<std::uint8_t> bytes =
            hex ? HexFromJson(*hex, "\"hex\"") : std::vector<std::uint8_t>{};
        if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
            throw BadInput{"\"hex\" is too long"};
        }
        std::int32_t n = static_cast<std::int32_t>(bytes.size());
        if (size) {
            const std::int32_t declared = Int32FromJson(*size, "\"size\"");
            // A negative size is kept as a damaged file may hold it: no bytes.
            if (!(declared == n || (declared < 0 && n == 0))) {
                throw BadInput{"\"size\" does not match \"hex\""};
            }
            n = declared;
        }
        std::uint8_t* block = nullptr;
        if (n > 0) {
            block = new std::uint8_t[static_cast<std::size_t>(n)];
            std::copy(bytes.begin(), bytes.end(), block);
        }
        static_cast<TFBBinary*>(e)->Assign(block, n);
        break;
    }
    case TFBEntryType::floating: {
        auto* f = static_cast<TFBFloat*>(e);
        if (const json* hex = Member(j, "hex")) {
            const auto bytes = HexFromJson(*hex, "\"hex\"");
            if (bytes.size() != 10) {
                throw BadInput{"a floating \"hex\" has 20 digits"};
            }
            std::copy(bytes.begin(), bytes.end(), f->Value.Bytes.begin());
        } else if (const json* v = Member(j, "value"); v && v->is_number()) {
            f->Value = Extended80::FromDouble(v->get<double>());
        } else {
            throw BadInput{"a floating entry needs \"hex\" or a number \"value\""};
        }
        break;
    }
    default:
        break;
    }
}

TFBEntryType TypeFromJson(const json& j) {
    const json* t = Member(j, "type");
    if (!t || !t->is_string()) {
        throw BadInput{"every entry needs a \"type\""};
    }
    const std::string& s = t->get_ref<const std::string&>();
    for (auto type : {TFBEntryType::node, TFBEntryType::int32, TFBEntryType::str32,
                      TFBEntryType::bin32, TFBEntryType::floating}) {
        if (s == TypeName(type)) {
            return type;
        }
    }
    throw BadInput{"unknown entry type \"" + s + "\""};
}

const json& ArrayMember(const json& obj, const char* key) {
    static const json empty = json::array();
    const json* a = Member(obj, key);
    if (!a) {
        return empty;
    }
    if (!a->is_array()) {
        throw BadInput{std::string("\"") + key + "\" must be an array"};
    }
    return *a;
}

void BuildTree(TFBRoot* root, const json& entries) {
    struct Level {
        const json* Items;
        std::size_t Next;
        TFBEntry* Parent;
    };
    std::vector<Level> levels{{&entries, 0, root}};
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.Next == level.Items->size()) {
            levels.pop_back();
            continue;
        }
        const json& item = (*level.Items)[level.Next++];
        if (!item.is_object()) {
            throw BadInput{"every entry must be an object"};
        }
        const TFBEntryType type = TypeFromJson(item);
        TFBEntry* parent = level.Parent;
        TFBEntry* e = parent->EntryType == TFBEntryType::root
                          ? static_cast<TFBRoot*>(parent)->AddChild(type)
                          : static_cast<TFBNode*>(parent)->AddChild(type);
        FillEntry(e, item);
        if (type == TFBEntryType::node) {
            levels.push_back({&ArrayMember(item, "children"), 0, e}); // `level` is stale now
        }
    }
}

} // namespace

int ChosenVersion(const json& doc, int versionOption) {
    if (!doc.is_object()) {
        throw BadInput{"the top level must be an object"};
    }
    int version = versionOption;
    if (version == 0) {
        const json* v = Member(doc, "version");
        version = v ? Int32FromJson(*v, "\"version\"") : 2;
    }
    if (version != 1 && version != 2) {
        throw BadInput{"the version must be 1 or 2"};
    }
    return version;
}

void FillDatabase(TFreeBase& db, const json& doc) {
    if (!doc.is_object()) {
        throw BadInput{"the top level must be an object"};
    }
    if (const json* info = Member(doc, "info")) {
        db.SetDataBaseInfo(BytesFromJson(*info, "\"info\""));
    }
    if (const json* tag = Member(doc, "tag")) {
        db.SetDataBaseTag(Int32FromJson(*tag, "\"tag\""));
    }
    BuildTree(db.Root(), ArrayMember(doc, "entries"));
}

// --- streaming input -------------------------------------------------------

namespace {

bool IsEntryMember(const std::string& key) {
    return key == "type" || key == "name" || key == "tag" || key == "value" || key == "hex" ||
           key == "size";
}

bool IsTopMember(const std::string& key) {
    return key == "version" || key == "info" || key == "tag";
}

// Parser events to entries. One frame per open level, 16 bytes; only the
// innermost entry can still be unmade (a node is made when its children
// begin), so its members wait in one object. A member value of the wrong
// kind (an array where a string belongs) is kept as an empty placeholder of
// its kind, so the checks of FillEntry say what they say for a whole
// document; values that nobody reads are skipped without being kept.
class EntrySax final : public nlohmann::json_sax<json> {
public:
    explicit EntrySax(TFBRoot* root) : root_(root) {}

    const json& Top() const { return top_; }
    const std::string& Error() const { return error_; }

    bool null() override { return Scalar(json()); }
    bool boolean(bool v) override { return Scalar(json(v)); }
    bool number_integer(number_integer_t v) override { return Scalar(json(v)); }
    bool number_unsigned(number_unsigned_t v) override { return Scalar(json(v)); }
    bool number_float(number_float_t v, const string_t&) override { return Scalar(json(v)); }
    bool string(string_t& v) override { return Scalar(json(std::move(v))); }
    bool binary(binary_t&) override { return Scalar(json()); }

    bool key(string_t& k) override {
        if (skip_ == 0) {
            key_ = k;
        }
        return true;
    }

    bool start_object(std::size_t) override {
        if (skip_ > 0) {
            ++skip_;
            return true;
        }
        if (frames_.empty()) {
            if (started_) {
                throw BadInput{"the top level must be an object"};
            }
            started_ = true;
            frames_.push_back({Kind::Top, root_});
            return true;
        }
        if (InList()) {
            frames_.push_back({Kind::Entry, nullptr});
            pending_ = json::object();
            return true;
        }
        return Structured(json::object());
    }

    bool end_object() override {
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        if (frames_.back().Kind == Kind::Entry && !frames_.back().Node) {
            const TFBEntry* e = Make();
            const json* children = Member(pending_, "children");
            if (e->EntryType == TFBEntryType::node && children && !children->is_array()) {
                throw BadInput{"\"children\" must be an array"};
            }
        }
        frames_.pop_back();
        return true;
    }

    bool start_array(std::size_t) override {
        if (skip_ > 0) {
            ++skip_;
            return true;
        }
        if (frames_.empty()) {
            throw BadInput{"the top level must be an object"};
        }
        if (InList()) {
            throw BadInput{"every entry must be an object"};
        }
        Frame& f = frames_.back();
        if (f.Kind == Kind::Top && key_ == "entries") {
            frames_.push_back({Kind::Entries, root_});
            return true;
        }
        if (f.Kind == Kind::Entry && key_ == "children" && !f.Node) {
            if (!pending_.contains("type")) {
                throw BadInput{"an entry's \"type\" must come before its \"children\""};
            }
            if (TypeFromJson(pending_) == TFBEntryType::node) {
                frames_.back() = {Kind::Children, Make()};
                return true;
            }
            // As for a whole document: a value's children are never read.
        }
        return Structured(json::array());
    }

    bool end_array() override {
        if (skip_ > 0) {
            --skip_;
        } else if (frames_.back().Kind == Kind::Children) {
            frames_.back().Kind = Kind::Entry; // back among the node's members
        } else {
            frames_.pop_back(); // the top-level entries
        }
        return true;
    }

    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& ex) override {
        error_ = ex.what();
        return false;
    }

private:
    enum class Kind : std::uint8_t { Top, Entries, Entry, Children };
    struct Frame {
        enum Kind Kind;
        TFBEntry* Node; // Entries: the root; Entry: the entry once made; Children: the node
    };

    bool InList() const {
        return frames_.back().Kind == Kind::Entries || frames_.back().Kind == Kind::Children;
    }

    // The innermost entry from its members so far, at the end of the list
    // below it.
    TFBEntry* Make() {
        const TFBEntryType type = TypeFromJson(pending_);
        TFBEntry* parent = frames_[frames_.size() - 2].Node;
        TFBEntry* e = parent->EntryType == TFBEntryType::root
                          ? static_cast<TFBRoot*>(parent)->AddChild(type)
                          : static_cast<TFBNode*>(parent)->AddChild(type);
        FillEntry(e, pending_);
        frames_.back().Node = e;
        return e;
    }

    // A member read: kept while its entry is unmade, else given to the
    // node at once (only its name and tag are read).
    void Take(json value) {
        Frame& f = frames_.back();
        if (f.Kind == Kind::Top) {
            if (IsTopMember(key_)) {
                top_[key_] = std::move(value);
            }
        } else if (!f.Node) {
            if (IsEntryMember(key_) || key_ == "children") {
                pending_[key_] = std::move(value);
            }
        } else if (key_ == "name" || key_ == "tag") {
            json member = json::object();
            member[key_] = std::move(value);
            FillEntry(f.Node, member);
        }
    }

    bool Scalar(json value) {
        if (skip_ > 0) {
            return true;
        }
        if (frames_.empty()) {
            throw BadInput{"the top level must be an object"};
        }
        if (InList()) {
            throw BadInput{"every entry must be an object"};
        }
        if (frames_.back().Kind == Kind::Top && key_ == "entries") {
            throw BadInput{"\"entries\" must be an array"};
        }
        Take(std::move(value));
        return true;
    }

    // An object or array as a member value: a placeholder where it is read.
    bool Structured(json placeholder) {
        if (frames_.back().Kind == Kind::Top && key_ == "entries") {
            throw BadInput{"\"entries\" must be an array"};
        }
        Take(std::move(placeholder));
        skip_ = 1;
        return true;
    }

    TFBRoot* root_;
    std::vector<Frame> frames_;
    std::string key_;
    json pending_; // the members of the innermost entry while it is unmade
    json top_ = json::object();
    std::size_t skip_ = 0; // depth inside a value that is skipped
    bool started_ = false;
    std::string error_;
};

} // namespace

int BuildDatabase(TFreeBase& db, std::string_view text, int versionOption) {
    EntrySax sax(db.Root());
    if (!json::sax_parse(text.begin(), text.end(), &sax)) {
        throw InvalidJson{sax.Error()};
    }
    const int version = ChosenVersion(sax.Top(), versionOption);
    if (const json* info = Member(sax.Top(), "info")) {
        db.SetDataBaseInfo(BytesFromJson(*info, "\"info\""));
    }
    if (const json* tag = Member(sax.Top(), "tag")) {
        db.SetDataBaseTag(Int32FromJson(*tag, "\"tag\""));
    }
    return version;
}

} // namespace fbjson
