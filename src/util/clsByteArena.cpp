#include "util/clsByteArena.h"

#include <cstring>

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 16;

} // namespace

const char* clsByteArena::Append(std::string_view bytes) {
    if (m_Blocks.empty() || m_Size - m_Used < bytes.size()) {
        m_Size = bytes.size() > kBlockSize ? bytes.size() : kBlockSize;
        m_Blocks.push_back(std::make_unique<char[]>(m_Size));
        m_Used = 0;
    }
    char* at = m_Blocks.back().get() + m_Used;
    if (!bytes.empty()) {
        std::memcpy(at, bytes.data(), bytes.size());
    }
    m_Used += bytes.size();
    return at;
}

void clsByteArena::Clear() {
    std::vector<std::unique_ptr<char[]>>().swap(m_Blocks);
    m_Used = 0;
    m_Size = 0;
}
