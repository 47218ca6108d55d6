#include "lists/clsSingleDigestScanner.h"

namespace {

// The longest digest a list can hold: SHA-512 in hex.
constexpr std::size_t kLongestDigest = 128;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

} // namespace

void clsSingleDigestScanner::Feed(const TextLine& line) {
    if (m_TooMuch) {
        return;
    }
    if (line.overlong) {
        m_TooMuch = !line.blank;
        return;
    }
    std::string_view text = line.text;
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return;
    }
    bool inside = false;
    for (const char c : text) {
        inside = inside || IsBlank(c);
    }
    if (m_Seen || inside || text.size() > kLongestDigest) {
        m_TooMuch = true;
        return;
    }
    m_Seen = true;
    m_Token.assign(text);
}

std::optional<std::string_view> clsSingleDigestScanner::Token() const {
    if (!m_Seen || m_TooMuch) {
        return std::nullopt;
    }
    return std::string_view(m_Token);
}
