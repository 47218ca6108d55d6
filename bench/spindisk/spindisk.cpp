// ferrule-spindisk: a read-only FUSE mirror of a folder that answers reads like a disc with one head. Every
// read is served alone, in the order the kernel queued it; it costs a seek unless it starts where the previous
// read of the same file ended, plus its bytes at the disc's transfer rate, and the request is held for that
// long. This makes visible what a reader's pattern of requests costs on a spinning disc, without one.
//
// Usage: ferrule-spindisk SOURCE MOUNTPOINT [--seek-ms 8] [--mbps 150] [--direct-io] [--log FILE] [FUSE options]
//
// The log has one line per read: seq path offset size seek start-ns end-ns, where size is what the read
// returned (the head moves only over bytes that exist), seek is 0 or 1, the times are CLOCK_MONOTONIC and
// blanks, tabs, newlines and backslashes in the path are written as \040, \011, \012 and \134. SIGUSR1 and
// the unmount write the totals to standard error (run with -f to see the latter).
#define FUSE_USE_VERSION 35

#include <fuse.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    std::string source;
    double seekMs = 8.0;
    double mbps = 150.0;
    bool directIo = false;
    std::string logPath;
};

struct OpenFile {
    int fd;
    dev_t dev;
    ino_t ino;
};

// The one head: where it stands and what it has done. Reads are served one at a time under the mutex.
struct Head {
    std::mutex mutex;
    bool placed = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t end = 0;
    std::uint64_t requests = 0;
    std::uint64_t seeks = 0;
    std::uint64_t bytes = 0;
    std::int64_t busyNs = 0;
};

Options g_options;
int g_sourceFd = -1;
int g_logFd = -1;
Head g_head;

constexpr std::int64_t kNsPerSecond = 1000000000;

std::int64_t ToNs(const timespec& t) {
    return t.tv_sec * kNsPerSecond + t.tv_nsec;
}

timespec FromNs(std::int64_t ns) {
    timespec t{};
    t.tv_sec = static_cast<time_t>(ns / kNsPerSecond);
    t.tv_nsec = static_cast<long>(ns % kNsPerSecond);
    return t;
}

std::int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return ToNs(t);
}

// FUSE paths start with '/'; the source is reached relative to its folder's descriptor.
const char* Relative(const char* path) {
    while (*path == '/') {
        ++path;
    }
    return *path ? path : ".";
}

std::string Escaped(const char* path) {
    std::string out;
    for (const char* p = path; *p; ++p) {
        const char c = *p;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            char code[5];
            std::snprintf(code, sizeof code, "\\%03o", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

void PrintTotals() {
    std::uint64_t requests, seeks, bytes;
    std::int64_t busyNs;
    {
        std::lock_guard lock(g_head.mutex);
        requests = g_head.requests;
        seeks = g_head.seeks;
        bytes = g_head.bytes;
        busyNs = g_head.busyNs;
    }
    std::fprintf(stderr, "ferrule-spindisk: %llu requests, %llu seeks, %llu bytes, %.3f s busy\n",
                 static_cast<unsigned long long>(requests), static_cast<unsigned long long>(seeks),
                 static_cast<unsigned long long>(bytes), static_cast<double>(busyNs) / kNsPerSecond);
    std::fflush(stderr);
}

// SIGUSR1 is blocked in every thread (the mask is set before FUSE starts any); this one takes it.
void* TotalsOnSignal(void*) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) == 0) {
            PrintTotals();
        }
    }
    return nullptr;
}

void* Init(fuse_conn_info* conn, fuse_config* cfg) {
    cfg->use_ino = 1;
    // libfuse asks the kernel for as many pages a request as max_write needs; its buffer holds 1 MiB of data, which
    // is also the kernel's default max_pages_limit, so large reads pass as one. max_read stays unbounded (no -o
    // max_read): the page count alone limits reads.
    conn->max_write = 1u << 20;
    // Started here, not in main: without -f FUSE forks into the background after parsing, and threads
    // started before that would stay behind in the parent.
    pthread_t thread;
    if (pthread_create(&thread, nullptr, TotalsOnSignal, nullptr) == 0) {
        pthread_detach(thread);
    }
    return nullptr;
}

void Destroy(void*) {
    PrintTotals();
}

int GetAttr(const char* path, struct stat* st, fuse_file_info* fi) {
    const int rc = fi ? fstat(reinterpret_cast<OpenFile*>(fi->fh)->fd, st)
                      : fstatat(g_sourceFd, Relative(path), st, AT_SYMLINK_NOFOLLOW);
    return rc == 0 ? 0 : -errno;
}

int ReadLink(const char* path, char* buffer, size_t size) {
    if (size == 0) {
        return -EINVAL;
    }
    const ssize_t n = readlinkat(g_sourceFd, Relative(path), buffer, size - 1);
    if (n < 0) {
        return -errno;
    }
    buffer[n] = '\0';
    return 0;
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t filler, off_t, fuse_file_info*, fuse_readdir_flags) {
    const int fd = openat(g_sourceFd, Relative(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return -errno;
    }
    DIR* dir = fdopendir(fd);
    if (!dir) {
        const int error = errno;
        close(fd);
        return -error;
    }
    while (dirent* entry = readdir(dir)) {
        struct stat st {};
        st.st_ino = entry->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (filler(buffer, entry->d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) {
            break;
        }
    }
    closedir(dir);
    return 0;
}

int Open(const char* path, fuse_file_info* fi) {
    if ((fi->flags & O_ACCMODE) != O_RDONLY || (fi->flags & O_TRUNC)) {
        return -EROFS;
    }
    const int fd = openat(g_sourceFd, Relative(path), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return -errno;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        close(fd);
        return -error;
    }
    fi->fh = reinterpret_cast<std::uint64_t>(new OpenFile{fd, st.st_dev, st.st_ino});
    fi->direct_io = g_options.directIo ? 1 : 0;
    fi->keep_cache = 0;
    return 0;
}

int Read(const char* path, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    const OpenFile* file = reinterpret_cast<OpenFile*>(fi->fh);
    std::lock_guard lock(g_head.mutex);
    const std::int64_t start = NowNs();
    const bool seek = !g_head.placed || g_head.dev != file->dev || g_head.ino != file->ino || g_head.end != offset;
    // The real read happens inside the modelled time: the request takes whichever is longer, not both.
    const ssize_t n = pread(file->fd, buffer, size, offset);
    const int error = errno;
    const std::uint64_t got = n > 0 ? static_cast<std::uint64_t>(n) : 0;
    const double costNs = (seek ? g_options.seekMs * 1e6 : 0.0) + static_cast<double>(got) * 1e3 / g_options.mbps;
    const timespec deadline = FromNs(start + static_cast<std::int64_t>(costNs));
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
    const std::int64_t end = NowNs();

    g_head.placed = true;
    g_head.dev = file->dev;
    g_head.ino = file->ino;
    g_head.end = offset + static_cast<off_t>(got);
    ++g_head.requests;
    g_head.seeks += seek ? 1 : 0;
    g_head.bytes += got;
    g_head.busyNs += end - start;
    if (g_logFd >= 0) {
        // One write per line on an O_APPEND descriptor: whole lines even when the log is emptied meanwhile.
        const std::string line = std::to_string(g_head.requests) + ' ' + Escaped(path) + ' ' + std::to_string(offset) +
                                 ' ' + std::to_string(got) + ' ' + (seek ? '1' : '0') + ' ' + std::to_string(start) +
                                 ' ' + std::to_string(end) + '\n';
        if (write(g_logFd, line.data(), line.size()) < 0) {
            std::perror("ferrule-spindisk: log");
        }
    }
    if (n < 0) {
        return -error;
    }
    return static_cast<int>(n);
}

int Release(const char*, fuse_file_info* fi) {
    const OpenFile* file = reinterpret_cast<OpenFile*>(fi->fh);
    close(file->fd);
    delete file;
    return 0;
}

int StatFs(const char*, struct statvfs* st) {
    return fstatvfs(g_sourceFd, st) == 0 ? 0 : -errno;
}

// Everything that would change the source.
template <typename... Args>
int ReadOnly(Args...) {
    return -EROFS;
}

fuse_operations Operations() {
    fuse_operations ops{};
    ops.init = Init;
    ops.destroy = Destroy;
    ops.getattr = GetAttr;
    ops.readlink = ReadLink;
    ops.readdir = ReadDir;
    ops.open = Open;
    ops.read = Read;
    ops.release = Release;
    ops.statfs = StatFs;
    ops.mknod = ReadOnly<const char*, mode_t, dev_t>;
    ops.mkdir = ReadOnly<const char*, mode_t>;
    ops.unlink = ReadOnly<const char*>;
    ops.rmdir = ReadOnly<const char*>;
    ops.symlink = ReadOnly<const char*, const char*>;
    ops.rename = ReadOnly<const char*, const char*, unsigned int>;
    ops.link = ReadOnly<const char*, const char*>;
    ops.chmod = ReadOnly<const char*, mode_t, fuse_file_info*>;
    ops.chown = ReadOnly<const char*, uid_t, gid_t, fuse_file_info*>;
    ops.truncate = ReadOnly<const char*, off_t, fuse_file_info*>;
    ops.write = ReadOnly<const char*, const char*, size_t, off_t, fuse_file_info*>;
    ops.create = ReadOnly<const char*, mode_t, fuse_file_info*>;
    ops.setxattr = ReadOnly<const char*, const char*, const char*, size_t, int>;
    ops.removexattr = ReadOnly<const char*, const char*>;
    ops.utimens = ReadOnly<const char*, const timespec*, fuse_file_info*>;
    return ops;
}

void Usage(FILE* out) {
    std::fprintf(out,
                 "Usage: ferrule-spindisk SOURCE MOUNTPOINT [--seek-ms MS] [--mbps MB/S] [--direct-io] [--log FILE]\n"
                 "                        [FUSE options such as -f, -d, -o OPTION]\n"
                 "Mirror SOURCE read-only at MOUNTPOINT as a disc with one head.\n\n"
                 "  --seek-ms MS   cost of a read that does not go on where the last one ended (default 8)\n"
                 "  --mbps MB/S    transfer rate in 10^6 bytes a second (default 150)\n"
                 "  --direct-io    every read of an application reaches the disc (no page cache)\n"
                 "  --log FILE     one line per read: seq path offset size seek start-ns end-ns\n"
                 "SIGUSR1 writes the totals so far to standard error; so does the unmount.\n");
}

bool ParseNumber(const char* text, double& value) {
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(parsed >= 0.0)) {
        return false;
    }
    value = parsed;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    std::vector<char*> fuseArgs{argv[0]};
    // The value of an option of ours: "--name VALUE" or "--name=VALUE".
    auto value = [&](int& i, const char* name) -> const char* {
        const size_t length = std::strlen(name);
        if (std::strncmp(argv[i], name, length) == 0 && argv[i][length] == '=') {
            return argv[i] + length + 1;
        }
        if (std::strcmp(argv[i], name) == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "ferrule-spindisk: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        }
        return nullptr;
    };
    for (int i = 1; i < argc; ++i) {
        const char* text = nullptr;
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            Usage(stdout);
            return 0;
        } else if ((text = value(i, "--seek-ms"))) {
            if (!ParseNumber(text, g_options.seekMs)) {
                std::fprintf(stderr, "ferrule-spindisk: not a number of milliseconds: %s\n", text);
                return 2;
            }
        } else if ((text = value(i, "--mbps"))) {
            if (!ParseNumber(text, g_options.mbps) || g_options.mbps <= 0.0) {
                std::fprintf(stderr, "ferrule-spindisk: not a transfer rate: %s\n", text);
                return 2;
            }
        } else if ((text = value(i, "--log"))) {
            g_options.logPath = text;
        } else if (std::strcmp(argv[i], "--direct-io") == 0) {
            g_options.directIo = true;
        } else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
            fuseArgs.push_back(argv[i]);
            fuseArgs.push_back(argv[++i]);
        } else if (argv[i][0] != '-' && g_options.source.empty()) {
            g_options.source = argv[i];
        } else {
            fuseArgs.push_back(argv[i]);
        }
    }
    if (g_options.source.empty()) {
        Usage(stderr);
        return 2;
    }
    // Opened before FUSE goes to the background, which changes to the root folder.
    g_sourceFd = open(g_options.source.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (g_sourceFd < 0) {
        std::fprintf(stderr, "ferrule-spindisk: %s: %s\n", g_options.source.c_str(), std::strerror(errno));
        return 1;
    }
    if (!g_options.logPath.empty()) {
        g_logFd = open(g_options.logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
        if (g_logFd < 0) {
            std::fprintf(stderr, "ferrule-spindisk: %s: %s\n", g_options.logPath.c_str(), std::strerror(errno));
            return 1;
        }
    }
    // One thread serves the kernel's queue in its order: the head never sees requests overtake each other.
    static char single[] = "-s";
    static char mountOption[] = "-o";
    static char mountOptions[] = "ro,fsname=ferrule-spindisk,subtype=spindisk";
    fuseArgs.push_back(single);
    fuseArgs.push_back(mountOption);
    fuseArgs.push_back(mountOptions);
    fuseArgs.push_back(nullptr);

    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    const fuse_operations ops = Operations();
    return fuse_main(static_cast<int>(fuseArgs.size()) - 1, fuseArgs.data(), &ops, nullptr);
}
