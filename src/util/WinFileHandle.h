// A Windows file handle closed on every way out of the function that opened it.
#pragma once

#include <windows.h>

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_Handle(handle) {}
    ~FileHandle() {
        if (m_Handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_Handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE get() const { return m_Handle; }

private:
    HANDLE m_Handle = INVALID_HANDLE_VALUE;
};
