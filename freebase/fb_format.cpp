// The database file: header, check block, entry records, end markers, index.
//
//   0  header (64): "RRFB", header size, version, reserved, created,
//      last changed, info[32], tag, 0
//   64 check block (16, version 2): header, data and index checksums,
//      index offset
//   entry records of the top level, level end 0, file end 0
//   version 2: index count, then (offset, type) per entry and level end
//
// The file is built in memory and written in one go; reading takes the
// whole file and checks every length against what is left before using it.
#include "fileio/safe_file.h"
#include "freebase/fb_crc.h"
#include "freebase/fb_file.h"
#include "freebase/fb_tree.h"
#include "freebase/freebase.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace {

constexpr std::uint8_t Signature[4] = {'R', 'R', 'F', 'B'};
constexpr std::size_t HeaderBytes = 64;
constexpr std::size_t CheckBytes = 16;
constexpr std::size_t InfoOffset = 26;
constexpr std::size_t InfoBytes = 32;
constexpr std::size_t MaxInfoText = 31;

void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
void PutU64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint64_t GetU64(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(GetU32(p)) | static_cast<std::uint64_t>(GetU32(p + 4)) << 32;
}

// A growing byte buffer filled through a pointer: room is made once per
// entry, not per field, and growing leaves the new bytes unset.
class ImageSink {
public:
    explicit ImageSink(std::size_t expected)
        : size_(expected < 256 ? 256 : expected), buf_(new std::uint8_t[size_]) {}
    std::size_t Pos() const { return pos_; }
    // At least n bytes at Pos(); Advance moves past what was written.
    std::uint8_t* Room(std::size_t n) {
        if (size_ - pos_ < n) {
            const std::size_t size = std::max(size_ * 2, pos_ + n);
            std::unique_ptr<std::uint8_t[]> bigger(new std::uint8_t[size]);
            std::memcpy(bigger.get(), buf_.get(), pos_);
            buf_ = std::move(bigger);
            size_ = size;
        }
        return buf_.get() + pos_;
    }
    void Advance(std::size_t n) { pos_ += n; }
    std::uint8_t* At(std::size_t pos) { return buf_.get() + pos; }

private:
    std::size_t size_;
    std::unique_ptr<std::uint8_t[]> buf_; // not cleared: every byte is written before use
    std::size_t pos_ = 0;
};

// Reads from the file image; every read checks what is left, and waits
// for a file still arriving.
class ImageReader {
public:
    // `splitAt`: where the reading thread takes over, a file offset that
    // is set before the bytes after it arrive.
    ImageReader(const std::uint8_t* data, std::size_t size, std::size_t base,
                safefile::BackgroundRead* feed = nullptr,
                const std::atomic<std::size_t>* splitAt = nullptr)
        : data_(data), size_(size), base_(base), feed_(feed), splitAt_(splitAt) {
        Refresh(); // the file may have arrived whole before the first wait
    }
    std::size_t Pos() const { return pos_; }
    std::size_t Left() const { return size_ - pos_; }
    // Where to stop, as known from what has arrived; SIZE_MAX for nowhere.
    std::size_t Stop() const { return stop_; }
    void NoStop() {
        splitAt_ = nullptr;
        stop_ = SIZE_MAX;
    }
    bool Byte(std::uint8_t& b) {
        if (pos_ >= size_ && !More(1)) {
            return false;
        }
        b = data_[pos_++];
        return true;
    }
    bool I32(std::int32_t& v) {
        if (Left() < 4 && !More(4)) {
            return false;
        }
        v = static_cast<std::int32_t>(GetU32(data_ + pos_));
        pos_ += 4;
        return true;
    }
    // n bytes, or null when the file holds fewer: nothing is allocated first.
    const std::uint8_t* Take(std::size_t n) {
        if (Left() < n && !More(n)) {
            return nullptr;
        }
        const std::uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }

private:
    // Waits until n bytes past Pos() have arrived; false when the file
    // ended first.
    bool More(std::size_t n) {
        if (feed_ == nullptr || n > SIZE_MAX - base_ - pos_) {
            return false;
        }
        const std::size_t arrived = feed_->WaitFor(base_ + pos_ + n);
        size_ = arrived > base_ ? arrived - base_ : 0;
        Refresh();
        return Left() >= n;
    }
    // Where to stop, known before the bytes after it arrived.
    void Refresh() {
        if (splitAt_) {
            const std::size_t at = splitAt_->load(std::memory_order_acquire);
            stop_ = at >= base_ && at != SIZE_MAX ? at - base_ : SIZE_MAX;
        }
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t base_; // where data_ lies in the file
    safefile::BackgroundRead* feed_;
    const std::atomic<std::size_t>* splitAt_;
    std::size_t stop_ = SIZE_MAX;
    std::size_t pos_ = 0;
};

// An open level of the tree being read.
struct Level {
    TFBEntry* Parent;
    FBTreeAccess::Slots Slots;
};

// The data checksum of a file read from memory, taken a stretch at a time
// while the bytes are still in the cache.
struct StretchCrc {
    const std::uint8_t* Data;
    std::size_t Done = 0;
    std::uint32_t Crc = 0xFFFFFFFFU;
};

enum class RecordsEnd { Done, Stopped, Malformed };

// Reads records into the open levels until the outermost has ended (Done),
// until the reader stands at its stop (Stopped, the levels still open) or
// until a record does not fit what the file holds (Malformed).
RecordsEnd ReadRecords(ImageReader& r, std::vector<Level>& levels, FBTreeAccess::Maker& maker,
                       StretchCrc* crc) {
    constexpr std::size_t CrcStretch = 64 * 1024;
    while (!levels.empty()) {
        if (r.Pos() == r.Stop()) {
            return RecordsEnd::Stopped;
        }
        if (crc && r.Pos() - crc->Done >= CrcStretch) {
            crc->Crc = fbcrc::Update(crc->Crc, crc->Data + crc->Done, r.Pos() - crc->Done);
            crc->Done = r.Pos();
        }
        std::uint8_t type = 0;
        if (!r.Byte(type)) {
            return RecordsEnd::Malformed;
        }
        if (type == 0) {
            levels.pop_back();
            continue;
        }
        if (type > 5) {
            return RecordsEnd::Malformed;
        }
        std::int32_t n = 0;
        if (!r.I32(n)) {
            return RecordsEnd::Malformed;
        }
        std::string_view name; // a negative length is an empty name
        if (n > 0) {
            const std::uint8_t* bytes = r.Take(static_cast<std::size_t>(n));
            if (bytes == nullptr) {
                return RecordsEnd::Malformed;
            }
            name = {reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n)};
        }
        TFBEntry* e = maker.Make(static_cast<TFBEntryType>(type), name);
        FBTreeAccess::Link(levels.back().Parent, levels.back().Slots, e);
        if (!r.I32(e->Tag)) {
            return RecordsEnd::Malformed;
        }
        switch (static_cast<TFBEntryType>(type)) {
        case TFBEntryType::node:
            levels.push_back({e, FBTreeAccess::SlotsOf(e)});
            break;
        case TFBEntryType::int32:
            if (!r.I32(static_cast<TFBInteger*>(e)->Value)) {
                return RecordsEnd::Malformed;
            }
            break;
        case TFBEntryType::str32: {
            std::int32_t m = 0;
            if (!r.I32(m)) {
                return RecordsEnd::Malformed;
            }
            if (m > 0) {
                const std::uint8_t* text = r.Take(static_cast<std::size_t>(m));
                if (text == nullptr) {
                    return RecordsEnd::Malformed;
                }
                static_cast<TFBString*>(e)->Value.assign(reinterpret_cast<const char*>(text),
                                                         static_cast<std::size_t>(m));
            }
            break;
        }
        case TFBEntryType::bin32: {
            auto* b = static_cast<TFBBinary*>(e);
            std::int32_t m = 0;
            if (!r.I32(m)) {
                return RecordsEnd::Malformed;
            }
            if (m > 0) {
                const std::uint8_t* bytes = r.Take(static_cast<std::size_t>(m));
                if (bytes == nullptr) {
                    return RecordsEnd::Malformed;
                }
                if (!maker.SetBinary(b, bytes, static_cast<std::size_t>(m))) {
                    return RecordsEnd::Malformed;
                }
            } else {
                b->Size = m; // a negative size is kept, with no bytes
            }
            break;
        }
        default: { // floating
            const std::uint8_t* v = r.Take(10);
            if (v == nullptr) {
                return RecordsEnd::Malformed;
            }
            std::memcpy(static_cast<TFBFloat*>(e)->Value.Bytes.data(), v, 10);
            break;
        }
        }
    }
    return RecordsEnd::Done;
}

// Walks records by their lengths alone, as ReadRecords reads them, from
// `pos` while whole records lie before `to`; `depth` counts the open
// levels. Found: `pos` is a record at or past `target`. Off: no record can
// be found there (a type past 5, or the outermost level ended).
enum class Scan { More, Found, Off };

Scan ScanRecords(const std::uint8_t* data, std::size_t to, std::size_t target, std::size_t& pos,
                 std::size_t& depth) {
    while (pos < target) {
        if (pos >= to) {
            return Scan::More;
        }
        const std::size_t left = to - pos;
        const std::uint8_t type = data[pos];
        if (type == 0) {
            ++pos;
            if (--depth == 0) {
                return Scan::Off;
            }
            continue;
        }
        if (type > 5) {
            return Scan::Off;
        }
        if (left < 9) {
            return Scan::More;
        }
        const auto n = static_cast<std::int32_t>(GetU32(data + pos + 1));
        std::size_t need = 9 + (n > 0 ? static_cast<std::size_t>(n) : 0);
        switch (static_cast<TFBEntryType>(type)) {
        case TFBEntryType::node:
            break;
        case TFBEntryType::int32:
            need += 4;
            break;
        case TFBEntryType::floating:
            need += 10;
            break;
        default: { // text and binary: a length, then the bytes
            if (left < need + 4) {
                return Scan::More;
            }
            const auto m = static_cast<std::int32_t>(GetU32(data + pos + need));
            need += 4 + (m > 0 ? static_cast<std::size_t>(m) : 0);
        }
        }
        if (left < need) {
            return Scan::More;
        }
        pos += need;
        if (type == static_cast<std::uint8_t>(TFBEntryType::node)) {
            ++depth;
        }
    }
    return Scan::Found;
}

// The new children of each level open at a split: the reading thread does
// not know those levels' entries, so it keeps their children here.
struct Chain {
    TFBEntry* First = nullptr;
    TFBEntry* Last = nullptr;
};

} // namespace

// A file being read on another thread: the parser waits for bytes it needs
// that have not arrived, and the reading thread takes the data checksum of
// each stretch as it comes, so that only its end is left to the parser.
//
// A large file is also split: while the bytes arrive, the reading thread
// walks the records by their lengths to one past most of the file, and
// once it has read the file it reads the records from there on into a
// tree of its own. The parser stops at that record and links the rest in.
// A split that does not fit, or a rest that does not read, is read on by
// the parser as if there were none.
struct TFreeBase::ImageFeed {
    safefile::BackgroundRead Read;
    // Checksums on the reading thread, for a file whose header says
    // version 2 (version 1 has none): `Marks` holds (offset, checksum of
    // the data from its start to the offset).
    bool HeaderSeen = false;
    bool Checked = false;
    std::size_t DataStart = 0; // from the header's size field, not yet checked
    std::vector<std::pair<std::size_t, std::uint32_t>> Marks;

    // The split. `SplitFrom`: the smallest file that is split.
    std::size_t SplitFrom = SIZE_MAX;
    std::size_t ScanTarget = 0; // 0: not walking
    std::size_t ScanPos = 0;
    std::size_t ScanDepth = 1; // the root's level
    std::atomic<std::size_t> SplitAt{SIZE_MAX};
    std::size_t SplitDepth = 0;
    // The rest of the file, read on the reading thread: valid when
    // `RestRead`, and then ending at `RestEnd`.
    std::vector<Chain> Rest;
    bool RestRead = false;
    std::size_t RestEnd = 0;

    ImageFeed() = default;
    ImageFeed(const ImageFeed&) = delete;
    ImageFeed& operator=(const ImageFeed&) = delete;
    ~ImageFeed() {
        Read.Finish();
        DropRest();
    }

    void Piece(const std::uint8_t* data, std::size_t to) {
        if (!HeaderSeen) {
            if (to < 8) {
                return;
            }
            DataStart = GetU16(data + 4);
            Checked = GetU16(data + 6) == 2;
            HeaderSeen = true;
            const std::size_t size = Read.FileSize();
            if (size >= SplitFrom && size > DataStart) {
                // The reading thread reads and sums the file first, so it
                // gets the smaller part.
                const std::size_t records = size - DataStart;
                ScanTarget = DataStart + records / 5 * 3;
                ScanPos = DataStart;
            }
        }
        const std::size_t done = Marks.empty() ? DataStart : Marks.back().first;
        if (Checked && to > done) {
            const std::uint32_t crc = Marks.empty() ? 0xFFFFFFFFU : Marks.back().second;
            Marks.emplace_back(to, fbcrc::Update(crc, data + done, to - done));
        }
        if (ScanTarget != 0) {
            switch (ScanRecords(data, to, ScanTarget, ScanPos, ScanDepth)) {
            case Scan::More:
                break;
            case Scan::Found:
                SplitDepth = ScanDepth;
                SplitAt.store(ScanPos, std::memory_order_release);
                ScanTarget = 0;
                break;
            case Scan::Off:
                ScanTarget = 0;
                break;
            }
        }
        if (to == Read.FileSize() && SplitDepth > 0) {
            ReadRest(data, to);
        }
    }

    // The records from the split on, into chains for the open levels.
    void ReadRest(const std::uint8_t* data, std::size_t size) {
        const std::size_t at = SplitAt.load(std::memory_order_relaxed);
        try {
            Rest.assign(SplitDepth, {});
            std::vector<Level> levels;
            levels.reserve(SplitDepth + 16);
            for (Chain& c : Rest) {
                levels.push_back({nullptr, {&c.First, &c.Last}});
            }
            FBTreeAccess::Maker maker;
            ImageReader r(data + at, size - at, at);
            if (ReadRecords(r, levels, maker, nullptr) == RecordsEnd::Done) {
                RestRead = true;
                RestEnd = at + r.Pos();
            }
        } catch (const std::bad_alloc&) {
            RestRead = false; // the parser reads on
        }
    }

    // Links the rest into the levels open at the split; false when it
    // does not fit them.
    bool JoinRest(std::vector<Level>& levels) {
        if (!RestRead || levels.size() != Rest.size()) {
            return false;
        }
        for (std::size_t j = 0; j < levels.size(); ++j) {
            const Chain& c = Rest[j];
            if (c.First == nullptr) {
                continue;
            }
            const Level& l = levels[j];
            for (TFBEntry* e = c.First; e != nullptr; e = e->Next) {
                e->Parent = l.Parent;
            }
            if (TFBEntry* last = *l.Slots.Last) {
                last->Next = c.First;
                c.First->Prev = last;
            } else {
                *l.Slots.First = c.First;
                c.First->Prev = l.Parent;
            }
            *l.Slots.Last = c.Last;
        }
        Rest.clear();
        return true;
    }

    void DropRest() {
        if (Rest.empty()) {
            return;
        }
        // One list under a root of their own, which frees them all.
        TFBRoot holder;
        const FBTreeAccess::Slots s = FBTreeAccess::SlotsOf(&holder);
        for (const Chain& c : Rest) {
            if (c.First == nullptr) {
                continue;
            }
            if (*s.Last == nullptr) {
                *s.First = c.First;
            } else {
                (*s.Last)->Next = c.First;
            }
            *s.Last = c.Last;
        }
        Rest.clear();
    }

    // The checksum of [dataStart, end), once the reading has ended.
    std::uint32_t DataCrc(const std::uint8_t* data, std::size_t dataStart, std::size_t end) const {
        std::size_t from = dataStart;
        std::uint32_t crc = 0xFFFFFFFFU;
        if (Checked && DataStart == dataStart) {
            for (auto m = Marks.rbegin(); m != Marks.rend(); ++m) {
                if (m->first <= end) {
                    from = m->first;
                    crc = m->second;
                    break;
                }
            }
        }
        return fbcrc::Update(crc, data + from, end - from);
    }
};

namespace {

std::int64_t ValueSize(const TFBEntry* e) {
    switch (e->EntryType) {
    case TFBEntryType::int32:
        return 4;
    case TFBEntryType::str32:
        return 4 + static_cast<std::int64_t>(static_cast<const TFBString*>(e)->Value.size());
    case TFBEntryType::bin32: {
        const std::int32_t size = static_cast<const TFBBinary*>(e)->Size;
        return 4 + (size > 0 ? size : 0); // a negative size is written with no bytes
    }
    case TFBEntryType::floating:
        return 10;
    default:
        return 0;
    }
}

bool FitsInt32(std::size_t n) {
    return n <= static_cast<std::size_t>(INT32_MAX);
}

struct ImageCounts {
    std::int64_t Bytes = 66;  // header, top-level end, file end
    std::int64_t Records = 1; // index records: the top-level end so far
};

// The size of a version 1 image and the number of index records.
ImageCounts CountImage(const TFBRoot* root) {
    ImageCounts c;
    std::vector<const TFBEntry*> levels{root};
    const TFBEntry* e = root->Children;
    while (!levels.empty()) {
        if (e == nullptr) {
            e = levels.back()->Next;
            levels.pop_back();
            continue;
        }
        c.Bytes += 9 + static_cast<std::int64_t>(e->Name.size()) + ValueSize(e);
        ++c.Records;
        if (e->EntryType == TFBEntryType::node) {
            ++c.Bytes; // its level end
            ++c.Records;
            levels.push_back(e);
            e = e->FirstChild();
            continue;
        }
        e = e->Next;
    }
    return c;
}

} // namespace

void TFreeBase::CRC32(const void* Data, std::size_t Length, std::uint32_t& Crc) {
    Crc = fbcrc::Update(Crc, Data, Length);
}

void TFreeBase::NewData() {
    root_ = std::make_unique<TFBRoot>();
    root_->Name = "unbenannt";
    header_ = FileHeader{};
    header_.Version = 2;
    header_.Created = header_.LastChanged = FBDateTimeNow();
    std::memcpy(header_.Info, root_->Name.data(), root_->Name.size());
    check_ = CheckBlock{};
    currentFileSize_ = 0;
}

std::int64_t TFreeBase::ExpectedFileSize() const {
    if (!active_ || !root_) {
        return 0;
    }
    const ImageCounts counts = CountImage(root_.get());
    const bool v2 = saveAsVersion_ == TSaveAsVersion::Version2 ||
                    (saveAsVersion_ == TSaveAsVersion::current && header_.Version == 2);
    return counts.Bytes + (v2 ? 20 + 5 * counts.Records : 0);
}

// The file being saved: header and data, then the index (version 2).
struct TFreeBase::SaveImage {
    SaveImage(std::size_t data, std::size_t index) : Data(data), Index(index) {}
    ImageSink Data;
    ImageSink Index;
    std::size_t DataBytes = 0;
    std::size_t IndexBytes = 0;
};

bool TFreeBase::BuildImage(SaveImage& out) {
    switch (saveAsVersion_) {
    case TSaveAsVersion::Version1:
        header_.Version = 1;
        header_.Reserved = 0;
        break;
    case TSaveAsVersion::Version2:
        header_.Version = 2;
        header_.Reserved = 0;
        break;
    default:
        break; // version and reserved as held
    }
    const bool v2 = header_.Version == 2;
    header_.HeaderSize = v2 ? 80 : 64;
    header_.LastChanged = FBDateTimeNow();
    if (root_->Name.size() > MaxInfoText) {
        root_->Name.resize(MaxInfoText); // the cut text is what the database now holds
    }
    std::memcpy(header_.Info, root_->Name.data(), root_->Name.size());
    header_.Info[root_->Name.size()] = 0; // bytes after the zero stay as they were
    header_.Tag = root_->Tag;

    // Room for an image like the last one: growing a large one costs copies.
    ImageSink& w = out.Data;
    std::uint8_t* h = w.Room(HeaderBytes + CheckBytes);
    std::memcpy(h, Signature, 4);
    PutU16(h + 4, header_.HeaderSize);
    PutU16(h + 6, header_.Version);
    PutU16(h + 8, header_.Reserved);
    PutU64(h + 10, std::bit_cast<std::uint64_t>(header_.Created));
    PutU64(h + 18, std::bit_cast<std::uint64_t>(header_.LastChanged));
    std::memcpy(h + InfoOffset, header_.Info, InfoBytes);
    PutU32(h + 58, static_cast<std::uint32_t>(header_.Tag));
    PutU16(h + 62, 0);
    w.Advance(v2 ? HeaderBytes + CheckBytes
                 : HeaderBytes); // the check block is filled in at the end

    check_.HeaderCrc = 0xFFFFFFFFU;
    CRC32(h, HeaderBytes, check_.HeaderCrc);
    check_.DataCrc = 0xFFFFFFFFU;
    check_.IndexCrc = 0xFFFFFFFFU;
    check_.IndexOffset = header_.HeaderSize;

    // The index: its record count, then 5 bytes per record in file order.
    ImageSink& index = out.Index;
    if (v2) {
        index.Room(4);
        index.Advance(4);
    }
    const std::size_t dataStart = w.Pos();
    // The data checksum follows the writing a stretch at a time, while the
    // bytes are still in the cache.
    constexpr std::size_t CrcStretch = 64 * 1024;
    std::size_t crcDone = dataStart;
    auto addIndex = [&](std::size_t pos, std::uint8_t type) {
        if (v2) {
            std::uint8_t* r = index.Room(5);
            PutU32(r, static_cast<std::uint32_t>(pos));
            r[4] = type;
            index.Advance(5);
        }
    };

    // Pre-order over the tree with a stack of open levels: no recursion.
    std::vector<const TFBEntry*> levels{root_.get()};
    const TFBEntry* e = root_->Children;
    while (!levels.empty()) {
        if (w.Pos() - crcDone >= CrcStretch) {
            CRC32(w.At(crcDone), w.Pos() - crcDone, check_.DataCrc);
            crcDone = w.Pos();
        }
        if (e == nullptr) {
            *w.Room(1) = 0; // level end
            w.Advance(1);
            addIndex(w.Pos(), 0);
            e = levels.back()->Next;
            levels.pop_back();
            continue;
        }
        const auto type = static_cast<std::uint8_t>(e->EntryType);
        if (type < 1 || type > 5 || !FitsInt32(e->Name.size())) {
            return false;
        }
        addIndex(w.Pos(), type);
        // The value's bytes, and its length field where it has one.
        const void* value = nullptr;
        std::size_t valueBytes = 0;
        switch (e->EntryType) {
        case TFBEntryType::str32: {
            const std::string& v = static_cast<const TFBString*>(e)->Value;
            if (!FitsInt32(v.size())) {
                return false;
            }
            value = v.data();
            valueBytes = v.size();
            break;
        }
        case TFBEntryType::bin32: {
            const auto* b = static_cast<const TFBBinary*>(e);
            if (b->Size > 0) {
                if (b->Data == nullptr) {
                    return false;
                }
                value = b->Data;
                valueBytes = static_cast<std::size_t>(b->Size);
            }
            break;
        }
        default:
            break;
        }
        const std::size_t nameBytes = e->Name.size();
        std::uint8_t* p = w.Room(9 + nameBytes + 10 + valueBytes);
        std::uint8_t* const start = p;
        *p++ = type;
        PutU32(p, static_cast<std::uint32_t>(nameBytes));
        std::memcpy(p + 4, e->Name.data(), nameBytes);
        p += 4 + nameBytes;
        PutU32(p, static_cast<std::uint32_t>(e->Tag));
        p += 4;
        switch (e->EntryType) {
        case TFBEntryType::node:
            w.Advance(static_cast<std::size_t>(p - start));
            levels.push_back(e);
            e = e->FirstChild();
            continue;
        case TFBEntryType::int32:
            PutU32(p, static_cast<std::uint32_t>(static_cast<const TFBInteger*>(e)->Value));
            p += 4;
            break;
        case TFBEntryType::str32:
            PutU32(p, static_cast<std::uint32_t>(valueBytes));
            std::memcpy(p + 4, value, valueBytes);
            p += 4 + valueBytes;
            break;
        case TFBEntryType::bin32:
            // A negative size is written with no bytes.
            PutU32(p, static_cast<std::uint32_t>(static_cast<const TFBBinary*>(e)->Size));
            if (valueBytes > 0) {
                std::memcpy(p + 4, value, valueBytes);
            }
            p += 4 + valueBytes;
            break;
        default: // floating
            std::memcpy(p, static_cast<const TFBFloat*>(e)->Value.Bytes.data(), 10);
            p += 10;
            break;
        }
        w.Advance(static_cast<std::size_t>(p - start));
        e = e->Next;
    }
    *w.Room(1) = 0; // file end
    w.Advance(1);
    CRC32(w.At(crcDone), w.Pos() - crcDone, check_.DataCrc);
    out.DataBytes = w.Pos();

    if (v2) {
        // Offsets in the index are 32-bit.
        const std::size_t records = (index.Pos() - 4) / 5;
        indexSizeHint_ = index.Pos() - 4;
        if (!FitsInt32(w.Pos() + index.Pos())) {
            return false;
        }
        check_.IndexOffset = static_cast<std::int32_t>(w.Pos());
        PutU32(index.At(0), static_cast<std::uint32_t>(records));
        CRC32(index.At(0), index.Pos(), check_.IndexCrc);
        out.IndexBytes = index.Pos();
        std::uint8_t* c = w.At(HeaderBytes);
        PutU32(c, check_.HeaderCrc);
        PutU32(c + 4, check_.DataCrc);
        PutU32(c + 8, check_.IndexCrc);
        PutU32(c + 12, static_cast<std::uint32_t>(check_.IndexOffset));
    }
    return true;
}

bool TFreeBase::SaveData() {
    if (!active_ || !root_ || openFlag_ == TFBOpenFlag::ReadOnly) {
        return false;
    }
    safefile::FileReplacer file;
    fileError_ = 0;
    if (!file.Begin(boundPath_)) {
        fileError_ = file.Error();
        return false;
    }
    try {
        SaveImage image(imageSizeHint_ + imageSizeHint_ / 8, indexSizeHint_ + 4);
        if (!BuildImage(image)) {
            return false;
        }
        imageSizeHint_ = image.DataBytes + image.IndexBytes;
        if (!file.Write(image.Data.At(0), image.DataBytes) ||
            (image.IndexBytes > 0 && !file.Write(image.Index.At(0), image.IndexBytes)) ||
            !file.Commit()) {
            fileError_ = file.Error();
            return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool TFreeBase::ParseImage(const std::uint8_t* data, std::size_t size, ImageFeed* feed) {
    if (feed) {
        size = feed->Read.WaitFor(HeaderBytes + CheckBytes); // the whole file, if shorter
    }
    // Longer than 8 bytes, "RRFB", version 1 or 2 with its own header size.
    if (size <= 8 || std::memcmp(data, Signature, 4) != 0) {
        return false;
    }
    FileHeader h;
    h.HeaderSize = GetU16(data + 4);
    h.Version = GetU16(data + 6);
    if (!((h.Version == 1 && h.HeaderSize == 64) || (h.Version == 2 && h.HeaderSize == 80))) {
        return false;
    }
    const std::size_t dataStart = h.HeaderSize;
    if (size < dataStart) {
        return false;
    }
    h.Reserved = GetU16(data + 8);
    h.Created = std::bit_cast<double>(GetU64(data + 10));
    h.LastChanged = std::bit_cast<double>(GetU64(data + 18));
    std::memcpy(h.Info, data + InfoOffset, InfoBytes);
    h.Tag = static_cast<std::int32_t>(GetU32(data + 58));

    CheckBlock c;
    if (h.Version == 2) {
        const std::uint8_t* cb = data + HeaderBytes;
        c.HeaderCrc = GetU32(cb);
        c.DataCrc = GetU32(cb + 4);
        c.IndexCrc = GetU32(cb + 8);
        c.IndexOffset = static_cast<std::int32_t>(GetU32(cb + 12));
        std::uint32_t crc = 0xFFFFFFFFU;
        CRC32(data, HeaderBytes, crc);
        if (crc != c.HeaderCrc) {
            lastError_ = fbeHeaderCrc;
            return false;
        }
    }

    auto root = std::make_unique<TFBRoot>();
    // An info field without a zero byte is taken whole.
    const void* zero = std::memchr(h.Info, 0, InfoBytes);
    root->Name.assign(reinterpret_cast<const char*>(h.Info),
                      zero ? static_cast<const std::uint8_t*>(zero) - h.Info : InfoBytes);
    root->Tag = h.Tag;

    ImageReader r(data + dataStart, size - dataStart, dataStart, feed ? &feed->Read : nullptr,
                  feed ? &feed->SplitAt : nullptr);
    // The data checksum (version 2 only) follows the reading a stretch at a
    // time, while the bytes are still in the cache; for a file still
    // arriving the reading thread takes it.
    const bool checked = h.Version == 2;
    StretchCrc stretches{data + dataStart};
    std::vector<Level> levels{{root.get(), FBTreeAccess::SlotsOf(root.get())}};
    std::size_t end = 0; // where the records ended
    {
        FBTreeAccess::Maker maker;
        RecordsEnd read = ReadRecords(r, levels, maker, checked && !feed ? &stretches : nullptr);
        if (read == RecordsEnd::Stopped) {
            // The reading thread has read the rest once it has ended; a
            // file that failed to read or changed meanwhile is no file read.
            if (feed->Read.Finish() != safefile::BackgroundRead::End::Ok) {
                return false;
            }
            if (feed->JoinRest(levels)) {
                end = feed->RestEnd;
                read = RecordsEnd::Done;
            } else {
                r.NoStop();
                read = ReadRecords(r, levels, maker, nullptr);
            }
        }
        if (read != RecordsEnd::Done) {
            return false;
        }
        if (end == 0) {
            end = dataStart + r.Pos();
        }
    }

    // A file that failed to read or changed meanwhile is no file read.
    if (feed && feed->Read.Finish() != safefile::BackgroundRead::End::Ok) {
        return false;
    }
    // The data checksum runs over the records and level ends read, and the
    // file end marker, which is not read: a file without it still loads.
    if (checked) {
        std::uint32_t crc = 0;
        if (feed) {
            // Its stretches were taken on the reading thread.
            crc = feed->DataCrc(data, dataStart, end);
        } else {
            crc = stretches.Crc;
            CRC32(data + dataStart + stretches.Done, r.Pos() - stretches.Done, crc);
        }
        const std::uint8_t fileEnd = 0;
        CRC32(&fileEnd, 1, crc);
        if (crc != c.DataCrc) {
            lastError_ = fbeDataCrc;
            return false;
        }
    }

    header_ = h;
    check_ = c;
    root_ = std::move(root);
    return true;
}

bool TFreeBase::LoadData() {
    root_.reset();
    currentFileSize_ = 0;
    fileError_ = 0;
    auto parse = [this](const std::uint8_t* data, std::size_t size, ImageFeed* feed) {
        try {
            return ParseImage(data, size, feed);
        } catch (const std::bad_alloc&) {
            return false;
        }
    };
    // A large file is read on a thread of its own while its entries are
    // made; a report of a few kilobytes is read at once.
    constexpr std::size_t ThreadFrom = 1u << 20;
    ImageFeed feed;
    feed.SplitFrom = ThreadFrom;
    if (feed.Read.Start(boundPath_, fbfile::MaxFileBytes, ThreadFrom,
                        [&feed](const std::uint8_t* data, std::size_t, std::size_t to) {
                            feed.Piece(data, to);
                        }) != safefile::ReadStatus::Ok) {
        fileError_ = errno;
        return false;
    }
    bool ok = parse(feed.Read.Data(), 0, &feed);
    std::size_t size = 0;
    safefile::ReadBuffer file; // not cleared before the read fills it
    switch (feed.Read.Finish()) {
    case safefile::BackgroundRead::End::Ok:
        size = feed.Read.Size();
        break;
    case safefile::BackgroundRead::End::Failed:
        fileError_ = errno;
        root_.reset();
        return false;
    case safefile::BackgroundRead::End::Grew:
        // Written to while read: read again, whole, as it is now.
        root_.reset();
        lastError_ = fbeNone;
        if (!fbfile::ReadAll(boundPath_, file)) {
            fileError_ = errno;
            return false;
        }
        ok = parse(file.data(), file.size(), nullptr);
        size = file.size();
        break;
    }
    if (ok) {
        currentFileSize_ = static_cast<std::int64_t>(size);
        imageSizeHint_ = size;
    }
    return ok;
}

bool TFreeBase::OpenImage(const std::vector<std::uint8_t>& image) {
    lastError_ = fbeNone;
    if (active_) {
        lastError_ = fbeAlreadyActive;
        RaiseError();
        return false;
    }
    openFlag_ = TFBOpenFlag::ReadOnly;
    bool ok = false;
    if (image.size() <= fbfile::MaxFileBytes) {
        try {
            ok = ParseImage(image.data(), image.size());
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok) {
        if (lastError_ != fbeHeaderCrc && lastError_ != fbeDataCrc) {
            lastError_ = fbeLoadFailed;
        }
        DiscardTree();
        RaiseError();
        return false;
    }
    boundPath_.clear();
    currentFileSize_ = static_cast<std::int64_t>(image.size());
    imageSizeHint_ = image.size();
    active_ = true;
    return true;
}
