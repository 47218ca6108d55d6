// POSIX side of the INI profile functions: there are no system profile functions, so the routed ones are
// ours, and the file is read and replaced here.
#include "util/IniProfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool ReadAll(int fd, std::string& bytes) {
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
    }
}

// A new file: created exclusively, removed again when it cannot be written completely.
bool CreateNewFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!ok || !closed) {
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

// An existing file: the new contents go to a temporary file beside it, which then takes the file's
// place in one step, so a full disk or a crash never leaves half a file.
bool ReplaceFile(const std::string& path, const struct stat& info, std::string_view bytes, bool& noTemporary) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        noTemporary = true;
        return false;
    }
    ::fchmod(fd, info.st_mode & 07777);
    // Only the owner may give a file away; when that fails the file stays ours, as any new file would.
    [[maybe_unused]] const int owned = ::fchown(fd, info.st_uid, info.st_gid);
    const bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!ok || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

// A writable file in a folder where no new file can be made: written over in place.
bool OverwriteFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return ok && closed;
}

} // namespace

std::string GetProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                           const std::string& path, std::size_t bufferSize) {
    return PortableGetProfileText(section, key, defaultValue, path, bufferSize);
}

bool WriteProfileText(std::string_view section, std::string_view key, std::string_view value, const std::string& path) {
    return PortableWriteProfileText(section, key, value, path);
}

ProfileFile ReadProfileFile(const std::string& path) {
    ProfileFile file;
    if (path.empty()) {
        return file;
    }
    // Not blocking: a pipe under the file's name must not hang the program.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        file.exists = errno != ENOENT && errno != ENOTDIR;
        return file;
    }
    file.exists = true;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        file.readable = ReadAll(fd, file.bytes);
    }
    ::close(fd);
    if (!file.readable) {
        file.bytes.clear();
    }
    return file;
}

bool SaveProfileFile(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    // Through a symbolic link the file it points to is replaced, not the link.
    std::string target = path;
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return errno == ENOENT && CreateNewFile(target, bytes);
    }
    if (!S_ISREG(info.st_mode) || ::access(target.c_str(), W_OK) != 0) {
        return false; // a folder, a device, or a file marked read-only
    }
    bool noTemporary = false;
    if (ReplaceFile(target, info, bytes, noTemporary)) {
        return true;
    }
    return noTemporary && OverwriteFile(target, bytes);
}
