// The example themes as the program reads them: copied by ferrule_copy_themes() into theme/ beside
// this test, loaded with clsThemeDefine, their pictures opened with Qt's picture loader.
#include "config/clsThemeDefine.h"

#include <QColor>
#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace {

const std::string ThemeFolder = FERRULE_TEST_THEME_DIR;

QColor FromThemeColor(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return QColor(static_cast<int>(bits & 0xFFu), static_cast<int>((bits >> 8) & 0xFFu),
                  static_cast<int>((bits >> 16) & 0xFFu));
}

// Relative luminance and contrast ratio as the accessibility guidelines define them.
double Luminance(const QColor& c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The hue most of the clearly coloured pixels share, in steps of 30 degrees.
int DominantHue(const QImage& image) {
    int counts[12] = {};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y).toHsv();
            if (c.hsvSaturationF() >= 0.4f && c.valueF() >= 0.3f) {
                ++counts[((c.hsvHue() + 15) / 30) % 12];
            }
        }
    }
    return static_cast<int>(std::max_element(std::begin(counts), std::end(counts)) - std::begin(counts)) * 30;
}

struct ThemeRow {
    const char* name;
    bool dark; // light text on a dark log box
};

class ExampleTheme : public ::testing::TestWithParam<ThemeRow> {
protected:
    void SetUp() override { m_Theme.LoadTheme(ThemeFolder + "/" + GetParam().name + ".ini"); }

    clsThemeDefine m_Theme;
};

} // namespace

TEST_P(ExampleTheme, LoadsWithEveryColourValid) {
    // A colour the loader cannot read would have emptied FileName.
    EXPECT_EQ(m_Theme.FileName(), ThemeFolder + "/" + GetParam().name + ".ini");
    EXPECT_EQ(m_Theme.Title(), GetParam().name);
    EXPECT_FALSE(m_Theme.Copyright().empty());
}

TEST_P(ExampleTheme, PicturesLieBesideTheThemeAndLoad) {
    const struct {
        std::string path;
        QSize size;
    } pictures[] = {{m_Theme.DropBoxImage(), QSize(128, 128)},
                    {m_Theme.DropBoxImageBusy(), QSize(128, 128)},
                    {m_Theme.WindowImage(), QSize(312, 144)}};
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.path);
        ASSERT_EQ(picture.path.rfind(ThemeFolder + "/", 0), 0u);
        const QImage image(QString::fromStdString(picture.path));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), picture.size);
        EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    }
}

TEST_P(ExampleTheme, DropBoxColourMatchesThePictureGround) {
    const QImage idle(QString::fromStdString(m_Theme.DropBoxImage()));
    ASSERT_FALSE(idle.isNull());
    EXPECT_EQ(idle.pixelColor(0, 0), FromThemeColor(m_Theme.DropBoxBackColor()));
}

TEST_P(ExampleTheme, LogTextIsEasyToRead) {
    const QColor back = FromThemeColor(m_Theme.LogBoxBackColor());
    const QColor fore = FromThemeColor(m_Theme.LogBoxForeColor());
    EXPECT_GE(Contrast(back, fore), 7.0);
    EXPECT_EQ(Luminance(back) < Luminance(fore), GetParam().dark);
}

TEST_P(ExampleTheme, BusyBallHasAnotherHue) {
    const int idle = DominantHue(QImage(QString::fromStdString(m_Theme.DropBoxImage())));
    const int busy = DominantHue(QImage(QString::fromStdString(m_Theme.DropBoxImageBusy())));
    const int apart = std::abs(idle - busy);
    EXPECT_GE(std::min(apart, 360 - apart), 60);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTheme, ::testing::Values(ThemeRow{"Green", false}, ThemeRow{"Dark", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExampleThemes, FolderHoldsOnlyTheThemesAndTheirPictures) {
    std::set<std::string> named;
    for (const char* name : {"Green", "Dark"}) {
        clsThemeDefine theme;
        theme.LoadTheme(ThemeFolder + "/" + name + ".ini");
        named.insert(theme.FileName());
        named.insert(theme.DropBoxImage());
        named.insert(theme.DropBoxImageBusy());
        named.insert(theme.WindowImage());
    }
    std::set<std::string> present;
    const QDir folder(QString::fromStdString(ThemeFolder));
    for (const QString& entry : folder.entryList(QDir::Files)) {
        present.insert(ThemeFolder + "/" + entry.toStdString());
    }
    EXPECT_EQ(present, named);
}
