// Reading a whole file through the file reader, for its tests.
#pragma once

#include "util/clsFileReader.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Every read's count until AtEnd, then the bytes read.
inline std::pair<std::vector<std::int64_t>, std::string> ReadAll(clsFileReader& reader, std::size_t bufferSize) {
    std::vector<std::int64_t> counts;
    std::string bytes;
    std::vector<unsigned char> buffer(bufferSize);
    while (!reader.AtEnd() && counts.size() < 100) {
        const std::int64_t got = reader.Read(buffer.data(), buffer.size());
        counts.push_back(got);
        if (got > 0) {
            bytes.append(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(got));
        }
        if (got < 0) {
            break;
        }
    }
    return {counts, bytes};
}
