// Code page conversion through glibc iconv: lists in the field come from Japanese Windows systems.
#include "util/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace {

constexpr const char* kAnsiCodePage = "CP932";

// Owns one iconv descriptor.
class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : m_Handle(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) {
            iconv_close(m_Handle);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return m_Handle != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_Handle; }

private:
    iconv_t m_Handle;
};

// Runs iconv over the whole input; on an invalid, incomplete or unmappable sequence appends `replacement`,
// skips the offending byte (or UTF-8 character) and carries on.
std::string Convert(std::string_view input, std::string_view replacement, bool inputIsUtf8) {
    std::string out;
    if (input.empty()) {
        return out;
    }
    // One descriptor per thread and direction, reset before each use: opening one costs more than converting
    // a line of text.
    thread_local IconvHandle toUtf8("UTF-8", kAnsiCodePage);
    thread_local IconvHandle toAnsi(kAnsiCodePage, "UTF-8");
    IconvHandle& cd = inputIsUtf8 ? toAnsi : toUtf8;
    if (!cd.valid()) {
        // Without the converter the best we can do is keep ASCII and mark everything else.
        for (unsigned char c : input) {
            out += c < 0x80 ? std::string(1, static_cast<char>(c)) : std::string(replacement);
        }
        return out;
    }
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    out.resize(input.size() * 3 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    size_t used = 0;
    while (inLeft > 0) {
        if (out.size() - used < 16) {
            out.resize(out.size() * 2);
        }
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        size_t rc = iconv(cd.get(), &in, &inLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (rc != static_cast<size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else {
            // EILSEQ or EINVAL: mark the offending byte and go on after it.
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            size_t skip = 1;
            if (inputIsUtf8) {
                // One mark per character, not per byte: skip the continuation bytes too.
                while (skip < inLeft && skip < 4 && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) {
                    ++skip;
                }
            }
            in += skip;
            inLeft -= skip;
            iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    out.resize(used);
    return out;
}

} // namespace

std::string AnsiToUtf8(std::string_view bytes) {
    // Code page 932 holds ASCII as it is.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(bytes);
    }
    return Convert(bytes, "\xEF\xBF\xBD", false);
}

std::string Utf8ToAnsi(std::string_view text) {
    // "//TRANSLIT" would give look-alikes; the Windows conversion gives "?" for what it cannot map.
    return Convert(text, "?", true);
}
