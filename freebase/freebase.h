// TFreeBase: a small tree database of named, typed entries kept in one file.
//
// Entries are addressed by paths whose components are separated by
// backslashes ("Device\Sensor SN"); names match ASCII case-insensitively and
// an entry is found by name and type together. Names and texts are byte
// strings kept exactly as on disk (single-byte Windows-1252).
//
// Failures never throw: operations answer false, null or the caller's default,
// and activation, Flush and Abort set LastError (TFBError) and raise OnError.
#pragma once

#include "freebase/extended80.h"
#include "freebase/ole_date.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TFBEntryType : std::uint8_t {
    root = 0,
    node = 1,
    int32 = 2,
    str32 = 3,
    bin32 = 4,
    floating = 5,
    any = 6, // search filter only
};

// LastError's codes; the numbers are part of the tools' output and stay fixed.
enum TFBError : int {
    fbeNone = 0,          // no error
    fbeAlreadyActive = 1, // activated while active
    fbeNoFileName = 2,    // no file name
    fbeFileMissing = 3,   // file missing and not created
    fbeWriteFailed = 4,   // writing the file failed
    fbeLoadFailed = 5,    // loading the existing file failed
    fbeNotActive = 6,     // Flush or Abort while inactive
    fbeHeaderCrc = 7,     // header checksum mismatch (version 2)
    fbeDataCrc = 8,       // data checksum mismatch (version 2)
};

enum class TFBOpenFlag : std::uint8_t {
    ReadWrite = 0,        // the file must exist; closing saves
    CreateNotExists = 1,  // a missing file is created empty; closing saves
    ReadOnly = 2,         // the file must exist; never written
    OverwriteCrashed = 3, // as CreateNotExists; a file that cannot be loaded is replaced
};

enum class TSaveAsVersion : std::uint8_t {
    current = 0, // the version the database already has
    Version1 = 1,
    Version2 = 2,
};

class TFreeBase;
struct FBTreeAccess;
struct FBBinaryStore;

// Base of all entries. The children of a root or node form a doubly linked
// list in creation order; the first child's Prev is its parent. Deleting an
// entry unlinks it from its parent and destroys its subtree.
class TFBEntry {
public:
    virtual ~TFBEntry();
    TFBEntry(const TFBEntry&) = delete;
    TFBEntry& operator=(const TFBEntry&) = delete;

    // Entries come from a pool of fixed-size blocks: loading or closing a
    // large database makes or frees hundreds of thousands of them.
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;

    // In this order so that the small fields share the last eight bytes and
    // each entry type's own fields follow at once: a large file makes
    // hundreds of thousands of entries, and their size is what loading it
    // writes to memory.
    std::string Name; // for the root: the database information text
    TFBEntry* Prev = nullptr;
    TFBEntry* Next = nullptr;
    // The owning root or node (null for the root and for a detached entry);
    // kept by AddChild and unlinking.
    TFBEntry* Parent = nullptr;
    std::int32_t Tag = 0; // for the root: the database tag
    const TFBEntryType EntryType;

    // Children of a root or node, null for value entries.
    TFBEntry* FirstChild() const;

protected:
    explicit TFBEntry(TFBEntryType type) : EntryType(type) {}
    // The reader's way: the name is made once instead of assigned after.
    TFBEntry(TFBEntryType type, std::string_view name) : Name(name), EntryType(type) {}

private:
    friend struct FBTreeAccess;
    void Unlink();
};

class TFBRoot final : public TFBEntry {
public:
    TFBRoot() : TFBEntry(TFBEntryType::root) {}
    ~TFBRoot() override;
    // Creates a child of type node..floating at the end of the list; null for
    // any other type.
    TFBEntry* AddChild(TFBEntryType type);

    TFBEntry* Children = nullptr;

private:
    friend struct FBTreeAccess;
    TFBEntry* LastChild = nullptr; // appending stays O(1) on wide levels
};

class TFBNode final : public TFBEntry {
public:
    TFBNode() : TFBEntry(TFBEntryType::node) {}
    ~TFBNode() override;
    TFBEntry* AddChild(TFBEntryType type);

    TFBEntry* Children = nullptr;

private:
    friend struct FBTreeAccess;
    explicit TFBNode(std::string_view name) : TFBEntry(TFBEntryType::node, name) {}
    TFBEntry* LastChild = nullptr;
};

class TFBInteger final : public TFBEntry {
public:
    TFBInteger() : TFBEntry(TFBEntryType::int32) {}
    std::int32_t Value = 0;

private:
    friend struct FBTreeAccess;
    explicit TFBInteger(std::string_view name) : TFBEntry(TFBEntryType::int32, name) {}
};

class TFBString final : public TFBEntry {
public:
    TFBString() : TFBEntry(TFBEntryType::str32) {}
    std::string Value;

private:
    friend struct FBTreeAccess;
    explicit TFBString(std::string_view name) : TFBEntry(TFBEntryType::str32, name) {}
};

// Owns Data (allocated with new std::uint8_t[]) and releases it with delete[].
// A value read from a file lies in a block shared with the other values of
// that file instead, released with the last of them; Assign replaces it as
// any other.
class TFBBinary final : public TFBEntry {
public:
    TFBBinary() : TFBEntry(TFBEntryType::bin32) {}
    ~TFBBinary() override;
    // Releases the block held so far and takes the new one.
    void Assign(std::uint8_t* data, std::int32_t size);

    std::uint8_t* Data = nullptr;
    std::int32_t Size = 0; // may be negative in a loaded file; then Data is null

private:
    friend struct FBTreeAccess;
    explicit TFBBinary(std::string_view name) : TFBEntry(TFBEntryType::bin32, name) {}
    void Release();
    FBBinaryStore* store_ = nullptr; // the shared block Data came from, if any
};

class TFBFloat final : public TFBEntry {
public:
    TFBFloat() : TFBEntry(TFBEntryType::floating) {}
    Extended80 Value;

private:
    friend struct FBTreeAccess;
    explicit TFBFloat(std::string_view name) : TFBEntry(TFBEntryType::floating, name) {}
};

// State of a FindFirst/FindNext walk; valid while its current entry exists.
struct TFBSearchInfo {
    TFBEntryType EntryType = TFBEntryType::any;
    TFBEntry* Entry = nullptr;
    std::string Name;
};

// The value of a binary entry. Data is the entry's own block.
struct TBinaryParams {
    std::int32_t Size = 0;
    std::uint8_t* Data = nullptr;
};

using TFBErrorEvent = std::function<void(TFreeBase& sender, int& errorCode)>;

class TFreeBase {
public:
    TFreeBase();
    // Does not write the file: whatever the tree holds is lost.
    ~TFreeBase();
    TFreeBase(const TFreeBase&) = delete;
    TFreeBase& operator=(const TFreeBase&) = delete;

    // Properties
    bool Active() const { return active_; }
    void SetActive(bool value);
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& value); // ignored while active
    TFBOpenFlag OpenFlag() const { return openFlag_; }
    void SetOpenFlag(TFBOpenFlag value); // ignored while active
    TSaveAsVersion SaveAsVersion() const { return saveAsVersion_; }
    void SetSaveAsVersion(TSaveAsVersion value) { saveAsVersion_ = value; }
    std::int64_t CurrentFileSize() const { return currentFileSize_; }
    int LastError() const { return lastError_; }
    void SetLastError(int value) { lastError_ = value; }
    // errno of the last failed read or write of the file itself, 0 when
    // none: tells a file in use by another program (EBUSY) from a damaged one.
    int FileError() const { return fileError_; }
    const TFBErrorEvent& OnError() const { return onError_; }
    void SetOnError(TFBErrorEvent handler) { onError_ = std::move(handler); }

    // Activation and file
    bool Open(); // activates; the result is Active afterwards
    // Activates read-only on the bytes of a database file already read (from
    // a pipe, say): the checks of loading a file, and nothing is ever saved.
    bool OpenImage(const std::vector<std::uint8_t>& image);
    void Close(); // deactivates; saves unless ReadOnly
    bool Flush(); // saves now and stays active
    void Abort(); // deactivates without saving

    // Writes the whole file from the tree: the new file is written beside the
    // old one, flushed and renamed over it, so a failed save leaves the old
    // file as it was.
    bool SaveData();
    // The size SaveData would write now; 0 while inactive.
    std::int64_t ExpectedFileSize() const;
    // The CRC-32 register (reflected, polynomial 0xEDB88320) advanced over the
    // bytes; no inversion at either end. Files start it at 0xFFFFFFFF.
    static void CRC32(const void* Data, std::size_t Length, std::uint32_t& Crc);

    // Version held for `current` saves: that of the file loaded, 2 for a new
    // database, or the version of the last save.
    int Version() const { return header_.Version; }

    // Database header values
    std::string GetDatabaseInfo() const;
    void SetDataBaseInfo(const std::string& value); // at most 31 bytes reach the file
    std::int32_t GetDataBaseTag() const;
    void SetDataBaseTag(std::int32_t value);
    TFBDateTime GetCreated() const { return header_.Created; }
    TFBDateTime GetLastChanged() const { return header_.LastChanged; }

    // The root entry; null while inactive.
    TFBRoot* Root() const { return root_.get(); }

    // Path access
    TFBEntry* ForceEntry(std::string_view Path, TFBEntryType EntryType, bool Create);
    TFBEntry* FindEntry(std::string_view Path, TFBEntryType EntryType);

    bool WriteInteger(std::string_view Path, std::int32_t Value);
    bool WriteString(std::string_view Path, const std::string& Value);
    bool WriteFloat(std::string_view Path, const Extended80& Value);
    // The entry takes ownership of Params.Data, which must come from
    // new std::uint8_t[]; the block is released when the write fails, so the
    // caller never frees it. A block held before is released.
    bool WriteBinary(std::string_view Path, TBinaryParams Params);

    std::int32_t ReadInteger(std::string_view Path, std::int32_t Default);
    std::string ReadString(std::string_view Path, const std::string& Default);
    Extended80 ReadFloat(std::string_view Path, const Extended80& Default);
    TBinaryParams ReadBinary(std::string_view Path);

    bool WriteTag(std::string_view Path, TFBEntryType EntryType, std::int32_t Tag);
    std::int32_t ReadTag(std::string_view Path, TFBEntryType EntryType, std::int32_t Default);

    // Direct children of one node (the root for an empty path), in order.
    bool FindFirst(std::string_view Path, TFBEntryType EntryType, TFBSearchInfo& Info);
    bool FindNext(TFBSearchInfo& Info);
    bool IsFirstEntry(const TFBEntry* Entry) const;

    // True when the two names are equal with only a-z/A-Z folded.
    static bool SameName(std::string_view a, std::string_view b);

protected:
    // Builds the tree from the file; sets LastError fbeHeaderCrc or
    // fbeDataCrc on checksum mismatches. Called by activation.
    bool LoadData();
    // Starts an empty database in memory.
    void NewData();

private:
    struct FileHeader {
        std::uint16_t HeaderSize = 0;
        std::uint16_t Version = 0;
        std::uint16_t Reserved = 0;
        TFBDateTime Created = 0;
        TFBDateTime LastChanged = 0;
        std::uint8_t Info[32] = {};
        std::int32_t Tag = 0;
    };
    struct CheckBlock {
        std::uint32_t HeaderCrc = 0;
        std::uint32_t DataCrc = 0;
        std::uint32_t IndexCrc = 0;
        std::int32_t IndexOffset = 0;
    };

    void Activate();
    void Deactivate();
    void RaiseError();
    void DiscardTree();
    struct SaveImage;
    bool BuildImage(SaveImage& out);
    // A file still arriving from a reading thread, with the data checksum
    // taken there; null when the whole image is at hand.
    struct ImageFeed;
    bool ParseImage(const std::uint8_t* data, std::size_t size, ImageFeed* feed = nullptr);

    bool active_ = false;
    std::string fileName_;
    TFBOpenFlag openFlag_ = TFBOpenFlag::ReadWrite;
    TSaveAsVersion saveAsVersion_ = TSaveAsVersion::current;
    std::int64_t currentFileSize_ = 0;
    int lastError_ = fbeNone;
    int fileError_ = 0;
    TFBErrorEvent onError_;

    std::string boundPath_; // the database file while active
    FileHeader header_;
    CheckBlock check_;
    std::unique_ptr<TFBRoot> root_;
    std::size_t imageSizeHint_ = 0; // size of the last file loaded or saved
    std::size_t indexSizeHint_ = 0; // size of the last index built
};
