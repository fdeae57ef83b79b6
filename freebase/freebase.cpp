// The entry tree, path access and activation of TFreeBase.
// <windows.h> first: fileio/safe_file.h takes back its ReplaceFile macro.
#ifdef _WIN32
#include <windows.h>
#endif

#include "freebase/freebase.h"

#include "fileio/safe_file.h"
#include "freebase/fb_file.h"
#include "freebase/fb_tree.h"

#include <atomic>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

// ---------------------------------------------------------------------------
// Entries

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define VRX_ENTRY_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VRX_ENTRY_POOL 0
#endif
#endif
#ifndef VRX_ENTRY_POOL
#define VRX_ENTRY_POOL 1
#endif

// Blocks of 8, 16, ... 128 bytes cut from 64 KiB slabs; a freed block
// waits at the end of its size's list for the next entry of that size.
// A closed file's tree is freed in file order, so the next file read takes
// the blocks back in the order they lie in memory, which the processor can
// fetch ahead; the other way round costs a cache miss per entry.
//
// Slabs are kept for the run. When no block is out, all of them are free:
// the lists are forgotten and cutting starts again at the first slab, so
// that a file read after the last was closed lies in memory in the order it
// is read. Under the address sanitizer every entry is its own allocation,
// so that use after free is still caught.
class EntryPool {
public:
    // Eight bytes apart: every entry type needs no more alignment (checked
    // below), and a finer step wastes less of each block.
    static constexpr std::size_t Step = 8;
    static constexpr std::size_t Classes = 16;
    static constexpr std::size_t SlabBytes = 64 * 1024;
    static constexpr std::size_t ClassOf(std::size_t size) { return (size + Step - 1) / Step - 1; }
    static constexpr bool Pooled(std::size_t size) {
        return VRX_ENTRY_POOL && ClassOf(size) < Classes;
    }
    struct Block {
        Block* Next;
    };
    struct Chain {
        Block* Head = nullptr;
        Block* Tail = nullptr;
        std::size_t Count = 0;
    };

    void* Take(std::size_t size) {
        if (!Pooled(size)) {
            return ::operator new(size);
        }
        const std::size_t c = ClassOf(size);
        const Lock lock(busy_);
        if (Block* b = free_[c].Head) {
            free_[c].Head = b->Next;
            if (b->Next == nullptr) {
                free_[c].Tail = nullptr;
            }
            --free_[c].Count;
            ++out_;
            return b;
        }
        void* p = Cut((c + 1) * Step);
        ++out_;
        return p;
    }
    void Give(void* p, std::size_t size) noexcept {
        if (!Pooled(size)) {
            ::operator delete(p);
            return;
        }
        const Lock lock(busy_);
        Append(ClassOf(size), p);
        Out(1);
    }

    // A reader's way, under one lock for many entries: the whole list of
    // one size, or else a piece of `bytes` (a multiple of Step, at most a
    // slab) to cut any size from. A piece counts as bytes / Step blocks out
    // until its reader gives back its rest.
    Chain TakeList(std::size_t c) {
        const Lock lock(busy_);
        const Chain list = free_[c];
        free_[c] = {};
        out_ += list.Count;
        return list;
    }
    std::byte* TakePiece(std::size_t bytes) {
        const Lock lock(busy_);
        // A whole slab leaves the one being cut as it is.
        std::byte* piece = bytes == SlabBytes ? NextSlab() : Cut(bytes);
        out_ += bytes / Step;
        return piece;
    }
    // What a reader did not use: a list in front of its size's list, or
    // the rest of a piece of which `cut` blocks were cut.
    void GiveList(std::size_t c, Chain list) noexcept {
        if (list.Head == nullptr) {
            return;
        }
        const Lock lock(busy_);
        list.Tail->Next = free_[c].Head;
        if (free_[c].Head == nullptr) {
            free_[c].Tail = list.Tail;
        }
        free_[c].Head = list.Head;
        free_[c].Count += list.Count;
        Out(list.Count);
    }
    void GivePieceRest(std::byte* rest, std::size_t bytes, std::size_t pieceBytes,
                       std::size_t cut) noexcept {
        const Lock lock(busy_);
        // The rest as blocks of the largest size, and one smaller.
        while (bytes > 0) {
            const std::size_t b = bytes < Classes * Step ? bytes : Classes * Step;
            Append(b / Step - 1, rest);
            rest += b;
            bytes -= b;
        }
        Out(pieceBytes / Step - cut);
    }

private:
    struct Lock {
        explicit Lock(std::atomic_flag& f) : flag(f) {
            while (flag.test_and_set(std::memory_order_acquire)) {
            }
        }
        ~Lock() { flag.clear(std::memory_order_release); }
        std::atomic_flag& flag;
    };

    // The lock is held for all of these.
    void Append(std::size_t c, void* p) noexcept {
        Block* b = new (p) Block{nullptr};
        if (free_[c].Tail == nullptr) {
            free_[c].Head = b;
        } else {
            free_[c].Tail->Next = b;
        }
        free_[c].Tail = b;
        ++free_[c].Count;
    }
    void Out(std::size_t given) noexcept {
        out_ -= given;
        if (out_ == 0) {
            Restart();
        }
    }
    void Restart() noexcept {
        for (Chain& list : free_) {
            list = {};
        }
        next_ = 0;
        cursor_ = nullptr;
        left_ = 0;
    }
    std::byte* Cut(std::size_t bytes) {
        if (left_ < bytes) {
            cursor_ = NextSlab();
            left_ = SlabBytes;
        }
        std::byte* p = cursor_;
        cursor_ += bytes;
        left_ -= bytes;
        return p;
    }
    std::byte* NextSlab() {
        if (next_ == slabs_.size()) {
            // Not value-initialised: every block is constructed before use.
            slabs_.emplace_back(new std::byte[SlabBytes]);
        }
        return slabs_[next_++].get();
    }

    std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
    Chain free_[Classes];
    std::vector<std::unique_ptr<std::byte[]>> slabs_;
    std::size_t next_ = 0; // the next slab to cut from
    std::byte* cursor_ = nullptr;
    std::size_t left_ = 0;
    std::size_t out_ = 0; // blocks taken and not given back
};

// Never destroyed: entries of static objects may outlive any order of
// destruction.
EntryPool& Pool() {
    static EntryPool* pool = new EntryPool;
    return *pool;
}

} // namespace

void* TFBEntry::operator new(std::size_t size) {
    return Pool().Take(size);
}

void TFBEntry::operator delete(void* p, std::size_t size) noexcept {
    if (p) {
        Pool().Give(p, size);
    }
}

TFBEntry* TFBEntry::FirstChild() const {
    if (EntryType == TFBEntryType::root) {
        return static_cast<const TFBRoot*>(this)->Children;
    }
    if (EntryType == TFBEntryType::node) {
        return static_cast<const TFBNode*>(this)->Children;
    }
    return nullptr;
}

// Unlinks from the parent's list: the next sibling takes this entry's place.
void TFBEntry::Unlink() {
    if (Parent == nullptr) {
        return;
    }
    FBTreeAccess::Slots s = FBTreeAccess::SlotsOf(Parent);
    if (*s.First == this) {
        *s.First = Next;
        if (Next) {
            Next->Prev = Parent;
        }
    } else {
        if (Prev) {
            Prev->Next = Next;
        }
        if (Next) {
            Next->Prev = Prev;
        }
    }
    if (*s.Last == this) {
        *s.Last = (Prev == Parent) ? nullptr : Prev;
    }
    Prev = Next = Parent = nullptr;
}

TFBEntry::~TFBEntry() {
    Unlink();
}

// Destroys all children without recursion, so a tree of any depth can go.
void FBTreeAccess::DestroyChildren(TFBEntry* parent) {
    Slots s = SlotsOf(parent);
    if (s.First == nullptr) {
        return;
    }
    TFBEntry* work = *s.First;
    *s.First = *s.Last = nullptr;
    while (work) {
        TFBEntry* e = work;
        work = e->Next;
        Slots cs = SlotsOf(e);
        if (cs.First && *cs.First) {
            (*cs.Last)->Next = work;
            work = *cs.First;
            *cs.First = *cs.Last = nullptr;
        }
        e->Prev = e->Next = e->Parent = nullptr;
        delete e;
    }
}

TFBEntry* FBTreeAccess::Make(TFBEntryType type, std::string_view name) {
    switch (type) {
    case TFBEntryType::node:
        return new TFBNode(name);
    case TFBEntryType::int32:
        return new TFBInteger(name);
    case TFBEntryType::str32:
        return new TFBString(name);
    case TFBEntryType::bin32:
        return new TFBBinary(name);
    case TFBEntryType::floating:
        return new TFBFloat(name);
    default:
        return nullptr; // root, any and unknown values cannot be children
    }
}

// The binary values of one file read, copied side by side rather than into
// an allocation each; the block goes with the last value in it.
struct FBBinaryStore {
    static constexpr std::size_t Bytes = 64 * 1024 - 64;
    // Larger values get blocks of their own.
    static constexpr std::size_t Largest = Bytes / 8;
    // The values in it. While the maker fills it, it also holds one for
    // each value that could still come (Bytes in all), so that values
    // are counted without an atomic step each.
    std::atomic<std::size_t> Users{Bytes};
    std::size_t Used = 0;
    std::uint8_t Room[Bytes];

    bool Holds(const std::uint8_t* p) const {
        return !std::less<const std::uint8_t*>()(p, Room) &&
               std::less<const std::uint8_t*>()(p, Room + Bytes);
    }
    static void Release(FBBinaryStore* s, std::size_t users = 1) noexcept {
        if (s && users > 0 && s->Users.fetch_sub(users, std::memory_order_acq_rel) == users) {
            delete s;
        }
    }
};

FBTreeAccess::Maker::~Maker() {
    FBBinaryStore::Release(store_, FBBinaryStore::Bytes - placed_);
    for (std::size_t c = 0; c < EntryPool::Classes; ++c) {
        Pool().GiveList(c, {static_cast<EntryPool::Block*>(head_[c]),
                            static_cast<EntryPool::Block*>(tail_[c]), count_[c]});
    }
    if (slab_) {
        Pool().GivePieceRest(slab_ + slabUsed_, slabBytes_ - slabUsed_, slabBytes_, cut_);
    }
}

void* FBTreeAccess::Maker::Take(std::size_t size) {
    static_assert(sizeof(head_) / sizeof(head_[0]) == EntryPool::Classes);
    if (!EntryPool::Pooled(size)) {
        return ::operator new(size);
    }
    const std::size_t c = EntryPool::ClassOf(size);
    if (head_[c] == nullptr && (dry_ & (1u << c)) == 0) {
        // Free blocks come first; else cut in the order of making, and ask
        // again with the next slab.
        const EntryPool::Chain list = Pool().TakeList(c);
        head_[c] = list.Head;
        tail_[c] = list.Tail;
        count_[c] = list.Count;
        if (list.Head == nullptr) {
            dry_ |= 1u << c;
        }
    }
    if (auto* b = static_cast<EntryPool::Block*>(head_[c])) {
        --count_[c];
        head_[c] = b->Next;
        if (b->Next == nullptr) {
            tail_[c] = nullptr;
        } else {
            __builtin_prefetch(b->Next, 1); // the next entry's block, to be written
        }
        return b;
    }
    const std::size_t bytes = (c + 1) * EntryPool::Step;
    if (slab_ == nullptr || slabBytes_ - slabUsed_ < bytes) {
        // A report of a few kilobytes takes a small piece, a large file
        // whole slabs: what is left over is cut into free blocks.
        const std::size_t pieceBytes = slab_ == nullptr ? 8 * 1024 : EntryPool::SlabBytes;
        std::byte* next = Pool().TakePiece(pieceBytes);
        if (slab_) {
            Pool().GivePieceRest(slab_ + slabUsed_, slabBytes_ - slabUsed_, slabBytes_, cut_);
        }
        slab_ = next;
        slabBytes_ = pieceBytes;
        slabUsed_ = 0;
        cut_ = 0;
        dry_ = 0;
    }
    void* p = slab_ + slabUsed_;
    slabUsed_ += bytes;
    ++cut_;
    return p;
}

static_assert(alignof(TFBNode) <= EntryPool::Step && alignof(TFBInteger) <= EntryPool::Step &&
              alignof(TFBString) <= EntryPool::Step && alignof(TFBBinary) <= EntryPool::Step &&
              alignof(TFBFloat) <= EntryPool::Step && alignof(TFBRoot) <= EntryPool::Step);

// Placement into a pool block: deleting the entry gives the block back.
TFBEntry* FBTreeAccess::Maker::Make(TFBEntryType type, std::string_view name) {
    switch (type) {
    case TFBEntryType::node:
        return ::new (Take(sizeof(TFBNode))) TFBNode(name);
    case TFBEntryType::int32:
        return ::new (Take(sizeof(TFBInteger))) TFBInteger(name);
    case TFBEntryType::str32:
        return ::new (Take(sizeof(TFBString))) TFBString(name);
    case TFBEntryType::bin32:
        return ::new (Take(sizeof(TFBBinary))) TFBBinary(name);
    case TFBEntryType::floating:
        return ::new (Take(sizeof(TFBFloat))) TFBFloat(name);
    default:
        return nullptr;
    }
}

TFBEntry* FBTreeAccess::AppendChild(TFBEntry* parent, TFBEntryType type) {
    Slots s = SlotsOf(parent);
    if (s.First == nullptr) {
        return nullptr;
    }
    TFBEntry* child = Make(type, {});
    if (child) {
        Link(parent, s, child);
    }
    return child;
}

FBTreeAccess::Slots FBTreeAccess::SlotsOf(TFBEntry* e) {
    if (e->EntryType == TFBEntryType::root) {
        auto* r = static_cast<TFBRoot*>(e);
        return {&r->Children, &r->LastChild};
    }
    if (e->EntryType == TFBEntryType::node) {
        auto* n = static_cast<TFBNode*>(e);
        return {&n->Children, &n->LastChild};
    }
    return {};
}

TFBRoot::~TFBRoot() {
    FBTreeAccess::DestroyChildren(this);
}
TFBEntry* TFBRoot::AddChild(TFBEntryType type) {
    return FBTreeAccess::AppendChild(this, type);
}

TFBNode::~TFBNode() {
    FBTreeAccess::DestroyChildren(this);
}
TFBEntry* TFBNode::AddChild(TFBEntryType type) {
    return FBTreeAccess::AppendChild(this, type);
}

void TFBBinary::Release() {
    // A block of a shared store goes with the store; any other, also one
    // set by hand over a shared value, is the entry's own.
    if (store_ == nullptr || !store_->Holds(Data)) {
        delete[] Data;
    }
    FBBinaryStore::Release(store_);
    store_ = nullptr;
}

TFBBinary::~TFBBinary() {
    Release();
}

void TFBBinary::Assign(std::uint8_t* data, std::int32_t size) {
    if (data != Data) {
        Release();
    }
    Data = data;
    Size = size;
}

bool FBTreeAccess::Maker::SetBinary(TFBBinary* b, const std::uint8_t* bytes, std::size_t n) {
    // Under the address sanitizer every value is its own allocation, as
    // every entry is.
    if (!VRX_ENTRY_POOL || n > FBBinaryStore::Largest) {
        auto* block = new (std::nothrow) std::uint8_t[n];
        if (block == nullptr) {
            return false;
        }
        std::memcpy(block, bytes, n);
        b->Assign(block, static_cast<std::int32_t>(n));
        return true;
    }
    if (store_ == nullptr || FBBinaryStore::Bytes - store_->Used < n) {
        auto* fresh = new (std::nothrow) FBBinaryStore;
        if (fresh == nullptr) {
            return false;
        }
        FBBinaryStore::Release(store_, FBBinaryStore::Bytes - placed_);
        store_ = fresh;
        placed_ = 0;
    }
    std::uint8_t* p = store_->Room + store_->Used;
    std::memcpy(p, bytes, n);
    store_->Used += n;
    ++placed_;
    b->Assign(p, static_cast<std::int32_t>(n));
    b->store_ = store_;
    return true;
}

// ---------------------------------------------------------------------------
// Component

namespace {

// Keeps the platform from asking the user about a drive that is not ready
// while the file is opened or closed.
class CriticalErrorGuard {
public:
#ifdef _WIN32
    CriticalErrorGuard() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~CriticalErrorGuard() {
        SetErrorMode(previous_);
    }

private:
    UINT previous_;
#else
    CriticalErrorGuard() = default; // no such dialogs here
#endif
};

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

} // namespace

TFreeBase::TFreeBase() = default;

TFreeBase::~TFreeBase() = default;

bool TFreeBase::SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x == y) {
            continue;
        }
        if (!IsLetter(x) || !IsLetter(y) || (x | 0x20) != (y | 0x20)) {
            return false;
        }
    }
    return true;
}

void TFreeBase::SetFileName(const std::string& value) {
    if (!active_) {
        fileName_ = value;
    }
}

void TFreeBase::SetOpenFlag(TFBOpenFlag value) {
    if (!active_) {
        openFlag_ = value;
    }
}

void TFreeBase::RaiseError() {
    if (lastError_ != fbeNone && onError_) {
        int code = lastError_;
        onError_(*this, code);
        lastError_ = code;
    }
}

void TFreeBase::DiscardTree() {
    root_.reset();
    boundPath_.clear();
}

void TFreeBase::SetActive(bool value) {
    [[maybe_unused]] CriticalErrorGuard guard;
    if (value) {
        Activate();
    } else {
        Deactivate();
    }
    RaiseError();
}

void TFreeBase::Activate() {
    lastError_ = fbeNone;
    if (active_) {
        lastError_ = fbeAlreadyActive;
        return;
    }
    if (fileName_.empty()) {
        lastError_ = fbeNoFileName;
        return;
    }
    const bool exists = fbfile::Exists(fileName_);
    boundPath_ = fileName_;
    const bool mayCreate =
        openFlag_ == TFBOpenFlag::CreateNotExists || openFlag_ == TFBOpenFlag::OverwriteCrashed;
    // Zero bytes is what an interrupted first save leaves: a new file.
    std::uint64_t size = 1;
    const bool empty = exists && mayCreate &&
                       safefile::CheckRegularFile(boundPath_, fbfile::MaxFileBytes, &size) ==
                           safefile::ReadStatus::Ok &&
                       size == 0;
    if (!exists || empty) {
        if (mayCreate && (empty || fbfile::CreateEmpty(boundPath_))) {
            NewData();
        } else {
            lastError_ = fbeFileMissing;
        }
    } else if (!LoadData()) {
        if (lastError_ != fbeHeaderCrc && lastError_ != fbeDataCrc) {
            lastError_ = fbeLoadFailed;
        }
        if (openFlag_ == TFBOpenFlag::OverwriteCrashed) {
            NewData(); // the damaged file is replaced at the next save
        }
    }
    // fbeLoadFailed and the checksum codes above it: a file was there but unreadable.
    active_ = lastError_ == fbeNone ||
              (openFlag_ == TFBOpenFlag::OverwriteCrashed && lastError_ >= fbeLoadFailed);
    if (!active_) {
        DiscardTree();
    }
}

void TFreeBase::Deactivate() {
    lastError_ = fbeNone;
    if (!active_) {
        return;
    }
    if (openFlag_ != TFBOpenFlag::ReadOnly) {
        lastError_ = SaveData() ? fbeNone : fbeWriteFailed;
    }
    DiscardTree();
    currentFileSize_ = 0;
    active_ = false;
}

bool TFreeBase::Open() {
    SetActive(true);
    return active_;
}

void TFreeBase::Close() {
    SetActive(false);
}

bool TFreeBase::Flush() {
    if (!active_) {
        lastError_ = fbeNotActive;
        RaiseError();
        return false;
    }
    const bool ok = SaveData();
    lastError_ = ok ? fbeNone : fbeWriteFailed;
    const std::int64_t size = fbfile::Size(boundPath_);
    currentFileSize_ = size < 0 ? 0 : size;
    RaiseError();
    return ok;
}

void TFreeBase::Abort() {
    [[maybe_unused]] CriticalErrorGuard guard;
    if (active_) {
        DiscardTree();
        active_ = false;
        lastError_ = fbeNone;
    } else {
        lastError_ = fbeNotActive;
    }
    currentFileSize_ = 0;
    RaiseError();
}

// ---------------------------------------------------------------------------
// Header values

std::string TFreeBase::GetDatabaseInfo() const {
    return root_ ? root_->Name : std::string();
}

void TFreeBase::SetDataBaseInfo(const std::string& value) {
    if (root_) {
        root_->Name = value;
    }
}

std::int32_t TFreeBase::GetDataBaseTag() const {
    return root_ ? root_->Tag : 0;
}

void TFreeBase::SetDataBaseTag(std::int32_t value) {
    if (root_) {
        root_->Tag = value;
    }
}

// ---------------------------------------------------------------------------
// Paths

namespace {

void SkipSeparators(std::string_view& p) {
    while (!p.empty() && p.front() == '\\') {
        p.remove_prefix(1);
    }
}

TFBEntry* FindChild(TFBEntry* parent, std::string_view name, TFBEntryType type) {
    for (TFBEntry* c = parent->FirstChild(); c; c = c->Next) {
        if (c->EntryType == type && TFreeBase::SameName(c->Name, name)) {
            return c;
        }
    }
    return nullptr;
}

} // namespace

TFBEntry* TFreeBase::ForceEntry(std::string_view Path, TFBEntryType EntryType, bool Create) {
    if (!active_ || !root_ || Path.empty()) {
        return nullptr;
    }
    SkipSeparators(Path);
    if (Path.empty() || Path.back() == '\\') {
        return nullptr;
    }
    TFBEntry* current = root_.get();
    for (;;) {
        SkipSeparators(Path);
        if (Path.empty()) {
            return nullptr;
        }
        const auto sep = Path.find('\\');
        const bool last = sep == std::string_view::npos;
        const std::string_view component = last ? Path : Path.substr(0, sep);
        const TFBEntryType wanted = last ? EntryType : TFBEntryType::node;
        TFBEntry* found = FindChild(current, component, wanted);
        if (found == nullptr && Create) {
            found = FBTreeAccess::AppendChild(current, wanted);
            if (found) {
                found->Name.assign(component);
            }
        }
        if (last || found == nullptr) {
            return found;
        }
        current = found;
        Path.remove_prefix(sep + 1);
    }
}

TFBEntry* TFreeBase::FindEntry(std::string_view Path, TFBEntryType EntryType) {
    if (EntryType == TFBEntryType::root) {
        return active_ ? root_.get() : nullptr;
    }
    return ForceEntry(Path, EntryType, false);
}

bool TFreeBase::WriteInteger(std::string_view Path, std::int32_t Value) {
    auto* e = static_cast<TFBInteger*>(ForceEntry(Path, TFBEntryType::int32, true));
    if (e == nullptr) {
        return false;
    }
    e->Value = Value;
    return true;
}

bool TFreeBase::WriteString(std::string_view Path, const std::string& Value) {
    auto* e = static_cast<TFBString*>(ForceEntry(Path, TFBEntryType::str32, true));
    if (e == nullptr) {
        return false;
    }
    e->Value = Value;
    return true;
}

bool TFreeBase::WriteFloat(std::string_view Path, const Extended80& Value) {
    auto* e = static_cast<TFBFloat*>(ForceEntry(Path, TFBEntryType::floating, true));
    if (e == nullptr) {
        return false;
    }
    e->Value = Value;
    return true;
}

bool TFreeBase::WriteBinary(std::string_view Path, TBinaryParams Params) {
    auto* e = static_cast<TFBBinary*>(ForceEntry(Path, TFBEntryType::bin32, true));
    if (e == nullptr) {
        return false; // the block stays the caller's, as with every failed write
    }
    e->Assign(Params.Data, Params.Size);
    return true;
}

std::int32_t TFreeBase::ReadInteger(std::string_view Path, std::int32_t Default) {
    auto* e = static_cast<TFBInteger*>(ForceEntry(Path, TFBEntryType::int32, false));
    return e ? e->Value : Default;
}

std::string TFreeBase::ReadString(std::string_view Path, const std::string& Default) {
    auto* e = static_cast<TFBString*>(ForceEntry(Path, TFBEntryType::str32, false));
    return e ? e->Value : Default;
}

Extended80 TFreeBase::ReadFloat(std::string_view Path, const Extended80& Default) {
    auto* e = static_cast<TFBFloat*>(ForceEntry(Path, TFBEntryType::floating, false));
    return e ? e->Value : Default;
}

TBinaryParams TFreeBase::ReadBinary(std::string_view Path) {
    auto* e = static_cast<TFBBinary*>(ForceEntry(Path, TFBEntryType::bin32, false));
    if (e == nullptr) {
        return {};
    }
    return {e->Size, e->Data};
}

bool TFreeBase::WriteTag(std::string_view Path, TFBEntryType EntryType, std::int32_t Tag) {
    TFBEntry* e = ForceEntry(Path, EntryType, false);
    if (e == nullptr) {
        return false;
    }
    e->Tag = Tag;
    return true;
}

std::int32_t TFreeBase::ReadTag(std::string_view Path, TFBEntryType EntryType,
                                std::int32_t Default) {
    TFBEntry* e = ForceEntry(Path, EntryType, false);
    return e ? e->Tag : Default;
}

// ---------------------------------------------------------------------------
// Search

bool TFreeBase::FindFirst(std::string_view Path, TFBEntryType EntryType, TFBSearchInfo& Info) {
    Info.EntryType = EntryType;
    Info.Entry = nullptr;
    Info.Name.clear();
    if (!active_) {
        return false;
    }
    if (!Path.empty() && Path.back() == '\\') {
        Path.remove_suffix(1);
    }
    TFBEntry* parent = Path.empty() ? root_.get() : FindEntry(Path, TFBEntryType::node);
    if (parent == nullptr || parent->FirstChild() == nullptr) {
        return false;
    }
    Info.Entry = parent->FirstChild();
    if (EntryType == TFBEntryType::any || EntryType == Info.Entry->EntryType) {
        Info.Name = Info.Entry->Name;
        return true;
    }
    return FindNext(Info);
}

bool TFreeBase::FindNext(TFBSearchInfo& Info) {
    Info.Name.clear();
    if (!active_) {
        return false;
    }
    if (static_cast<unsigned>(Info.EntryType) > static_cast<unsigned>(TFBEntryType::any) ||
        Info.Entry == nullptr) {
        Info.Entry = nullptr;
        return false;
    }
    for (;;) {
        Info.Entry = Info.Entry->Next;
        if (Info.Entry == nullptr) {
            return false;
        }
        if (Info.EntryType == TFBEntryType::any || Info.EntryType == Info.Entry->EntryType) {
            Info.Name = Info.Entry->Name;
            return true;
        }
    }
}

bool TFreeBase::IsFirstEntry(const TFBEntry* Entry) const {
    if (Entry == nullptr) {
        return false;
    }
    const TFBEntry* prev = Entry->Prev;
    if (prev == nullptr || prev->EntryType == TFBEntryType::root) {
        return true;
    }
    return prev->EntryType == TFBEntryType::node && prev->FirstChild() == Entry;
}
