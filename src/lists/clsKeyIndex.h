// The keys of a list's entries by position, found by key in constant time. A list may hold millions of
// entries: the keys live packed in large blocks, and the table holds one 32-bit position per slot.
#pragma once

#include "util/clsByteArena.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class clsKeyIndex {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    /// The position of `key`, or npos.
    std::size_t Find(std::string_view key) const;
    /// Appends `key` at the next position; the caller makes sure it is not there yet.
    void Append(std::string_view key);
    /// Removes the key at `position`; the keys after it move down by one.
    void RemoveAt(std::size_t position);
    void Clear();
    std::size_t Size() const { return m_Keys.size(); }

private:
    std::string_view KeyAt(std::size_t position) const;
    void Insert(std::uint32_t hash, std::size_t position);
    void Rebuild(std::size_t slots);

    clsByteArena m_Bytes;            // the keys, each a 4-byte length and its bytes
    std::vector<const char*> m_Keys; // where each position's key starts
    // The low 32 bits of the key's hash and its position + 1 (0 for none); a power of two, at most half full.
    // The hash bits spare a look at the key for all but the matching slot.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t position = 0;
    };
    std::vector<Slot> m_Slots;
    std::string m_Record; // the record being appended, kept for its memory
};
