#include "lists/clsKeyIndex.h"

#include <cstring>
#include <functional>
#include <string>

namespace {

std::uint32_t HashOf(std::string_view key) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(key));
}

} // namespace

std::string_view clsKeyIndex::KeyAt(std::size_t position) const {
    std::uint32_t length = 0;
    std::memcpy(&length, m_Keys[position], sizeof length);
    return {m_Keys[position] + sizeof length, length};
}

std::size_t clsKeyIndex::Find(std::string_view key) const {
    if (m_Slots.empty()) {
        return npos;
    }
    const std::uint32_t hash = HashOf(key);
    const std::size_t mask = m_Slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot& at = m_Slots[slot];
        if (at.position == 0) {
            return npos;
        }
        if (at.hash == hash && KeyAt(at.position - 1) == key) {
            return at.position - 1;
        }
    }
}

void clsKeyIndex::Insert(std::uint32_t hash, std::size_t position) {
    const std::size_t mask = m_Slots.size() - 1;
    std::size_t slot = hash & mask;
    while (m_Slots[slot].position != 0) {
        slot = (slot + 1) & mask;
    }
    m_Slots[slot] = {hash, static_cast<std::uint32_t>(position + 1)};
}

void clsKeyIndex::Rebuild(std::size_t slots) {
    std::vector<Slot> old(slots);
    old.swap(m_Slots);
    for (const Slot& slot : old) {
        if (slot.position != 0) {
            Insert(slot.hash, slot.position - 1);
        }
    }
}

void clsKeyIndex::Append(std::string_view key) {
    const auto length = static_cast<std::uint32_t>(key.size());
    m_Record.assign(sizeof length, '\0');
    std::memcpy(m_Record.data(), &length, sizeof length);
    m_Record.append(key);
    m_Keys.push_back(m_Bytes.Append(m_Record));
    if (m_Keys.size() * 2 > m_Slots.size()) {
        Rebuild(m_Slots.empty() ? 16 : m_Slots.size() * 2);
    }
    Insert(HashOf(key), m_Keys.size() - 1);
}

void clsKeyIndex::RemoveAt(std::size_t position) {
    // Rare (only through the list's Remove): the key's bytes stay in their block until Clear.
    m_Keys.erase(m_Keys.begin() + static_cast<std::ptrdiff_t>(position));
    std::vector<Slot>(m_Slots.size()).swap(m_Slots);
    for (std::size_t at = 0; at < m_Keys.size(); ++at) {
        Insert(HashOf(KeyAt(at)), at);
    }
}

void clsKeyIndex::Clear() {
    m_Bytes.Clear();
    std::vector<const char*>().swap(m_Keys);
    std::vector<Slot>().swap(m_Slots);
}
