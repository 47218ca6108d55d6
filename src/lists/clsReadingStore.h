// The other readings of a list's lines, packed by entry position: a list of a million lines that each read
// two ways holds a few dozen bytes more per entry, not a second entry object.
#pragma once

#include "lists/clsDigestListItem.h"
#include "util/clsByteArena.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// A reading to keep: a name, a digest of exactly its kind's width (hex digits, either case), a size.
struct StoredReading {
    std::string_view name;
    std::string_view digest;
    DigestKind kind = DigestKind::None;
    std::int64_t bytes = -1;
};

class clsReadingStore {
public:
    /// Keeps `readings` as those of `entry`, at `position`.
    void Set(std::size_t position, const clsDigestListItem& entry, const std::vector<StoredReading>& readings);
    /// The readings kept for `entry` at `position`, in their order; none when there are none.
    std::vector<clsDigestListItem> Get(std::size_t position, const clsDigestListItem& entry) const;
    /// The entry at `position` left the list: the readings of the entries after it move down by one.
    void RemoveAt(std::size_t position);
    void Clear();

private:
    clsByteArena m_Bytes;
    std::vector<const char*> m_At; // the record of each position, nullptr for none; as long as the last one set
    std::string m_Record;          // the record being written, kept for its memory
};
