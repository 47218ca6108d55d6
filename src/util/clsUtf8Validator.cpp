#include "util/clsUtf8Validator.h"

#include "util/Utf8.h"

bool clsUtf8Validator::CheckWhole(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        NextCodePoint(bytes, pos);
        if (pos - start == 1) {
            m_Valid = false;
            return false;
        }
        m_NonAscii = true;
    }
    return true;
}

bool clsUtf8Validator::Feed(std::string_view bytes) {
    if (!m_Valid) {
        return false;
    }
    if (!m_Pending.empty()) {
        const std::size_t need = Utf8SequenceLength(static_cast<unsigned char>(m_Pending[0])) - m_Pending.size();
        const std::size_t take = need < bytes.size() ? need : bytes.size();
        m_Pending.append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (take < need) {
            return true; // this piece is used up; the character may still be completed
        }
        if (!CheckWhole(m_Pending)) {
            return false;
        }
        m_Pending.clear();
    }
    const std::size_t tail = IncompleteUtf8Tail(bytes);
    if (!CheckWhole(bytes.substr(0, tail))) {
        return false;
    }
    m_Pending.assign(bytes.substr(tail));
    return true;
}
