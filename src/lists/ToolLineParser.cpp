#include "lists/ToolLineParser.h"

#include "lists/clsDigestListItem.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The leading blanks and the escape mark: what follows them, and whether the name is escaped.
std::string_view AfterEscapeMark(std::string_view line, bool& escaped) {
    while (!line.empty() && IsBlank(line.front())) {
        line.remove_prefix(1);
    }
    escaped = !line.empty() && line.front() == '\\';
    if (escaped) {
        line.remove_prefix(1);
    }
    return line;
}

// The name as the tool meant it; std::nullopt when it cannot be one.
std::optional<std::string> ToolName(std::string_view written, bool escaped) {
    std::optional<std::string> name = escaped ? UnescapeToolName(written) : std::string(written);
    if (!name || !IsRelativeToolName(*name)) {
        return std::nullopt;
    }
    return name;
}

struct Tag {
    std::string_view text;
    DigestKind kind;
};

constexpr Tag kTags[] = {
    {"MD5", DigestKind::MD5},         {"SHA1", DigestKind::SHA1},       {"SHA224", DigestKind::SHA224},
    {"SHA256", DigestKind::SHA256},   {"SHA384", DigestKind::SHA384},   {"SHA512", DigestKind::SHA512},
    {"SHA2-224", DigestKind::SHA224}, {"SHA2-256", DigestKind::SHA256}, {"SHA2-384", DigestKind::SHA384},
    {"SHA2-512", DigestKind::SHA512}, {"CRC32", DigestKind::CRC32},
};

} // namespace

std::optional<std::string> UnescapeToolName(std::string_view name) {
    std::string plain;
    plain.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '\\') {
            plain += name[i];
            continue;
        }
        if (++i == name.size()) {
            return std::nullopt;
        }
        switch (name[i]) {
            case '\\':
                plain += '\\';
                break;
            case 'n':
                plain += '\n';
                break;
            case 'r':
                plain += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return plain;
}

bool IsRelativeToolName(std::string_view name) {
    if (name.empty() || name.find('\0') != std::string_view::npos || name.front() == '/' || name.front() == '\\') {
        return false;
    }
    const bool drive = name.size() >= 2 && name[1] == ':' &&
                       ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    return !drive;
}

std::optional<ToolLineFields> ParseCoreutilsLine(std::string_view line) {
    bool escaped = false;
    line = AfterEscapeMark(line, escaped);
    std::size_t digits = 0;
    while (digits < line.size() && IsHexDigit(line[digits])) {
        ++digits;
    }
    const DigestKind kind = DigestKindOfWidth(digits);
    if (kind == DigestKind::None || kind == DigestKind::CRC16 || line.size() < digits + 3 || !IsBlank(line[digits]) ||
        (line[digits + 1] != ' ' && line[digits + 1] != '*')) {
        return std::nullopt;
    }
    std::optional<std::string> name = ToolName(line.substr(digits + 2), escaped);
    if (!name) {
        return std::nullopt;
    }
    return ToolLineFields{std::move(*name), line.substr(0, digits), kind};
}

std::optional<ToolLineFields> ParseBsdTagLine(std::string_view line) {
    bool escaped = false;
    line = AfterEscapeMark(line, escaped);
    if (line.empty() || (line.front() != 'M' && line.front() != 'S' && line.front() != 'C')) {
        return std::nullopt; // no tag starts otherwise, and most lines are no tag lines
    }
    DigestKind kind = DigestKind::None;
    for (const Tag& tag : kTags) {
        if (line.starts_with(tag.text)) {
            std::size_t open = tag.text.size();
            while (open < line.size() && line[open] == ' ') {
                ++open;
            }
            if (open < line.size() && line[open] == '(') {
                kind = tag.kind;
                line.remove_prefix(open + 1);
                break;
            }
        }
    }
    const std::size_t close = line.rfind(')');
    if (kind == DigestKind::None || close == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = line.substr(close + 1);
    while (!rest.empty() && IsBlank(rest.front())) {
        rest.remove_prefix(1);
    }
    if (rest.empty() || rest.front() != '=') {
        return std::nullopt;
    }
    rest.remove_prefix(1);
    while (!rest.empty() && IsBlank(rest.front())) {
        rest.remove_prefix(1);
    }
    while (!rest.empty() && IsBlank(rest.back())) {
        rest.remove_suffix(1);
    }
    if (rest.size() != DigestKindWidth(kind)) {
        return std::nullopt;
    }
    for (const char c : rest) {
        if (!IsHexDigit(c)) {
            return std::nullopt;
        }
    }
    std::optional<std::string> name = ToolName(line.substr(0, close), escaped);
    if (!name) {
        return std::nullopt;
    }
    return ToolLineFields{std::move(*name), rest, kind};
}
