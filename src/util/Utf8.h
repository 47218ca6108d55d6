// Minimal UTF-8 walking: the wildcard match and the path helpers count characters, not bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// Decodes the code point starting at `pos` and advances `pos` past it.
/// A malformed byte decodes as itself (0x80..0xFF) and advances by one, so every byte is consumed.
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

/// Appends the UTF-8 form of `cp` to `out`.
void AppendCodePoint(std::string& out, char32_t cp);

/// Number of characters (code points) in `text`.
std::size_t CountCodePoints(std::string_view text);

/// Byte offset at which the last character of `text` starts; 0 for an empty text.
std::size_t LastCodePointOffset(std::string_view text);

/// Number of bytes a UTF-8 sequence starting with `lead` claims: 2 to 4 for a lead byte of a multibyte
/// character, 1 for ASCII and for bytes that cannot start one.
std::size_t Utf8SequenceLength(unsigned char lead);

/// Where an incomplete UTF-8 sequence at the end of `bytes` starts (a lead byte followed by fewer
/// continuation bytes than it claims); bytes.size() when the text does not end in one.
std::size_t IncompleteUtf8Tail(std::string_view bytes);
