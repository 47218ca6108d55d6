#include "util/clsTextLineReader.h"

#include "util/FileSystem.h"
#include "util/clsTextDecoder.h"
#include "util/clsUtf8Validator.h"

namespace {

bool IsInlineBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

// Cuts decoded text into lines, keeping only the unfinished line between pieces.
class LineSplitter {
public:
    LineSplitter(std::size_t maxLineBytes, const std::function<bool(const TextLine&)>& onLine)
        : m_MaxLineBytes(maxLineBytes), m_OnLine(onLine) {}

    /// False once the receiver asked to stop.
    bool Feed(std::string_view text) {
        while (!text.empty()) {
            if (m_AfterCR) {
                m_AfterCR = false;
                if (text.front() == '\n') {
                    text.remove_prefix(1);
                    continue;
                }
            }
            // One pass over the bytes: searching for LF and CR separately would rescan the rest of the piece
            // for every line of a file without CR.
            std::size_t end = 0;
            while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
                ++end;
            }
            if (end == text.size()) {
                Append(text);
                return true;
            }
            const char* found = text.data() + end;
            m_AfterCR = *found == '\r';
            if (!EndLine(text.substr(0, end))) {
                return false;
            }
            text.remove_prefix(end + 1);
        }
        return true;
    }

    /// The last line, when the text does not end in a line end.
    bool Finish() {
        if (m_Line.empty() && !m_Overlong) {
            return true;
        }
        return EndLine({});
    }

private:
    void Append(std::string_view part) {
        if (!m_Overlong && m_Line.size() + part.size() > m_MaxLineBytes) {
            m_Overlong = true;
            m_Blank = IsAllBlank(m_Line);
            m_Line.clear();
            m_Line.shrink_to_fit();
        }
        if (m_Overlong) {
            m_Blank = m_Blank && IsAllBlank(part);
        } else {
            m_Line.append(part);
        }
    }

    static bool IsAllBlank(std::string_view text) {
        for (const char c : text) {
            if (!IsInlineBlank(c)) {
                return false;
            }
        }
        return true;
    }

    // Ends the current line with `last`, its rest in this piece; a line wholly inside one piece is
    // handed over without a copy.
    bool EndLine(std::string_view last) {
        TextLine line;
        if (m_Line.empty() && !m_Overlong && last.size() <= m_MaxLineBytes) {
            line.text = last;
            return m_OnLine(line);
        }
        Append(last);
        if (m_Overlong) {
            line.overlong = true;
            line.blank = m_Blank;
        } else {
            line.text = m_Line;
        }
        const bool more = m_OnLine(line);
        m_Line.clear();
        m_Overlong = false;
        return more;
    }

    std::size_t m_MaxLineBytes;
    const std::function<bool(const TextLine&)>& m_OnLine;
    std::string m_Line; // the unfinished line, when it started in an earlier piece
    bool m_Overlong = false;
    bool m_Blank = false;
    bool m_AfterCR = false; // the last piece ended in CR: an LF at the start of this one belongs to it
};

} // namespace

ByteSource FileByteSource(const std::string& path) {
    return [path](const std::function<bool(std::string_view)>& onChunk) { ReadFileChunks(path, onChunk); };
}

ByteSource MemoryByteSource(std::string_view bytes, std::size_t chunkSize) {
    return [bytes, chunkSize](const std::function<bool(std::string_view)>& onChunk) {
        for (std::size_t pos = 0; pos < bytes.size(); pos += chunkSize) {
            if (!onChunk(bytes.substr(pos, chunkSize))) {
                return;
            }
        }
    };
}

clsTextLineReader::clsTextLineReader(ByteSource source, std::size_t maxLineBytes)
    : m_Source(std::move(source)), m_MaxLineBytes(maxLineBytes) {}

TextEncoding clsTextLineReader::Encoding() {
    if (m_Encoding) {
        return *m_Encoding;
    }
    // The first bytes may arrive in several pieces: a mark is looked for once three bytes (or all) are in.
    std::string head;
    std::optional<ByteOrderMark> mark;
    bool markDecided = false;
    clsUtf8Validator validator;
    m_Source([&](std::string_view chunk) {
        if (!markDecided) {
            head.append(chunk.substr(0, 3 - head.size() < chunk.size() ? 3 - head.size() : chunk.size()));
            if (head.size() < 3) {
                validator.Feed(chunk);
                return true; // the mark is not known yet: go on, even when these bytes cannot be UTF-8
            }
            markDecided = true;
            mark = FindByteOrderMark(head);
            if (mark) {
                return false;
            }
        }
        return validator.Feed(chunk);
    });
    if (!markDecided) {
        mark = FindByteOrderMark(head);
    }
    if (mark) {
        m_Encoding = mark->encoding;
        m_MarkLength = mark->length;
    } else {
        m_Encoding = validator.IsUtf8Text() ? TextEncoding::Utf8 : TextEncoding::Ansi;
    }
    return *m_Encoding;
}

void clsTextLineReader::ReadLines(const std::function<bool(const TextLine&)>& onLine) {
    clsTextDecoder decoder(Encoding());
    LineSplitter splitter(m_MaxLineBytes, onLine);
    std::size_t markLeft = m_MarkLength;
    std::string decoded;
    bool more = true;
    m_Source([&](std::string_view chunk) {
        const std::size_t skip = markLeft < chunk.size() ? markLeft : chunk.size();
        chunk.remove_prefix(skip);
        markLeft -= skip;
        decoded.clear();
        decoder.Decode(chunk, decoded);
        more = splitter.Feed(decoded);
        return more;
    });
    if (more) {
        decoded.clear();
        decoder.Finish(decoded);
        if (splitter.Feed(decoded)) {
            splitter.Finish();
        }
    }
}
