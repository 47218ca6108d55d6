// The colour values of theme files: the parser on its own, and a whole theme file loaded. The input is the
// theme file; each of its lines (the part after "=" when there is one) is also given to the parser directly.
#include "FuzzSupport.h"

#include "config/ConfigValues.h"
#include "config/clsThemeDefine.h"

#include <cstdint>
#include <cstdio>

namespace {

// Texts made from a colour must read as that colour again, in every form the parser knows.
void CheckColorForms(std::int32_t color) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(color));
    FUZZ_CHECK(ParseColor(text) == color, "0xAARRGGBB reads back");
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(color));
    FUZZ_CHECK(ParseColor(text) == color, "short lower-case hexadecimal reads back");
    FUZZ_CHECK(ParseColor(std::to_string(color)) == color, "a decimal colour reads back");
    if (color >= 0 && color <= 0xFFFFFF) {
        // Held 0x00BBGGRR, written #RRGGBB.
        std::snprintf(text, sizeof text, "#%02X%02X%02X", color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
        FUZZ_CHECK(ParseColor(text) == color, "#RRGGBB reads back");
    }
}

void CheckValue(std::string_view text) {
    const std::optional<std::int32_t> integer = ParseInteger(text);
    const std::optional<std::int32_t> color = ParseColor(text);
    if (integer) {
        // A number starts with a sign, a digit or a point: never one of the colour prefixes.
        FUZZ_CHECK(color == integer, "a number is the same colour");
        FUZZ_CHECK(ParseInteger(std::to_string(*integer)) == integer, "an integer reads back");
        FUZZ_CHECK(ParseFlag(text) == (*integer != 0), "a number is a flag, non-zero true");
    }
    if (color) {
        CheckColorForms(*color);
    }
}

// A loaded theme holds the colours its file gives; a theme that failed to load holds the built-in ones.
void CheckTheme(const clsThemeDefine& theme, const std::string& path) {
    const clsThemeDefine builtIn;
    const bool loaded = theme.FileName() == path;
    FUZZ_CHECK(loaded || theme.FileName().empty(), "FileName is the file or nothing");
    const struct {
        const char* section;
        const char* key;
        std::int32_t value;
        std::int32_t builtIn;
    } colors[] = {
        {"DropBox", "BackColor", theme.DropBoxBackColor(), builtIn.DropBoxBackColor()},
        {"LogBox", "BackColor", theme.LogBoxBackColor(), builtIn.LogBoxBackColor()},
        {"LogBox", "ForeColor", theme.LogBoxForeColor(), builtIn.LogBoxForeColor()},
        {"Window", "BackColor", theme.WindowBackColor(), builtIn.WindowBackColor()},
    };
    for (const auto& c : colors) {
        const std::string text(TrimSpaces(ReadIniString(path, c.section, c.key)));
        if (!loaded || text.empty()) {
            FUZZ_CHECK(c.value == c.builtIn, "the built-in colour without a value");
        } else {
            FUZZ_CHECK(ParseColor(text) == c.value, "the colour the file gives");
        }
    }
    if (!loaded) {
        FUZZ_CHECK(theme.Title().empty() && theme.Copyright().empty() && theme.Version() == builtIn.Version() &&
                       theme.WindowImage().empty() && theme.DropBoxImage().empty(),
                   "a theme that failed to load is the built-in look");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzFolder folder;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0; start <= bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        std::string_view line = bytes.substr(start, end - start);
        if (const std::size_t equals = line.find('='); equals != std::string_view::npos) {
            line.remove_prefix(equals + 1);
        }
        CheckValue(line);
        start = end + 1;
    }

    const std::string path = folder.Write("theme.ini", bytes);
    clsThemeDefine theme;
    theme.LoadTheme(path);
    CheckTheme(theme, path);
    return 0;
}
