// How far a run has come, as a progress display needs it.
#pragma once

#include <cstdint>
#include <string>

struct CheckProgress {
    std::int32_t listNumber = 0; ///< the list being checked, from 1; 0 before the first
    std::int32_t listCount = 0;
    std::int64_t listBytes = 0;     ///< bytes of the list's files that are to be hashed
    std::int64_t listBytesDone = 0; ///< of those, hashed so far
    std::string currentFile;        ///< the listed name of the file being hashed; "" between files
};
