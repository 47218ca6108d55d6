// POSIX side of the file reader: open, fstat, read, close.
#define _FILE_OFFSET_BITS 64 // files beyond 2 GiB on 32-bit systems too

#include "util/clsFileReader.h"

#include "util/FileSystem.h"
#include "util/SequentialFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// File systems on local discs, whose lengths are those of the bytes there: a read that stops short at that
// length is the file's end, and the read that would return nothing can be saved (a tenth of the time of a
// list of small files). Pseudo files (procfs reports 0), FUSE and shares can be wrong, and are read until
// the system says they end.
bool LengthIsExact(int fd, dev_t device) {
    constexpr unsigned long kLocal[] = {
        0xEF53,     // ext2, ext3, ext4
        0x58465342, // XFS
        0x9123683E, // Btrfs
        0x01021994, // tmpfs
        0xF2F52010, // F2FS
        0x4D44,     // FAT
        0x2011BAB0, // exFAT
        0x2FC12FC1, // ZFS
        0x9660,     // ISO 9660
        0x15013346, // UDF
    };
    // Lists name many files on one device: the answer is kept per thread for the device asked last.
    thread_local dev_t lastDevice = 0;
    thread_local bool lastExact = false;
    if (device == lastDevice && device != 0) {
        return lastExact;
    }
    struct statfs info {};
    bool exact = false;
    if (::fstatfs(fd, &info) == 0) {
        for (const unsigned long type : kLocal) {
            exact = exact || static_cast<unsigned long>(info.f_type) == type;
        }
    }
    lastDevice = device;
    lastExact = exact;
    return exact;
}

} // namespace

clsFileReader::~clsFileReader() {
    Close();
}

bool clsFileReader::Open(const std::string& path) {
    Close();
    if (FaultOnOpen(path)) {
        return false;
    }
    // Non-blocking open and a regular-file test: a pipe or device under a listed name must fail, not hang.
    // The flag changes nothing for reading a regular file, so it stays set.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_Error = errno;
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        m_Error = S_ISDIR(info.st_mode) ? EISDIR : ReadError::NotRegularFile;
        ::close(fd);
        return false;
    }
    m_File = fd;
    m_Length = static_cast<std::uint64_t>(info.st_size);
    m_LengthExact = m_Length > 0 && LengthIsExact(fd, info.st_dev);
    m_Offset = 0;
    m_AtEnd = false;
    // Only a file larger than one chunk is worth the extra call: it doubles the read-ahead.
    if (m_Length > kSequentialChunkSize) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    return true;
}

std::int64_t clsFileReader::Read(unsigned char* buffer, std::size_t size) {
    if (m_File == kClosed) {
        return -1;
    }
    std::size_t filled = 0;
    while (filled < size && !m_AtEnd) {
        if (FaultOnRead()) {
            return -1;
        }
        const ssize_t got = ::read(static_cast<int>(m_File), buffer + filled, size - filled);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_Error = errno;
            return -1;
        }
        filled += static_cast<std::size_t>(got);
        m_Offset += static_cast<std::uint64_t>(got);
        // Only the system's "nothing more" ends a file, or a short read at the length of a file system that
        // knows it: elsewhere the length may be 0 (procfs) or out of date (shares, FUSE).
        m_AtEnd = got == 0 || (m_LengthExact && filled < size && m_Offset == m_Length);
    }
    return static_cast<std::int64_t>(filled);
}

bool clsFileReader::Seek(std::uint64_t offset) {
    if (m_File == kClosed || ::lseek(static_cast<int>(m_File), static_cast<off_t>(offset), SEEK_SET) < 0) {
        m_Error = m_File == kClosed ? EBADF : errno;
        return false;
    }
    m_Offset = offset;
    m_AtEnd = false;
    return true;
}

void clsFileReader::Close() {
    if (m_File != kClosed) {
        ::close(static_cast<int>(m_File));
        m_File = kClosed;
    }
}
