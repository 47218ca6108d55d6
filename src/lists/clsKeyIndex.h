// The names of a list's entries by position, found in constant time as written or with letter case ignored. A
// list may hold millions of entries: the names live packed in large blocks, and the table holds one 32-bit
// position per slot, a slot for each name that differs ignoring case from those before it.
#pragma once

#include "util/clsByteArena.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// When two names are the same: byte for byte, or with Unicode simple case folding (full-width Latin too).
enum class NameRule { Exact, IgnoreCase };

class clsKeyIndex {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    /// `uniqueRule`: when the name of a unique entry is taken (see Append).
    explicit clsKeyIndex(NameRule uniqueRule) : m_UniqueRule(uniqueRule) {}

    /// Appends `name` at the next position and returns true. A `unique` name is refused (false, nothing
    /// appended) when an entry appended as unique has the same name under the index's rule; any other name
    /// may repeat.
    bool Append(std::string_view name, bool unique);
    /// The first position whose name equals `name` under `rule`, or npos.
    std::size_t Find(std::string_view name, NameRule rule) const;
    /// Removes the name at `position`; the names after it move down by one.
    void RemoveAt(std::size_t position);
    void Clear();
    std::size_t Size() const { return m_Names.size(); }

private:
    // The low 30 bits of a name's hash, and two flags in the top bits; the position + 1 (0 for none). The
    // hash bits spare a look at the name for all but the matching slot.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t position = 0;
    };
    // A table of slots: a power of two, at most half full.
    struct Table {
        std::vector<Slot> cells;
        std::size_t used = 0;
    };
    // Where a name is filed.
    struct Place {
        std::uint32_t hash = 0;     // of its case folding
        std::size_t set = npos;     // the slot of its set in m_Classes; npos when no name before is the same
        bool first = false;         // it is exactly the set's first name
        std::size_t variant = npos; // else its slot in m_Variants; npos when not there
    };

    std::string_view NameAt(std::size_t position) const;
    /// Where `name` is filed; `folded` is a buffer for its case folding.
    Place Locate(std::string_view name, std::string& folded) const;
    std::size_t ClassSlot(std::string_view folded, std::uint32_t hash) const;
    std::size_t VariantSlot(std::string_view name, std::uint32_t hash) const;
    /// True when a unique entry has the name found at `place`, under the index's rule.
    bool Taken(const Place& place) const;
    /// Files the name at `position`, found at `place`.
    void File(std::size_t position, const Place& place);
    /// Makes room for one more slot in `table`.
    static void Grow(Table& table);
    static void Put(Table& table, std::uint32_t hash, std::size_t position);

    NameRule m_UniqueRule;
    clsByteArena m_Bytes;             // the names, each a 4-byte length and its bytes
    std::vector<const char*> m_Names; // where each position's name starts
    std::vector<bool> m_Unique;       // each position's unique flag, for filing again after a removal
    // Each set of names equal ignoring case, under its first position; the flags tell whether an entry of the
    // set, and one with exactly that first name, is unique.
    Table m_Classes;
    // Each other spelling of a set (rare: "A" after "a"), under its first position; the flag tells whether an
    // entry with exactly that name is unique.
    Table m_Variants;
    std::string m_Record; // the record being appended, kept for its memory
    std::string m_Folded; // the case folding of the name being appended, kept for its memory
};
