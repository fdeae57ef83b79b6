// Tree upkeep shared by the entry classes and the file reader.
#pragma once

#include "freebase/freebase.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

struct FBTreeAccess {
    struct Slots {
        TFBEntry** First = nullptr; // Children
        TFBEntry** Last = nullptr;  // the last child, for appending
    };
    // Both slots null for value entries.
    static Slots SlotsOf(TFBEntry* e);
    // Appends a new child of type node..floating; null for any other type
    // or a parent that cannot have children.
    static TFBEntry* AppendChild(TFBEntry* parent, TFBEntryType type);
    // Destroys every child without recursion, whatever the depth.
    static void DestroyChildren(TFBEntry* parent);

    // A new detached entry of type node..floating with its name; null for
    // any other type.
    static TFBEntry* Make(TFBEntryType type, std::string_view name);
    // Links a new entry after the last child of a parent whose slots are known.
    static void Link(TFBEntry* parent, Slots s, TFBEntry* child) {
        child->Parent = parent;
        if (*s.Last == nullptr) {
            *s.First = child;
            child->Prev = parent;
        } else {
            (*s.Last)->Next = child;
            child->Prev = *s.Last;
        }
        *s.Last = child;
    }

    // Makes the entries of a file being read without taking the pool's lock
    // for each: it holds the free blocks of each size, or a slab to cut,
    // while it lives and gives back what it did not use.
    class Maker {
    public:
        Maker() = default;
        Maker(const Maker&) = delete;
        Maker& operator=(const Maker&) = delete;
        ~Maker();
        // As FBTreeAccess::Make.
        TFBEntry* Make(TFBEntryType type, std::string_view name);
        // Gives a new binary entry a copy of n > 0 bytes; false when out of memory.
        bool SetBinary(TFBBinary* b, const std::uint8_t* bytes, std::size_t n);

    private:
        void* Take(std::size_t size);
        void* head_[16] = {}; // per block size
        void* tail_[16] = {};
        std::size_t count_[16] = {}; // blocks in each list
        std::byte* slab_ = nullptr;  // being cut, when the lists ran dry
        std::size_t slabBytes_ = 0;
        std::size_t slabUsed_ = 0;
        std::size_t cut_ = 0;            // blocks cut from it
        std::uint32_t dry_ = 0;          // sizes whose list was empty, a bit each
        FBBinaryStore* store_ = nullptr; // being filled
        std::size_t placed_ = 0;         // values put into it
    };
};
