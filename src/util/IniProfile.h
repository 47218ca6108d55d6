// INI profile functions: one value of an INI file read or written, the way the Windows profile functions do it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

/// The buffer size the program passes when reading; values come back cut to one byte less.
inline constexpr std::size_t DefaultProfileBufferSize = 255;

// Routed functions: the platform's own profile functions where it has them (Windows), the portable
// ones below elsewhere. Texts are UTF-8; the file is in the ANSI code page, or in the encoding its byte-order
// mark names.

/// The value of `key` in `section` of the INI file `path`, or `defaultValue` when the file, the
/// section or the key is missing or the file cannot be read. Names match ignoring letter case, the
/// first matching section and key win; blanks around the value and then one pair of matching quotes
/// ("..." or '...') are removed, and the result is cut to at most `bufferSize` - 1 bytes of the ANSI
/// code page, never inside a character.
std::string GetProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                           const std::string& path, std::size_t bufferSize = DefaultProfileBufferSize);

/// Sets `key` in `section` of the INI file `path` to `value`: replaces the existing line in place, or
/// adds the key at the end of its section, or the section at the end of the file, or creates the file.
/// Every other line keeps its bytes and its place. Returns false, leaving the file as it was, when the
/// file cannot be read or written or a name or the value cannot be stored (line breaks, "=" in a key,
/// "]" in a section name, empty names, a name the file's encoding cannot hold).
bool WriteProfileText(std::string_view section, std::string_view key, std::string_view value, const std::string& path);

// Portable functions: always our own implementation, on every platform.

/// Same contract as GetProfileText.
std::string PortableGetProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                                   const std::string& path, std::size_t bufferSize = DefaultProfileBufferSize);

/// Same contract as WriteProfileText.
bool PortableWriteProfileText(std::string_view section, std::string_view key, std::string_view value,
                              const std::string& path);

// The text work of the portable functions, on the bytes of a whole file. A file that starts with a byte-order
// mark is read and written in the encoding it names (UTF-8, UTF-16 LE or BE); any other file in the ANSI
// code page.

/// The value of `key` in `section` (UTF-8, blanks and one pair of quotes removed, not cut), or nothing
/// when the section or the key is missing.
std::optional<std::string> FindProfileValue(std::string_view fileBytes, std::string_view section, std::string_view key);

/// The bytes of the file after setting `key` in `section` to `value`; nothing when a name or the
/// value cannot be stored.
std::optional<std::string> SetProfileValue(std::string_view fileBytes, std::string_view section, std::string_view key,
                                           std::string_view value);

/// `text` cut to the longest leading run of whole characters whose ANSI form fits in `maxBytes`.
std::string CutToAnsiBytes(std::string_view text, std::size_t maxBytes);

// The platform's file part of the portable functions.

/// What reading a profile file found.
struct ProfileFile {
    bool exists = false;   // something is there under the path (a file, a folder, ...)
    bool readable = false; // it is a file and all its bytes were read
    std::string bytes;
};

/// Reads the whole file at once.
ProfileFile ReadProfileFile(const std::string& path);

/// Replaces the file's contents with `bytes` (creating it when missing) so that a failure part way
/// leaves the old contents; false when it could not be written.
bool SaveProfileFile(const std::string& path, std::string_view bytes);
