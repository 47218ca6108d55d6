// Text encodings of list and INI files, their byte-order marks, and whole-text conversions to and from UTF-8.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

/// How the bytes of a text file are read. Ansi is the system's ANSI code page (code page 932 outside Windows).
enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

/// A byte-order mark at the start of a file: the encoding it names and its length in bytes.
struct ByteOrderMark {
    TextEncoding encoding = TextEncoding::Utf8;
    std::size_t length = 0;
};

/// The byte-order mark `bytes` starts with (UTF-8 EF BB BF, UTF-16 LE FF FE, UTF-16 BE FE FF), or nothing.
std::optional<ByteOrderMark> FindByteOrderMark(std::string_view bytes);

/// `bytes` (no byte-order mark) converted from `encoding` to UTF-8. What the encoding cannot hold becomes
/// U+FFFD: a malformed UTF-8 byte, an unpaired UTF-16 surrogate, a lone last byte of UTF-16.
std::string DecodeText(std::string_view bytes, TextEncoding encoding);

/// UTF-8 `text` as UTF-16 code units in the given byte order, without a byte-order mark; malformed UTF-8
/// bytes become U+FFFD.
std::string EncodeUtf16(std::string_view text, bool bigEndian);
