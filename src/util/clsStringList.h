// An index-addressed list of texts: the dropped file names of one drop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class clsStringList {
public:
    /// Inserts `strItem` at `nIndex` (negative: at the end); error 9 when `nIndex` > Count.
    void Add(const std::string& strItem, std::int32_t nIndex);
    std::int32_t Count() const;
    /// The item at `nIndex`; error 9 unless 0 <= nIndex < Count.
    const std::string& Item(std::int32_t nIndex) const;
    void setItem(std::int32_t nIndex, const std::string& vNewValue);
    /// The items in order with `strDelimiter` between neighbours; "" for an empty list.
    std::string Join(const std::string& strDelimiter) const;
    /// Exchanges the item with its lower neighbour; nothing for position 0.
    void MoveLower(std::int32_t nIndex);
    /// Exchanges the item with its upper neighbour; nothing for the last position.
    void MoveUpper(std::int32_t nIndex);
    void Remove(std::int32_t nIndex);
    void RemoveAll();

private:
    void CheckIndex(std::int32_t nIndex) const;

    std::vector<std::string> m_Items;
};
