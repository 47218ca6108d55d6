// What the harnesses share: the check that stops a run on a broken invariant, and a private folder for the
// files they hand to the code under test.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

/// Stops the run when `condition` is false; libFuzzer reports the abort as a crash and keeps the input.
#define FUZZ_CHECK(condition, what)                                                                                    \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: broken invariant: %s\n", __FILE__, __LINE__, what);                           \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

/// A folder of this process's own in $TMPDIR, removed at a normal exit (a crash leaves it). Without
/// $TMPDIR on tmpfs when there is one: the profile writer syncs every file it saves, which on a disk costs
/// milliseconds a run.
class FuzzFolder {
public:
    FuzzFolder() {
        namespace fs = std::filesystem;
        const char* tmpdir = std::getenv("TMPDIR");
        const bool unset = tmpdir == nullptr || *tmpdir == '\0'; // temp_directory_path() throws on ""
        const bool shm = unset && ::access("/dev/shm", W_OK | X_OK) == 0;
        const fs::path base = shm ? fs::path("/dev/shm") : unset ? fs::path("/tmp") : fs::temp_directory_path();
        std::string pattern = (base / "ferrule-fuzz-XXXXXX").string();
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr, "a temporary folder can be made");
        m_Path = pattern;
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_Path, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    /// Full path of `name` in the folder.
    std::string File(std::string_view name) const { return m_Path + "/" + std::string(name); }

    /// Replaces the file `name` with exactly `bytes` and returns its full path.
    std::string Write(std::string_view name, std::string_view bytes) const {
        const std::string path = File(name);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        FUZZ_CHECK(fd >= 0, "the input file can be created");
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd, bytes.data(), bytes.size());
            FUZZ_CHECK(written > 0 || (written < 0 && errno == EINTR), "the input file can be written");
            bytes.remove_prefix(written > 0 ? static_cast<std::size_t>(written) : 0);
        }
        ::close(fd);
        return path;
    }

    /// The whole file `path`; "" when it is missing.
    static std::string Read(const std::string& path) {
        std::string bytes;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return bytes;
        }
        char chunk[65536];
        for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) != 0;) {
            FUZZ_CHECK(got > 0 || errno == EINTR, "the file can be read back");
            bytes.append(chunk, got > 0 ? static_cast<std::size_t>(got) : 0);
        }
        ::close(fd);
        return bytes;
    }

private:
    std::string m_Path;
};
