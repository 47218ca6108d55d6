// The user's preferences (window places, log window, always-on-top, theme, files read at once) and their INI
// file.
#pragma once

#include <optional>
#include <string>
#include <utility>

class clsSettings {
public:
    /// `executablePath` is the full path of the running program; the settings file lies beside it
    /// (same folder, same base name, ".ini"). An empty path means no settings file: loading gives the
    /// defaults and saving writes nothing. The ratios convert window places between the twips held
    /// here and the pixels in the file (horizontal for lefts and widths, vertical for tops and heights).
    explicit clsSettings(std::string executablePath = {}, double twipsPerPixelX = 15.0, double twipsPerPixelY = 15.0);

    /// Computes the settings file path and puts every setting back to its default.
    void InitSettings();
    /// Starts from the defaults and reads the settings file; a bad value anywhere leaves every setting
    /// at its default, but for Readers, which is read on its own. Never fails.
    void LoadSettings();

    /// Log window place and size in twips; a width or height of 0 means "never saved".
    float LogWindowHeight() const { return m_LogWindowHeight; }
    void setLogWindowHeight(float value) { m_LogWindowHeight = value; }
    float LogWindowLeft() const { return m_LogWindowLeft; }
    void setLogWindowLeft(float value) { m_LogWindowLeft = value; }
    float LogWindowTop() const { return m_LogWindowTop; }
    void setLogWindowTop(float value) { m_LogWindowTop = value; }
    float LogWindowWidth() const { return m_LogWindowWidth; }
    void setLogWindowWidth(float value) { m_LogWindowWidth = value; }

    /// Writes all nine settings into section [Settings] of the settings file, keeping everything else
    /// in it; a missing folder for the file is made first. A location that cannot be written loses the
    /// settings silently and leaves the file there was whole.
    void SaveSettings();

    /// Files read at once from each disc, 1 to 64; 0 (the default, and what any other value reads as):
    /// chosen by how the disc seeks. Set by hand in the file, and never written: saving keeps the line.
    unsigned Readers() const { return m_Readers; }

    bool ShowLogWindow() const { return m_ShowLogWindow; }
    void setShowLogWindow(bool value) { m_ShowLogWindow = value; }
    /// Base name of the chosen theme file; "" for the built-in look.
    const std::string& ThemeName() const { return m_ThemeName; }
    void setThemeName(const std::string& value) { m_ThemeName = value; }
    /// Main window place in twips.
    float WindowLeft() const { return m_WindowLeft; }
    void setWindowLeft(float value) { m_WindowLeft = value; }
    float WindowTop() const { return m_WindowTop; }
    void setWindowTop(float value) { m_WindowTop = value; }
    bool WindowTopMost() const { return m_WindowTopMost; }
    void setWindowTopMost(bool value) { m_WindowTopMost = value; }

    /// The executable path the settings file is derived from; takes effect at the next InitSettings
    /// or LoadSettings.
    const std::string& ExecutablePath() const { return m_ExecutablePath; }
    void setExecutablePath(const std::string& value) { m_ExecutablePath = value; }
    /// The screen's twips-per-pixel ratios used by LoadSettings and SaveSettings.
    double TwipsPerPixelX() const { return m_TwipsPerPixelX; }
    double TwipsPerPixelY() const { return m_TwipsPerPixelY; }
    void setTwipsPerPixel(double x, double y) {
        m_TwipsPerPixelX = x;
        m_TwipsPerPixelY = y;
    }
    /// Keeps the settings in `path` ("" for nowhere) instead of beside the executable: where an installed
    /// copy keeps them (FileLocations). Takes effect at the next InitSettings or LoadSettings.
    void setSettingsFile(std::string path) { m_SettingsFile = std::move(path); }
    /// Full path of the settings file as InitSettings computed it; "" without an executable path.
    const std::string& SettingsFilePath() const { return m_FileName; }

private:
    std::string m_ExecutablePath;
    std::optional<std::string> m_SettingsFile;
    double m_TwipsPerPixelX = 15.0;
    double m_TwipsPerPixelY = 15.0;

    std::string m_FileName;
    float m_LogWindowLeft = 0.0f;
    float m_LogWindowTop = 0.0f;
    float m_LogWindowWidth = 0.0f;
    float m_LogWindowHeight = 0.0f;
    bool m_ShowLogWindow = false;
    std::string m_ThemeName;
    float m_WindowLeft = 0.0f;
    float m_WindowTop = 0.0f;
    bool m_WindowTopMost = false;
    unsigned m_Readers = 0;
};
