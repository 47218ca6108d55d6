// The line formats of today's checksum tools: GNU coreutils ("DIGEST  NAME", "DIGEST *NAME") and BSD tags
// ("MD5 (NAME) = DIGEST"), as md5sum, sha*sum (also with --tag) and rhash write them.
#pragma once

#include "digest/DigestKind.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// What a tool's line lists.
struct ToolLineFields {
    std::string name;        // the file name, escapes undone; may hold folders ("/" or "\"), never absolute
    std::string_view digest; // hex digits, as many as the kind has
    DigestKind kind = DigestKind::None;
};

/// A coreutils line: blanks, an optional "\" (the name is escaped: "\\" is a backslash, "\n" a line feed,
/// "\r" a carriage return), a digest of 8, 32, 40, 56, 64, 96 or 128 hex digits (its length gives its kind,
/// 8 being CRC-32 as rhash writes it), a space or tab, a space or "*", and the name, to the line's end as
/// it stands. std::nullopt for any other line, a bad escape, or a name that is empty or absolute.
std::optional<ToolLineFields> ParseCoreutilsLine(std::string_view line);

/// A BSD tag line: blanks, an optional "\" (escaped name, as above), a tag (MD5, SHA1, SHA224, SHA256,
/// SHA384, SHA512, SHA2-224 to SHA2-512, CRC32), any spaces, "(", the name up to the line's last ")",
/// blanks, "=", blanks, the digest of the tag's width, blanks. std::nullopt for any other line.
std::optional<ToolLineFields> ParseBsdTagLine(std::string_view line);

/// Undoes the escapes of an escaped name; std::nullopt when a backslash starts no known escape.
std::optional<std::string> UnescapeToolName(std::string_view name);

/// True when `name` can be looked up relative to a folder: not empty, no NUL, not starting with "/" or "\",
/// no drive ("C:") in front.
bool IsRelativeToolName(std::string_view name);
