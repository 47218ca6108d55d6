// POSIX side of the file-system functions.
#include "util/FileSystem.h"

#include "util/AppError.h"
#include "util/PathHelpers.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string DescribeErrno(int code) {
    switch (code) {
        case ENOENT:
        case ENOTDIR:
            return "ファイルが見つかりません。";
        case EISDIR:
            return "ファイルではなくフォルダです。";
        case EACCES:
        case EPERM:
            return "アクセスが拒否されました。";
        case EIO:
            return "ファイルの読み込み中に入出力エラーが発生しました。";
        case ENAMETOOLONG:
            return "パスが長すぎます。";
        case ENODEV:
            return "通常のファイルではありません。";
        default:
            return std::strerror(code);
    }
}

// Closes a descriptor on every way out of the reading function.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_Fd(fd) {}
    ~FileDescriptor() {
        if (m_Fd >= 0) {
            ::close(m_Fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_Fd; }

private:
    int m_Fd = -1;
};

} // namespace

PathRules NativePathRules() {
    return PathRules::Posix;
}

std::string ReadErrorReason(int code) {
    switch (code) {
        case ReadError::NotRegularFile:
        case ENODEV:
        case ENXIO:
            return "通常のファイルではありません";
        case ReadError::SizeChanged:
            return "読み取り中にファイルのサイズが変わりました";
        case EIO:
            return "入出力エラーです";
        case EACCES:
        case EPERM:
            return "アクセスが拒否されました";
        case ENOENT:
        case ENOTDIR:
            return "ファイルが見つかりません";
        case EISDIR:
            return "ファイルではなくフォルダです";
        case EMFILE:
        case ENFILE:
            return "開いているファイルが多すぎます";
        case ENOMEM:
            return "メモリが足りません";
        case ESTALE:
        case ENOTCONN:
        case ECONNRESET:
        case ETIMEDOUT:
        case EHOSTDOWN:
        case EHOSTUNREACH:
            return "ネットワーク上のファイルに接続できません";
        case ENAMETOOLONG:
            return "パスが長すぎます";
        case EAGAIN:
        case EBUSY:
            return "ファイルが使用中です";
        default:
            return std::strerror(code);
    }
}

bool IsTooManyOpenFiles(int code) {
    return code == EMFILE || code == ENFILE;
}

std::size_t OpenFileLimit() {
    static const std::size_t limit = [] {
        constexpr rlim_t kEnough = 65536;
        struct rlimit limits {};
        if (::getrlimit(RLIMIT_NOFILE, &limits) != 0) {
            return std::size_t{1024};
        }
        const rlim_t wanted = limits.rlim_max == RLIM_INFINITY ? kEnough : std::min(limits.rlim_max, kEnough);
        if (limits.rlim_cur != RLIM_INFINITY && limits.rlim_cur < wanted) {
            struct rlimit raised = limits;
            raised.rlim_cur = wanted;
            if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) {
                limits = raised;
            }
        }
        return static_cast<std::size_t>(limits.rlim_cur == RLIM_INFINITY ? kEnough : limits.rlim_cur);
    }();
    return limit;
}

void RaisePlatformError(int code, const std::string& path) {
    RaiseError(code, DescribeErrno(code) + "(" + path + ")");
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool MakeFolder(const std::string& folder) {
    return ::mkdir(folder.c_str(), 0700) == 0 || (errno == EEXIST && FolderExists(folder));
}

std::optional<std::int64_t> ExistingFileLength(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(info.st_size);
}

std::int64_t FileLength(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        RaisePlatformError(errno, path);
    }
    return static_cast<std::int64_t>(info.st_size);
}

void ReadFileChunks(const std::string& path, const FileChunkHandler& onChunk) {
    // Non-blocking open: a FIFO under the name must fail below, not wait for a writer. The flag changes
    // nothing for reading a regular file, so it stays set.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        RaisePlatformError(errno, path);
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        RaisePlatformError(errno, path);
    }
    if (S_ISDIR(info.st_mode)) {
        RaisePlatformError(EISDIR, path);
    }
    if (!S_ISREG(info.st_mode)) {
        RaisePlatformError(ENODEV, path); // a pipe or device has no end to read to
    }
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            RaisePlatformError(errno, path);
        }
        if (got == 0 || !onChunk(std::string_view(chunk, static_cast<std::size_t>(got)))) {
            break;
        }
    }
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    ReadFileChunks(path, [&bytes](std::string_view chunk) {
        bytes.append(chunk);
        return true;
    });
    return bytes;
}

std::vector<FolderEntry> ListFolder(const std::string& folder, const StopRequested& stop) {
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return entries;
    }
    // A share may hold a million names: a stop is heard every few hundred of them.
    constexpr std::size_t kStopEvery = 256;
    while (const dirent* entry = ::readdir(dir)) {
        if (stop && entries.size() % kStopEvery == 0 && stop()) {
            break;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat info {};
        const std::string full = AddBackslash(folder) + name;
        const bool known = ::stat(full.c_str(), &info) == 0;
        entries.push_back({name, known && S_ISREG(info.st_mode), known && S_ISDIR(info.st_mode)});
    }
    ::closedir(dir);
    return entries;
}
