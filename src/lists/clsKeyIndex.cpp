#include "lists/clsKeyIndex.h"

#include "util/CaseFold.h"

#include <cstring>
#include <functional>

namespace {

constexpr std::uint32_t kHashBits = 0x3FFFFFFF;
constexpr std::uint32_t kUniqueInSet = 0x80000000; // some entry of the set is unique
constexpr std::uint32_t kUniqueName = 0x40000000;  // some entry with exactly the slot's name is unique

std::uint32_t HashOf(std::string_view text) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(text)) & kHashBits;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The case folding of `name`, with a shortcut for ASCII, whose simple folding is plain lower-casing.
void Fold(std::string_view name, std::string& folded) {
    folded.assign(name);
    for (char& c : folded) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            folded = CaseFold(name);
            return;
        }
        c = AsciiLower(c);
    }
}

// True when `name` folds to `folded`. Folding goes character by character, so an ASCII prefix is compared as
// it is lowered and only the rest from the first other byte on is folded in full.
bool FoldsTo(std::string_view name, std::string_view folded) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (static_cast<unsigned char>(name[i]) >= 0x80) {
            return CaseFold(name.substr(i)) == folded.substr(i);
        }
        if (i == folded.size() || AsciiLower(name[i]) != folded[i]) {
            return false;
        }
    }
    return name.size() == folded.size();
}

} // namespace

std::string_view clsKeyIndex::NameAt(std::size_t position) const {
    std::uint32_t length = 0;
    std::memcpy(&length, m_Names[position], sizeof length);
    return {m_Names[position] + sizeof length, length};
}

std::size_t clsKeyIndex::ClassSlot(std::string_view folded, std::uint32_t hash) const {
    const std::vector<Slot>& slots = m_Classes.cells;
    const std::size_t mask = slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot& at = slots[slot];
        if (at.position == 0 || ((at.hash & kHashBits) == hash && FoldsTo(NameAt(at.position - 1), folded))) {
            return slot;
        }
    }
}

std::size_t clsKeyIndex::VariantSlot(std::string_view name, std::uint32_t hash) const {
    const std::vector<Slot>& slots = m_Variants.cells;
    const std::size_t mask = slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot& at = slots[slot];
        if (at.position == 0 || ((at.hash & kHashBits) == hash && NameAt(at.position - 1) == name)) {
            return slot;
        }
    }
}

clsKeyIndex::Place clsKeyIndex::Locate(std::string_view name, std::string& folded) const {
    Place place;
    Fold(name, folded);
    place.hash = HashOf(folded);
    if (m_Classes.cells.empty()) {
        return place;
    }
    const std::size_t set = ClassSlot(folded, place.hash);
    if (m_Classes.cells[set].position == 0) {
        return place;
    }
    place.set = set;
    place.first = NameAt(m_Classes.cells[set].position - 1) == name;
    if (!place.first && !m_Variants.cells.empty()) {
        const std::size_t variant = VariantSlot(name, HashOf(name));
        if (m_Variants.cells[variant].position != 0) {
            place.variant = variant;
        }
    }
    return place;
}

std::size_t clsKeyIndex::Find(std::string_view name, NameRule rule) const {
    std::string folded;
    const Place place = Locate(name, folded);
    if (place.set != npos && (rule == NameRule::IgnoreCase || place.first)) {
        return m_Classes.cells[place.set].position - 1;
    }
    if (place.variant != npos && rule == NameRule::Exact) {
        return m_Variants.cells[place.variant].position - 1;
    }
    return npos;
}

void clsKeyIndex::Grow(Table& table) {
    if (!table.cells.empty() && (table.used + 1) * 2 <= table.cells.size()) {
        return;
    }
    std::vector<Slot> old(table.cells.empty() ? 16 : table.cells.size() * 2);
    old.swap(table.cells);
    const std::size_t mask = table.cells.size() - 1;
    for (const Slot& at : old) {
        if (at.position != 0) {
            std::size_t slot = at.hash & kHashBits & mask;
            while (table.cells[slot].position != 0) {
                slot = (slot + 1) & mask;
            }
            table.cells[slot] = at;
        }
    }
}

void clsKeyIndex::Put(Table& table, std::uint32_t hash, std::size_t position) {
    Grow(table);
    const std::size_t mask = table.cells.size() - 1;
    std::size_t slot = hash & kHashBits & mask;
    while (table.cells[slot].position != 0) {
        slot = (slot + 1) & mask;
    }
    table.cells[slot] = {hash, static_cast<std::uint32_t>(position + 1)};
    ++table.used;
}

void clsKeyIndex::File(std::size_t position, const Place& place) {
    const bool unique = m_Unique[position];
    if (place.set == npos) {
        Put(m_Classes, place.hash | (unique ? kUniqueInSet | kUniqueName : 0), position);
        return;
    }
    // A name filed before, exactly or ignoring case: only its flags can change.
    Slot& set = m_Classes.cells[place.set];
    set.hash |= unique ? kUniqueInSet : 0;
    if (place.first) {
        set.hash |= unique ? kUniqueName : 0;
    } else if (place.variant != npos) {
        m_Variants.cells[place.variant].hash |= unique ? kUniqueName : 0;
    } else {
        Put(m_Variants, HashOf(NameAt(position)) | (unique ? kUniqueName : 0), position);
    }
}

bool clsKeyIndex::Taken(const Place& place) const {
    if (place.set == npos) {
        return false;
    }
    const std::uint32_t set = m_Classes.cells[place.set].hash;
    if (m_UniqueRule == NameRule::IgnoreCase) {
        return (set & kUniqueInSet) != 0;
    }
    if (place.first) {
        return (set & kUniqueName) != 0;
    }
    return place.variant != npos && (m_Variants.cells[place.variant].hash & kUniqueName) != 0;
}

bool clsKeyIndex::Append(std::string_view name, bool unique) {
    const Place place = Locate(name, m_Folded);
    if (unique && Taken(place)) {
        return false;
    }
    const auto length = static_cast<std::uint32_t>(name.size());
    m_Record.assign(sizeof length, '\0');
    std::memcpy(m_Record.data(), &length, sizeof length);
    m_Record.append(name);
    m_Names.push_back(m_Bytes.Append(m_Record));
    m_Unique.push_back(unique);
    File(m_Names.size() - 1, place);
    return true;
}

void clsKeyIndex::RemoveAt(std::size_t position) {
    // Rare (only through the list's Remove): the name's bytes stay in their block until Clear, and every
    // name is filed again, since positions and the first of each set move.
    m_Names.erase(m_Names.begin() + static_cast<std::ptrdiff_t>(position));
    m_Unique.erase(m_Unique.begin() + static_cast<std::ptrdiff_t>(position));
    for (Table* table : {&m_Classes, &m_Variants}) {
        std::vector<Slot>(table->cells.size()).swap(table->cells);
        table->used = 0;
    }
    for (std::size_t at = 0; at < m_Names.size(); ++at) {
        File(at, Locate(NameAt(at), m_Folded));
    }
}

void clsKeyIndex::Clear() {
    m_Bytes.Clear();
    std::vector<const char*>().swap(m_Names);
    std::vector<bool>().swap(m_Unique);
    m_Classes = {};
    m_Variants = {};
}
