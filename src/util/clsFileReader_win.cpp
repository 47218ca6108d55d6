// Windows side of the file reader: CreateFileW, GetFileSizeEx, ReadFile, CloseHandle.
#include "util/clsFileReader.h"

#include "util/FileSystem.h"
#include "util/WinText.h"

#include <limits>
#include <windows.h>

namespace {

HANDLE AsHandle(std::intptr_t file) {
    return reinterpret_cast<HANDLE>(file);
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
    HANDLE file = CreateFileW(ToWidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        m_Error = static_cast<int>(GetLastError());
        return false;
    }
    m_File = reinterpret_cast<std::intptr_t>(file);
    // A device has no length: it is then read until it reports its end.
    LARGE_INTEGER length{};
    m_Length = GetFileSizeEx(file, &length) ? static_cast<std::uint64_t>(length.QuadPart)
                                            : std::numeric_limits<std::uint64_t>::max();
    m_Offset = 0;
    m_AtEnd = false;
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
        const std::size_t want = size - filled;
        DWORD got = 0;
        if (!ReadFile(AsHandle(m_File), buffer + filled, want > 0x40000000 ? 0x40000000 : static_cast<DWORD>(want),
                      &got, nullptr)) {
            m_Error = static_cast<int>(GetLastError());
            return -1;
        }
        filled += got;
        m_Offset += got;
        // Only the system's "nothing more" ends a file: a length seen on opening can be out of date on a share.
        m_AtEnd = got == 0;
    }
    return static_cast<std::int64_t>(filled);
}

bool clsFileReader::Seek(std::uint64_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (m_File == kClosed || !SetFilePointerEx(AsHandle(m_File), position, nullptr, FILE_BEGIN)) {
        m_Error = m_File == kClosed ? ERROR_INVALID_HANDLE : static_cast<int>(GetLastError());
        return false;
    }
    m_Offset = offset;
    m_AtEnd = false;
    return true;
}

void clsFileReader::Close() {
    if (m_File != kClosed) {
        CloseHandle(AsHandle(m_File));
        m_File = kClosed;
    }
}
