// One theme of the main window: colours, drop box pictures and background picture, read from a theme file.
#pragma once

#include <cstdint>
#include <string>

/// Colours are 0x00BBGGRR for RGB or 0x800000nn for Windows system colour nn, as signed 32-bit values.
namespace ThemeColor {
inline constexpr std::int32_t WindowBackground = static_cast<std::int32_t>(0x80000005u); // -2147483643
inline constexpr std::int32_t WindowText = static_cast<std::int32_t>(0x80000008u);       // -2147483640
inline constexpr std::int32_t ButtonFace = static_cast<std::int32_t>(0x8000000Fu);       // -2147483633
} // namespace ThemeColor

class clsThemeDefine {
public:
    clsThemeDefine();

    const std::string& Copyright() const { return m_Copyright; }
    std::int32_t DropBoxBackColor() const { return m_DropBoxBackColor; }
    /// Picture paths resolve on every read: absolute paths as written, relative ones against the folder
    /// of FileName; "" when the theme names no picture.
    std::string DropBoxImage() const;
    std::string DropBoxImageBusy() const;
    /// The theme file's path after a successful load; "" for the built-in look or after a failed load.
    const std::string& FileName() const { return m_FileName; }

    /// Puts every property back to the built-in look and empties FileName.
    void InitTheme();
    /// Replaces the whole theme with the file `fileName`. A missing file gives the built-in look but
    /// counts as loaded; a bad colour value gives the built-in look with FileName "". Never fails.
    void LoadTheme(const std::string& fileName);

    std::int32_t LogBoxBackColor() const { return m_LogBoxBackColor; }
    std::int32_t LogBoxForeColor() const { return m_LogBoxForeColor; }
    const std::string& Title() const { return m_Title; }
    const std::string& Version() const { return m_Version; }
    std::int32_t WindowBackColor() const { return m_WindowBackColor; }
    std::string WindowImage() const;

private:
    std::string ResolveImage(const std::string& value) const;

    std::string m_FileName;
    std::string m_Copyright;
    std::int32_t m_DropBoxBackColor = ThemeColor::WindowBackground;
    std::string m_DropBoxImage;
    std::string m_DropBoxImageBusy;
    std::int32_t m_LogBoxBackColor = ThemeColor::WindowBackground;
    std::int32_t m_LogBoxForeColor = ThemeColor::WindowText;
    std::string m_Title;
    std::string m_Version = "1.00";
    std::int32_t m_WindowBackColor = ThemeColor::ButtonFace;
    std::string m_WindowImage;
};
