#include "config/clsThemeDefine.h"

#include "config/ConfigValues.h"
#include "config/ThemeImagePath.h"

#include <optional>

namespace {

// A text key: stored trimmed, and only when something is left.
void ReadText(const std::string& fileName, std::string_view section, std::string_view key, std::string& field) {
    const std::string value = ReadIniString(fileName, section, key);
    const std::string_view trimmed = TrimSpaces(value);
    if (!trimmed.empty()) {
        field = std::string(trimmed);
    }
}

// A colour key: false when the value is not a colour.
bool ReadColor(const std::string& fileName, std::string_view section, std::string_view key, std::int32_t& field) {
    const std::string value = ReadIniString(fileName, section, key);
    const std::string_view trimmed = TrimSpaces(value);
    if (trimmed.empty()) {
        return true;
    }
    const std::optional<std::int32_t> color = ParseColor(trimmed);
    if (!color) {
        return false;
    }
    field = *color;
    return true;
}

} // namespace

clsThemeDefine::clsThemeDefine() {
    InitTheme();
}

std::string clsThemeDefine::DropBoxImage() const {
    return ResolveImage(m_DropBoxImage);
}

std::string clsThemeDefine::DropBoxImageBusy() const {
    return ResolveImage(m_DropBoxImageBusy);
}

std::string clsThemeDefine::WindowImage() const {
    return ResolveImage(m_WindowImage);
}

std::string clsThemeDefine::ResolveImage(const std::string& value) const {
    return ResolveThemeImagePath(value, m_FileName);
}

void clsThemeDefine::InitTheme() {
    m_FileName.clear();
    m_Copyright.clear();
    m_DropBoxBackColor = ThemeColor::WindowBackground;
    m_DropBoxImage.clear();
    m_DropBoxImageBusy.clear();
    m_LogBoxBackColor = ThemeColor::WindowBackground;
    m_LogBoxForeColor = ThemeColor::WindowText;
    m_Title.clear();
    m_Version = "1.00";
    m_WindowBackColor = ThemeColor::ButtonFace;
    m_WindowImage.clear();
}

void clsThemeDefine::LoadTheme(const std::string& fileName) {
    InitTheme();
    const auto readAll = [&]() {
        ReadText(fileName, "General", "Copyright", m_Copyright);
        ReadText(fileName, "General", "Title", m_Title);
        ReadText(fileName, "General", "Version", m_Version);
        if (!ReadColor(fileName, "DropBox", "BackColor", m_DropBoxBackColor)) {
            return false;
        }
        ReadText(fileName, "DropBox", "Image", m_DropBoxImage);
        ReadText(fileName, "DropBox", "ImageBusy", m_DropBoxImageBusy);
        if (!ReadColor(fileName, "LogBox", "BackColor", m_LogBoxBackColor) ||
            !ReadColor(fileName, "LogBox", "ForeColor", m_LogBoxForeColor) ||
            !ReadColor(fileName, "Window", "BackColor", m_WindowBackColor)) {
            return false;
        }
        ReadText(fileName, "Window", "Image", m_WindowImage);
        return true;
    };
    bool loaded = false;
    try {
        loaded = readAll();
    } catch (...) {
        // A theme that cannot be read is no theme: the built-in look, whatever went wrong.
    }
    if (!loaded) {
        InitTheme();
        return;
    }
    m_FileName = fileName;
}
