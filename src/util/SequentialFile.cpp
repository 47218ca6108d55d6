// The sequential file reader: the file reader into one reused buffer per thread.
#include "util/SequentialFile.h"

#include "util/clsFileReader.h"

#include <memory>

namespace {

// One buffer per thread, allocated on first use and kept: digesting many small files must not
// allocate a megabyte for each of them.
unsigned char* ThreadBuffer() {
    thread_local std::unique_ptr<unsigned char[]> buffer(new unsigned char[kSequentialChunkSize]);
    return buffer.get();
}

} // namespace

bool ReadSequentialFile(const std::string& path, const ChunkHandler& onChunk) {
    clsFileReader reader;
    if (!reader.Open(path)) {
        return false;
    }
    unsigned char* buffer = ThreadBuffer();
    while (!reader.AtEnd()) {
        const std::int64_t got = reader.Read(buffer, kSequentialChunkSize);
        if (got < 0) {
            return false;
        }
        if (got > 0 && !onChunk(buffer, static_cast<std::size_t>(got))) {
            return false;
        }
    }
    return true;
}
