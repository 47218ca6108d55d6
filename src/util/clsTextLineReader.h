// Reading a text file line by line as it streams in: its encoding decided once, its lines handed over in UTF-8.
#pragma once

#include "util/TextEncoding.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

/// Hands the bytes of a text to `onChunk` in order, in pieces, until it returns false or the text ends;
/// raises the read error of its source. Called once per reading pass.
using ByteSource = std::function<void(const std::function<bool(std::string_view)>& onChunk)>;

/// The bytes of the file at `path`, read in pieces (ReadFileChunks); raises its read errors.
ByteSource FileByteSource(const std::string& path);

/// The bytes of `bytes`, which must outlive the source, in pieces of `chunkSize` bytes.
ByteSource MemoryByteSource(std::string_view bytes, std::size_t chunkSize = 65536);

/// One line of the text, without its line end.
struct TextLine {
    std::string_view text; // UTF-8; empty for an overlong line
    bool overlong = false; // longer than the reader's limit; its text is not kept
    bool blank = false;    // overlong lines only: every character was a space, tab, form feed or vertical tab
};

class clsTextLineReader {
public:
    /// Longest line kept, in bytes of UTF-8 (no file system has a path a hundredth as long).
    static constexpr std::size_t kMaxLineBytes = std::size_t{4} << 20;

    explicit clsTextLineReader(ByteSource source, std::size_t maxLineBytes = kMaxLineBytes);

    /// The text's encoding: the one its byte-order mark names; else UTF-8 when all its bytes are well-formed
    /// UTF-8 with at least one character beyond ASCII; else the ANSI code page. Decided on the first call
    /// by reading the source (only up to where the answer is certain); raises the source's read errors.
    TextEncoding Encoding();

    /// True when the encoding came from a byte-order mark (after Encoding).
    bool HasByteOrderMark() const { return m_MarkLength > 0; }

    /// Reads the source from the start and hands every line to `onLine` in order, until it returns false.
    /// CR LF, LF and a lone CR each end a line; the byte-order mark is dropped; a text that ends in a line
    /// end has no empty line after it. Memory is bounded by the longest line kept, never the text's size.
    void ReadLines(const std::function<bool(const TextLine&)>& onLine);

private:
    ByteSource m_Source;
    std::size_t m_MaxLineBytes;
    std::optional<TextEncoding> m_Encoding;
    std::size_t m_MarkLength = 0;
};
