// Windows side of the sequential file reader: ReadFile into one reused buffer per thread.
#include "util/SequentialFile.h"

#include "util/WinText.h"

#include <memory>
#include <windows.h>

namespace {

unsigned char* ThreadBuffer() {
    thread_local std::unique_ptr<unsigned char[]> buffer(new unsigned char[kSequentialChunkSize]);
    return buffer.get();
}

} // namespace

bool ReadSequentialFile(const std::string& path, const ChunkHandler& onChunk) {
    HANDLE file = CreateFileW(ToWidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    unsigned char* buffer = ThreadBuffer();
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, static_cast<DWORD>(kSequentialChunkSize), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        if (!onChunk(buffer, got)) {
            ok = false;
            break;
        }
    }
    CloseHandle(file);
    return ok;
}
