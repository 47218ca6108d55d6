// File-system queries and whole-file reading; the platform's calls stay behind these functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// True when `path` names an existing file; a folder or a missing path gives false.
bool FileExists(const std::string& path);

/// True when `path` names an existing folder.
bool FolderExists(const std::string& path);

/// Makes `folder` and every missing folder above it, readable by the user alone; true when it exists
/// afterwards.
bool CreateFolders(const std::string& folder);

/// Makes the one folder `folder`, whose parent exists, readable by the user alone; true when it exists
/// afterwards (also when it did before).
bool MakeFolder(const std::string& folder);

/// The length of the file in bytes; raises the platform's error (number and a description naming
/// the path) when it cannot be taken.
std::int64_t FileLength(const std::string& path);

/// The length of the file at `path` when it names an existing file that is not a folder; nothing
/// otherwise. One query of the file system for both answers: a check asks this for every listed file.
std::optional<std::int64_t> ExistingFileLength(const std::string& path);

/// All bytes of a file, read at once. Raises the platform's error for a missing file, a folder,
/// a file that cannot be opened or read; never returns part of a file.
std::string ReadFileBytes(const std::string& path);

/// Receives the pieces of a file in order; the bytes are valid only during the call. Returning false stops
/// the reading early, which is no error.
using FileChunkHandler = std::function<bool(std::string_view bytes)>;

/// Reads the file front to back in pieces of at most 64 KiB, handing each to `onChunk`; an empty file gives
/// none. Raises the errors ReadFileBytes raises, the same way, so only the pieces before a failure arrive.
void ReadFileChunks(const std::string& path, const FileChunkHandler& onChunk);

/// One entry of a folder.
struct FolderEntry {
    std::string name;
    bool isFile = false;   // a regular file (links followed), not a folder or anything else
    bool isFolder = false; // a folder (links followed)
};

/// Asked now and then during a long folder listing; true stops it.
using StopRequested = std::function<bool()>;

/// The entries of `folder` (without "." and ".."), in no particular order; empty when the folder
/// cannot be listed. When `stop` says so, returns at once with the entries found so far.
std::vector<FolderEntry> ListFolder(const std::string& folder, const StopRequested& stop = {});

/// Error numbers of reading a file that no platform has.
namespace ReadError {
inline constexpr int NotRegularFile = -1; // a pipe, device or socket under the name
inline constexpr int SizeChanged = -2;    // the file's length changed while it was read
} // namespace ReadError

/// Why a file could not be read, as a result line tells it: a short Japanese text for the usual error numbers
/// (the platform's, or ReadError's), else the system's own message.
std::string ReadErrorReason(int code);

/// True when the platform's error number `code` says the process (or the system) has no file descriptor or
/// handle left: a file that fails so is not unreadable, it can be opened later.
bool IsTooManyOpenFiles(int code);

/// How many files the process may hold open at once. On POSIX systems the first call raises the soft limit
/// to the hard one (up to 65,536): the default of 1,024 is a relic of select(), which Ferrule does not use.
std::size_t OpenFileLimit();

/// Raises the error that the platform's error number `code` stands for, naming `path`.
[[noreturn]] void RaisePlatformError(int code, const std::string& path);
