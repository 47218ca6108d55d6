// Many small byte strings packed into large blocks that never move: one allocation per block, not per string.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

class clsByteArena {
public:
    /// Copies `bytes` in and returns where the copy starts; valid until Clear. A string longer than a
    /// block gets a block of its own.
    const char* Append(std::string_view bytes);
    /// Gives all memory back.
    void Clear();

private:
    std::vector<std::unique_ptr<char[]>> m_Blocks;
    std::size_t m_Used = 0;
    std::size_t m_Size = 0;
};
