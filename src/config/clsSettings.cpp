#include "config/clsSettings.h"

#include "config/ConfigValues.h"
#include "config/FileLocations.h"
#include "util/FileSystem.h"
#include "util/PathHelpers.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace {

constexpr std::string_view kSection = "Settings";

// A window position in the file: pixels, read into twips. Empty keeps the default; false for a bad value.
bool ReadPosition(const std::string& fileName, std::string_view key, double twipsPerPixel, float& field) {
    const std::string value = ReadIniString(fileName, kSection, key);
    const std::string_view trimmed = TrimSpaces(value);
    if (trimmed.empty()) {
        return true;
    }
    const std::optional<std::int32_t> pixels = ParseInteger(trimmed);
    if (!pixels) {
        return false;
    }
    field = static_cast<float>(*pixels * twipsPerPixel);
    return true;
}

bool ReadFlag(const std::string& fileName, std::string_view key, bool& field) {
    const std::string value = ReadIniString(fileName, kSection, key);
    const std::string_view trimmed = TrimSpaces(value);
    if (trimmed.empty()) {
        return true;
    }
    const std::optional<bool> flag = ParseFlag(trimmed);
    if (!flag) {
        return false;
    }
    field = *flag;
    return true;
}

// Files read at once from each disc: 1 to 64, or 0 (by how the disc seeks) for anything else, so that a
// value set by hand never costs the window its places.
unsigned ReadReaders(const std::string& fileName) {
    constexpr std::int32_t kMostReaders = 64;
    const std::string value = ReadIniString(fileName, kSection, "Readers");
    const std::optional<std::int32_t> readers = ParseInteger(TrimSpaces(value));
    return readers && *readers >= 1 && *readers <= kMostReaders ? static_cast<unsigned>(*readers) : 0;
}

// Twips back to pixels: both sides rounded first, then a division that truncates toward zero.
std::string PositionText(float twips, double twipsPerPixel) {
    const std::int64_t numerator = RoundToInt32(twips);
    std::int64_t denominator = RoundToInt32(twipsPerPixel);
    if (denominator == 0) {
        denominator = 1; // a ratio below half a twip per pixel is no screen; don't divide by zero
    }
    return std::to_string(numerator / denominator);
}

} // namespace

clsSettings::clsSettings(std::string executablePath, double twipsPerPixelX, double twipsPerPixelY)
    : m_ExecutablePath(std::move(executablePath)), m_TwipsPerPixelX(twipsPerPixelX), m_TwipsPerPixelY(twipsPerPixelY) {
    InitSettings();
}

void clsSettings::InitSettings() {
    if (m_SettingsFile) {
        m_FileName = *m_SettingsFile;
    } else {
        LocationFacts portable;
        portable.executablePath = m_ExecutablePath;
        m_FileName = DecideFileLocations(portable).settingsFile;
    }
    m_LogWindowLeft = 0.0f;
    m_LogWindowTop = 0.0f;
    m_LogWindowWidth = 0.0f;
    m_LogWindowHeight = 0.0f;
    m_ShowLogWindow = false;
    m_ThemeName.clear();
    m_WindowLeft = 0.0f;
    m_WindowTop = 0.0f;
    m_WindowTopMost = false;
    m_Readers = 0;
}

void clsSettings::LoadSettings() {
    InitSettings();
    if (m_FileName.empty()) {
        return;
    }
    const auto readAll = [&]() {
        if (!ReadPosition(m_FileName, "LogWindowLeft", m_TwipsPerPixelX, m_LogWindowLeft) ||
            !ReadPosition(m_FileName, "LogWindowTop", m_TwipsPerPixelY, m_LogWindowTop) ||
            !ReadPosition(m_FileName, "LogWindowWidth", m_TwipsPerPixelX, m_LogWindowWidth) ||
            !ReadPosition(m_FileName, "LogWindowHeight", m_TwipsPerPixelY, m_LogWindowHeight) ||
            !ReadFlag(m_FileName, "ShowLogWindow", m_ShowLogWindow)) {
            return false;
        }
        const std::string themeName = ReadIniString(m_FileName, kSection, "ThemeName");
        if (const std::string_view trimmed = TrimSpaces(themeName); !trimmed.empty()) {
            m_ThemeName = std::string(trimmed);
        }
        return ReadPosition(m_FileName, "WindowLeft", m_TwipsPerPixelX, m_WindowLeft) &&
               ReadPosition(m_FileName, "WindowTop", m_TwipsPerPixelY, m_WindowTop) &&
               ReadFlag(m_FileName, "WindowTopMost", m_WindowTopMost);
    };
    bool loaded = false;
    try {
        loaded = readAll();
    } catch (...) {
        // Settings that cannot be read are no settings: the defaults, whatever went wrong.
    }
    if (!loaded) {
        InitSettings();
    }
    try {
        m_Readers = ReadReaders(m_FileName);
    } catch (...) {
        m_Readers = 0;
    }
}

void clsSettings::SaveSettings() {
    if (m_FileName.empty()) {
        return;
    }
    // An installed copy's folder under ~/.config appears with its first save.
    if (const std::string folder = GetParentFolder(m_FileName); !folder.empty()) {
        CreateFolders(folder);
    }
    // Alphabetical, so a new file lists the keys in this order. A failed write is not reported: the
    // settings are simply not kept.
    WriteIniString(m_FileName, kSection, "LogWindowHeight", PositionText(m_LogWindowHeight, m_TwipsPerPixelY));
    WriteIniString(m_FileName, kSection, "LogWindowLeft", PositionText(m_LogWindowLeft, m_TwipsPerPixelX));
    WriteIniString(m_FileName, kSection, "LogWindowTop", PositionText(m_LogWindowTop, m_TwipsPerPixelY));
    WriteIniString(m_FileName, kSection, "LogWindowWidth", PositionText(m_LogWindowWidth, m_TwipsPerPixelX));
    WriteIniString(m_FileName, kSection, "ShowLogWindow", m_ShowLogWindow ? "1" : "0");
    WriteIniString(m_FileName, kSection, "ThemeName", m_ThemeName);
    WriteIniString(m_FileName, kSection, "WindowLeft", PositionText(m_WindowLeft, m_TwipsPerPixelX));
    WriteIniString(m_FileName, kSection, "WindowTop", PositionText(m_WindowTop, m_TwipsPerPixelY));
    WriteIniString(m_FileName, kSection, "WindowTopMost", m_WindowTopMost ? "1" : "0");
}
