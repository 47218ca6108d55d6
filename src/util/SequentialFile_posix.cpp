// POSIX side of the sequential file reader: plain read() into one reused buffer per thread.
#define _FILE_OFFSET_BITS 64 // files beyond 2 GiB on 32-bit systems too

#include "util/SequentialFile.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One buffer per thread, allocated on first use and kept: digesting many small files must not
// allocate a megabyte for each of them.
unsigned char* ThreadBuffer() {
    thread_local std::unique_ptr<unsigned char[]> buffer(new unsigned char[kSequentialChunkSize]);
    return buffer.get();
}

// Reads until the buffer is full or the file ends, so every chunk but the last is full-sized.
// Returns the byte count, or -1 on a read error (a folder gives EISDIR here).
ssize_t ReadFull(int fd, unsigned char* buffer, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::read(fd, buffer + filled, size - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

} // namespace

bool ReadSequentialFile(const std::string& path, const ChunkHandler& onChunk) {
    // Non-blocking open and a regular-file test: a pipe or device under a listed name must fail, not hang.
    // The flag changes nothing for reading a regular file, so it stays set.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    unsigned char* buffer = ThreadBuffer();
    bool ok = true;
    bool hinted = false;
    for (;;) {
        const ssize_t got = ReadFull(fd, buffer, kSequentialChunkSize);
        if (got < 0) {
            ok = false;
            break;
        }
        if (got > 0 && !onChunk(buffer, static_cast<std::size_t>(got))) {
            ok = false;
            break;
        }
        if (static_cast<std::size_t>(got) < kSequentialChunkSize) {
            break;
        }
        // Only a file that fills the first chunk is worth the extra call: it doubles the read-ahead.
        if (!hinted) {
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
            hinted = true;
        }
    }
    ::close(fd);
    return ok;
}
