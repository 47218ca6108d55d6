#include "util/clsStringList.h"

#include "util/AppError.h"

#include <utility>

namespace {

[[noreturn]] void RaiseOutOfRange() {
    RaiseError(ErrorNumber::SubscriptOutOfRange, "インデックスが有効範囲にありません。");
}

} // namespace

void clsStringList::CheckIndex(std::int32_t nIndex) const {
    if (nIndex < 0 || nIndex >= Count()) {
        RaiseOutOfRange();
    }
}

void clsStringList::Add(const std::string& strItem, std::int32_t nIndex) {
    if (nIndex < 0) {
        nIndex = Count();
    }
    if (nIndex > Count()) {
        RaiseOutOfRange();
    }
    m_Items.insert(m_Items.begin() + nIndex, strItem);
}

std::int32_t clsStringList::Count() const {
    return static_cast<std::int32_t>(m_Items.size());
}

const std::string& clsStringList::Item(std::int32_t nIndex) const {
    CheckIndex(nIndex);
    return m_Items[static_cast<std::size_t>(nIndex)];
}

void clsStringList::setItem(std::int32_t nIndex, const std::string& vNewValue) {
    CheckIndex(nIndex);
    m_Items[static_cast<std::size_t>(nIndex)] = vNewValue;
}

std::string clsStringList::Join(const std::string& strDelimiter) const {
    std::string joined;
    for (std::size_t i = 0; i < m_Items.size(); ++i) {
        if (i > 0) {
            joined += strDelimiter;
        }
        joined += m_Items[i];
    }
    return joined;
}

void clsStringList::MoveLower(std::int32_t nIndex) {
    CheckIndex(nIndex);
    if (nIndex > 0) {
        std::swap(m_Items[static_cast<std::size_t>(nIndex)], m_Items[static_cast<std::size_t>(nIndex) - 1]);
    }
}

void clsStringList::MoveUpper(std::int32_t nIndex) {
    CheckIndex(nIndex);
    if (nIndex < Count() - 1) {
        std::swap(m_Items[static_cast<std::size_t>(nIndex)], m_Items[static_cast<std::size_t>(nIndex) + 1]);
    }
}

void clsStringList::Remove(std::int32_t nIndex) {
    CheckIndex(nIndex);
    m_Items.erase(m_Items.begin() + nIndex);
    if (m_Items.empty()) {
        m_Items.shrink_to_fit();
    }
}

void clsStringList::RemoveAll() {
    // Swap with an empty vector: clear() alone would keep the storage.
    std::vector<std::string>().swap(m_Items);
}
