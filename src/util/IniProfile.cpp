// Our own INI profile functions: the line grammar of the Windows profile functions, edited byte by byte so
// that everything the caller did not ask to change stays exactly as it was.
#include "util/IniProfile.h"

#include "util/CaseFold.h"
#include "util/CodePage.h"
#include "util/TextEncoding.h"
#include "util/Utf8.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kLineBreak = "\r\n";

bool IsBlank(char c) {
    // Ctrl-Z is the DOS end-of-file mark, still found at the end of old files.
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1A';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The callers of the Windows functions pass C strings: everything after a NUL is never seen.
std::string_view UpToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The folded form of a name, with a shortcut for ASCII, whose simple case folding is plain lower-casing.
std::string FoldName(std::string_view name) {
    if (!IsAscii(name)) {
        return CaseFold(name);
    }
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

enum class LineKind { Blank, Comment, Section, Key, Other };

// One line of the file: offsets into the whole file's bytes.
struct Line {
    std::size_t begin = 0;
    std::size_t contentEnd = 0; // where the line break starts
    std::size_t end = 0;        // after the line break
    LineKind kind = LineKind::Blank;
    std::string name;            // section or key name (UTF-8, trimmed)
    std::size_t afterEquals = 0; // key lines: the byte after "="
    std::size_t valueBegin = 0;  // key lines: the value's first byte after the blanks following "="
};

// The parsed file: its encoding and its lines. CR LF, LF and a lone CR all end a line; none of those
// bytes can be part of a double-byte character, so splitting the raw bytes is safe.
class IniDocument {
public:
    explicit IniDocument(std::string_view bytes) : m_Bytes(bytes) {
        std::size_t pos = 0;
        if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
            m_Utf8 = true;
            pos = kUtf8Bom.size();
        }
        while (pos < bytes.size()) {
            Line line;
            line.begin = pos;
            while (pos < bytes.size() && bytes[pos] != '\r' && bytes[pos] != '\n') {
                ++pos;
            }
            line.contentEnd = pos;
            if (pos < bytes.size()) {
                pos += (bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n') ? 2 : 1;
            }
            line.end = pos;
            Classify(line);
            m_Lines.push_back(std::move(line));
        }
    }

    bool IsUtf8() const { return m_Utf8; }
    const std::vector<Line>& Lines() const { return m_Lines; }

    std::string ToText(std::string_view bytes) const {
        return m_Utf8 || IsAscii(bytes) ? std::string(bytes) : AnsiToUtf8(bytes);
    }
    std::string ToBytes(std::string_view text) const { return m_Utf8 ? std::string(text) : Utf8ToAnsi(text); }
    /// True when `text` reads back from this file's encoding as itself.
    bool Holds(std::string_view text) const { return m_Utf8 || IsAscii(text) || ToText(ToBytes(text)) == text; }

    /// Index of the first section header named `foldedSection`, or npos.
    std::size_t FindSection(const std::string& foldedSection) const {
        for (std::size_t i = 0; i < m_Lines.size(); ++i) {
            if (m_Lines[i].kind == LineKind::Section && FoldName(m_Lines[i].name) == foldedSection) {
                return i;
            }
        }
        return std::string::npos;
    }

    /// Index of the line after the last line of the section whose header is at `header`.
    std::size_t SectionEnd(std::size_t header) const {
        std::size_t i = header + 1;
        while (i < m_Lines.size() && m_Lines[i].kind != LineKind::Section) {
            ++i;
        }
        return i;
    }

    /// Index of the first key line named `foldedKey` in the section at `header`, or npos.
    std::size_t FindKey(std::size_t header, const std::string& foldedKey) const {
        const std::size_t end = SectionEnd(header);
        for (std::size_t i = header + 1; i < end; ++i) {
            if (m_Lines[i].kind == LineKind::Key && FoldName(m_Lines[i].name) == foldedKey) {
                return i;
            }
        }
        return std::string::npos;
    }

    /// The value of the key line `index` as text: blanks removed, then one pair of matching quotes.
    std::string Value(std::size_t index) const {
        const Line& line = m_Lines[index];
        std::string_view raw = TrimBlanks(m_Bytes.substr(line.valueBegin, line.contentEnd - line.valueBegin));
        if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front()) {
            raw = raw.substr(1, raw.size() - 2);
        }
        return ToText(raw);
    }

private:
    void Classify(Line& line) const {
        std::string_view content = m_Bytes.substr(line.begin, line.contentEnd - line.begin);
        const std::string_view trimmed = TrimBlanks(content);
        if (trimmed.empty()) {
            line.kind = LineKind::Blank;
        } else if (trimmed.front() == ';') {
            line.kind = LineKind::Comment;
        } else if (trimmed.front() == '[') {
            // "]" can be the second byte of a double-byte character: look for it in the decoded text.
            const std::string text = ToText(trimmed);
            const std::size_t close = text.rfind(']');
            if (close == std::string::npos || close == 0) {
                line.kind = LineKind::Other;
            } else {
                line.kind = LineKind::Section;
                line.name = std::string(TrimBlanks(std::string_view(text).substr(1, close - 1)));
            }
        } else if (const std::size_t equals = content.find('='); equals != std::string_view::npos) {
            // "=" is never part of a double-byte character, so the raw bytes can be split at it.
            line.kind = LineKind::Key;
            line.name = ToText(TrimBlanks(content.substr(0, equals)));
            line.afterEquals = line.begin + equals + 1;
            std::size_t valueBegin = line.afterEquals;
            while (valueBegin < line.contentEnd && IsBlank(m_Bytes[valueBegin])) {
                ++valueBegin;
            }
            line.valueBegin = valueBegin;
        } else {
            line.kind = LineKind::Other;
        }
    }

    std::string_view m_Bytes;
    bool m_Utf8 = false;
    std::vector<Line> m_Lines;
};

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Names and values that could not be read back as written are refused rather than stored.
bool CanStore(std::string_view section, std::string_view key, std::string_view value) {
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) {
        return false;
    }
    if (section.find(']') != std::string_view::npos) {
        return false;
    }
    return key.find('=') == std::string_view::npos && key.front() != '[' && key.front() != ';';
}

// A file with a UTF-16 byte-order mark: its UTF-8 form with the UTF-8 mark, so the editing below treats it as
// UTF-8 throughout and no code-page byte ever gets into it; nothing for any other file.
std::optional<std::string> Utf16AsUtf8(std::string_view bytes) {
    const std::optional<ByteOrderMark> mark = FindByteOrderMark(bytes);
    if (!mark || mark->encoding == TextEncoding::Utf8) {
        return std::nullopt;
    }
    return std::string(kUtf8Bom) + DecodeText(bytes.substr(mark->length), mark->encoding);
}

// The edited UTF-8 form back in the UTF-16 byte order of `original`, with its mark.
std::string BackToUtf16(std::string_view utf8, std::string_view original) {
    const bool bigEndian = FindByteOrderMark(original)->encoding == TextEncoding::Utf16BE;
    return std::string(original.substr(0, 2)) + EncodeUtf16(utf8.substr(kUtf8Bom.size()), bigEndian);
}

// Default values lose their trailing spaces, as the Windows function does with them.
std::string_view TrimTrailingSpaces(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::optional<std::string> FindProfileValue(std::string_view fileBytes, std::string_view section,
                                            std::string_view key) {
    if (const std::optional<std::string> utf8 = Utf16AsUtf8(fileBytes)) {
        return FindProfileValue(*utf8, section, key);
    }
    const std::string_view wantedSection = TrimBlanks(UpToNul(section));
    const std::string_view wantedKey = TrimBlanks(UpToNul(key));
    if (wantedSection.empty() || wantedKey.empty()) {
        return std::nullopt;
    }
    const IniDocument document(fileBytes);
    const std::size_t header = document.FindSection(FoldName(wantedSection));
    if (header == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t line = document.FindKey(header, FoldName(wantedKey));
    if (line == std::string::npos) {
        return std::nullopt;
    }
    return document.Value(line);
}

std::optional<std::string> SetProfileValue(std::string_view fileBytes, std::string_view section, std::string_view key,
                                           std::string_view value) {
    if (const std::optional<std::string> utf8 = Utf16AsUtf8(fileBytes)) {
        // UTF-16 holds every character, but not bytes that are no UTF-8: such a name would be written as
        // another one and never found again.
        const auto keeps = [](std::string_view name) {
            return DecodeText(EncodeUtf16(name, false), TextEncoding::Utf16LE) == name;
        };
        if (!keeps(TrimBlanks(UpToNul(section))) || !keeps(TrimBlanks(UpToNul(key)))) {
            return std::nullopt;
        }
        // A file that is not well-formed UTF-16 would come back changed beyond the edited line: left alone.
        if (BackToUtf16(*utf8, fileBytes) != fileBytes) {
            return std::nullopt;
        }
        const std::optional<std::string> edited = SetProfileValue(*utf8, section, key, value);
        return edited ? std::optional<std::string>(BackToUtf16(*edited, fileBytes)) : std::nullopt;
    }
    const std::string_view newSection = TrimBlanks(UpToNul(section));
    const std::string_view newKey = TrimBlanks(UpToNul(key));
    const std::string_view newValue = UpToNul(value);
    if (!CanStore(newSection, newKey, newValue)) {
        return std::nullopt;
    }
    const IniDocument document(fileBytes);
    // A name written as another one ("?" for what the code page lacks) could never be found again, and each
    // write would add it anew.
    if (!document.Holds(newSection) || !document.Holds(newKey)) {
        return std::nullopt;
    }
    const std::vector<Line>& lines = document.Lines();
    std::string result;
    result.reserve(fileBytes.size() + newSection.size() + newKey.size() + newValue.size() + 8);

    const std::size_t header = document.FindSection(FoldName(newSection));
    if (header == std::string::npos) {
        result.append(fileBytes);
        if (!result.empty() && result != kUtf8Bom && result.back() != '\r' && result.back() != '\n') {
            result += kLineBreak;
        }
        result += '[';
        result += document.ToBytes(newSection);
        result += ']';
        result += kLineBreak;
        result += document.ToBytes(newKey);
        result += '=';
        result += document.ToBytes(newValue);
        result += kLineBreak;
        return result;
    }

    const std::size_t keyLine = document.FindKey(header, FoldName(newKey));
    if (keyLine != std::string::npos) {
        // Only the old value goes; the key's spelling, its indentation and the line break stay, and so do the
        // blanks after "=" unless the new value brings its own: keeping both would add blanks on every write.
        const Line& line = lines[keyLine];
        const bool ownBlanks = !newValue.empty() && IsBlank(newValue.front());
        result.append(fileBytes.substr(0, ownBlanks ? line.afterEquals : line.valueBegin));
        result += document.ToBytes(newValue);
        result.append(fileBytes.substr(line.contentEnd));
        return result;
    }

    // A new key goes after the section's last entry, before the blank lines and comments that lead
    // into the next section.
    std::size_t after = header;
    const std::size_t end = document.SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines[i].kind != LineKind::Blank && lines[i].kind != LineKind::Comment) {
            after = i;
        }
    }
    const Line& anchor = lines[after];
    result.append(fileBytes.substr(0, anchor.end));
    if (anchor.end == anchor.contentEnd) {
        result += kLineBreak; // the last line of the file had no line break
    }
    result += document.ToBytes(newKey);
    result += '=';
    result += document.ToBytes(newValue);
    result += kLineBreak;
    result.append(fileBytes.substr(anchor.end));
    return result;
}

std::string CutToAnsiBytes(std::string_view text, std::size_t maxBytes) {
    // No character takes more bytes in the ANSI code page than in UTF-8.
    if (text.size() <= maxBytes) {
        return std::string(text);
    }
    std::size_t used = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t cp = NextCodePoint(text, pos);
        const std::size_t width = cp < 0x80 ? 1 : Utf8ToAnsi(text.substr(start, pos - start)).size();
        if (used + width > maxBytes) {
            return std::string(text.substr(0, start));
        }
        used += width;
    }
    return std::string(text);
}

std::string PortableGetProfileText(std::string_view section, std::string_view key, std::string_view defaultValue,
                                   const std::string& path, std::size_t bufferSize) {
    std::optional<std::string> value;
    const ProfileFile file = ReadProfileFile(path);
    if (file.readable) {
        value = FindProfileValue(file.bytes, section, key);
    }
    const std::string text = value ? *value : std::string(TrimTrailingSpaces(UpToNul(defaultValue)));
    if (bufferSize == 0) {
        return {};
    }
    return CutToAnsiBytes(UpToNul(text), bufferSize - 1);
}

bool PortableWriteProfileText(std::string_view section, std::string_view key, std::string_view value,
                              const std::string& path) {
    const ProfileFile file = ReadProfileFile(path);
    if (file.exists && !file.readable) {
        return false; // writing without the old contents would lose them
    }
    const std::optional<std::string> bytes = SetProfileValue(file.bytes, section, key, value);
    if (!bytes) {
        return false;
    }
    if (file.exists && *bytes == file.bytes) {
        return true;
    }
    return SaveProfileFile(path, *bytes);
}
