// Feeds arbitrary bytes to the database reader: whatever the file holds,
// activation must neither crash, hang, leak nor read out of bounds.
#include "freebase/freebase.h"
#include "fuzz/fuzz_support.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Touches every entry the way a reader of the tree would, without recursion.
std::size_t Walk(const TFBEntry* root) {
    std::size_t sum = 0;
    std::vector<const TFBEntry*> pending{root};
    while (!pending.empty()) {
        const TFBEntry* e = pending.back();
        pending.pop_back();
        for (const TFBEntry* c = e->FirstChild(); c; c = c->Next) {
            if (c->Parent != e) {
                std::abort(); // the tree's links must agree
            }
            sum += c->Name.size() + static_cast<std::uint32_t>(c->Tag);
            switch (c->EntryType) {
            case TFBEntryType::node:
                pending.push_back(c);
                break;
            case TFBEntryType::str32:
                sum += static_cast<const TFBString*>(c)->Value.size();
                break;
            case TFBEntryType::bin32: {
                const auto* b = static_cast<const TFBBinary*>(c);
                for (std::int32_t i = 0; i < b->Size; ++i) {
                    sum += b->Data[i];
                }
                break;
            }
            case TFBEntryType::floating:
                sum += static_cast<std::size_t>(static_cast<const TFBFloat*>(c)->Value.ToDouble() !=
                                                0);
                break;
            default:
                sum += static_cast<std::uint32_t>(static_cast<const TFBInteger*>(c)->Value);
            }
        }
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzScratchFile file("fuzz_freebase_", ".fdb");
    if (!file.Hold(data, size)) {
        return 0;
    }
    const std::string& path = file.Path();

    TFreeBase db;
    db.SetFileName(path);
    db.SetOpenFlag(TFBOpenFlag::ReadOnly);
    if (db.Open()) {
        if (db.CurrentFileSize() != static_cast<std::int64_t>(size)) {
            std::abort();
        }
        volatile std::size_t sink = Walk(db.Root());
        (void)sink;
        // Path lookups and searches over whatever names the file holds.
        TFBSearchInfo info;
        for (bool ok = db.FindFirst("", TFBEntryType::any, info); ok; ok = db.FindNext(info)) {
            db.ReadString(info.Name, "");
            db.ReadInteger(info.Name + "\\x", 0);
        }
        if (db.ExpectedFileSize() < 66) {
            std::abort();
        }
    }
    db.Abort();
    return 0;
}
