// One file read front to back into the caller's buffers: open, one status query, reads, close. Many small
// files are read this way, so nothing here allocates and no system call is spent that a small file can do
// without.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class clsFileReader {
public:
    /// A fault injected in place of the system's answer, for tests: called with the file's path and the offset
    /// of a read about to be made (kOpening before the file is opened). Returns 0 to go on as usual, or the
    /// platform's error number that the open or read then fails with. It may also change the file, or throw.
    using FaultHook = std::function<int(const std::string& path, std::uint64_t offset)>;
    static constexpr std::uint64_t kOpening = ~std::uint64_t{0};

    /// Sets the fault hook of every reader of the process (an empty one: none). Only while no file is read.
    static void SetFaultHook(FaultHook hook);

    clsFileReader() = default;
    ~clsFileReader();
    clsFileReader(const clsFileReader&) = delete;
    clsFileReader& operator=(const clsFileReader&) = delete;

    /// Opens the file at `path` (UTF-8) for reading from its first byte, closing the one open before. False,
    /// without throwing, when it cannot be opened or is not a regular file (a folder; on POSIX systems also a
    /// pipe or a device, which could block the reader forever); Error() then says why.
    bool Open(const std::string& path);

    /// Reads the next bytes into `buffer`, filling it unless the file ends first. Returns the number of bytes
    /// read, 0 once the file has ended, -1 when reading fails (Error() says why).
    std::int64_t Read(unsigned char* buffer, std::size_t size);

    /// Goes to byte `offset` of the open file, from where Read goes on; false when the system refuses.
    bool Seek(std::uint64_t offset);

    /// True once the file's end has been read. The length the file had when it was opened decides it only on
    /// the file systems of local discs: pseudo files report 0, and files on shares can report a length that
    /// is out of date.
    bool AtEnd() const { return m_AtEnd; }

    bool IsOpen() const { return m_File != kClosed; }

    /// The file's length when it was opened (unknown files read as the largest length).
    std::uint64_t Length() const { return m_Length; }

    /// The platform's error number of the last Open, Read or Seek that failed (ReadError::NotRegularFile for a
    /// file that is not a regular one); 0 when none failed since the last Open.
    int Error() const { return m_Error; }

    void Close();

private:
    static constexpr std::intptr_t kClosed = -1; // also the Windows INVALID_HANDLE_VALUE

    /// Clears the last error and asks the fault hook, if any, about opening `path`; true when it says to fail.
    bool FaultOnOpen(const std::string& path);
    /// Asks the fault hook, if any, about the read at the current offset; true when it says to fail.
    bool FaultOnRead();

    std::intptr_t m_File = kClosed; // a POSIX descriptor or a Windows handle
    std::uint64_t m_Length = 0;
    std::uint64_t m_Offset = 0;
    bool m_AtEnd = false;
    bool m_LengthExact = false; // the file system's length is the file's end
    int m_Error = 0;
    std::string m_Path; // kept only while a fault hook is set
};
