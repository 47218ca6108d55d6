// One file read front to back into the caller's buffers: open, one status query, reads, close. Many small
// files are read this way, so nothing here allocates and no system call is spent that a small file can do
// without.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class clsFileReader {
public:
    clsFileReader() = default;
    ~clsFileReader();
    clsFileReader(const clsFileReader&) = delete;
    clsFileReader& operator=(const clsFileReader&) = delete;

    /// Opens the file at `path` (UTF-8) for reading from its first byte, closing the one open before. False,
    /// without throwing, when it cannot be opened or is not a regular file (a folder; on POSIX systems also a
    /// pipe or a device, which could block the reader forever).
    bool Open(const std::string& path);

    /// Reads the next bytes into `buffer`, filling it unless the file ends first. Returns the number of bytes
    /// read, 0 once the file has ended, -1 when reading fails.
    std::int64_t Read(unsigned char* buffer, std::size_t size);

    /// Goes to byte `offset` of the open file, from where Read goes on; false when the system refuses.
    bool Seek(std::uint64_t offset);

    /// True once the file's last byte has been read. A read that stops short at the length the file had when
    /// it was opened ends the file without asking the system again.
    bool AtEnd() const { return m_AtEnd; }

    bool IsOpen() const { return m_File != kClosed; }

    /// The file's length when it was opened (unknown files read as the largest length).
    std::uint64_t Length() const { return m_Length; }

    void Close();

private:
    static constexpr std::intptr_t kClosed = -1; // also the Windows INVALID_HANDLE_VALUE

    std::intptr_t m_File = kClosed; // a POSIX descriptor or a Windows handle
    std::uint64_t m_Length = 0;
    std::uint64_t m_Offset = 0;
    bool m_AtEnd = false;
};
