// The pictures the program shows, read as it reads them: the drop box pictures compiled into
// ferrule_resources and those of the example themes (copied into theme/ beside this test), the icon, and the
// icon's PNG files for the desktop's icon theme.
#include "config/clsThemeDefine.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

const std::string ThemeFolder = FERRULE_TEST_THEME_DIR;

bool Coloured(const QColor& c) {
    return c.hsvSaturationF() >= 0.4f && c.valueF() >= 0.3f;
}

// The hue most clearly coloured pixels share, to the nearest 30 degrees.
int DominantHue(const QImage& image) {
    int counts[12] = {};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y).toHsv();
            counts[((c.hsvHue() + 15) / 30) % 12] += Coloured(c) ? 1 : 0;
        }
    }
    return static_cast<int>(std::max_element(std::begin(counts), std::end(counts)) - std::begin(counts)) * 30;
}

// A theme's colour 0x00BBGGRR.
QColor FromThemeColor(std::int32_t value) {
    return QColor(value & 0xFF, value >> 8 & 0xFF, value >> 16 & 0xFF);
}

// Relative luminance as the accessibility guidelines define it.
double Luminance(const QColor& c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

struct DropBoxPictures {
    const char* name;
    std::string idle, busy;
    int idleHue, busyHue;
    bool sameDrawing; // in other colours, the digits included
};

class DropBox : public ::testing::TestWithParam<DropBoxPictures> {};

struct ExampleThemeRow {
    const char* name;
    bool dark; // light text on a dark log box
};

class ExampleTheme : public ::testing::TestWithParam<ExampleThemeRow> {};

} // namespace

// Both pictures 128 × 128 with 256 colours, in two clearly different colours.
TEST_P(DropBox, PicturesShowTheSameDrawingInTheirOwnColours) {
    const QImage idle(QString::fromStdString(GetParam().idle));
    const QImage busy(QString::fromStdString(GetParam().busy));
    for (const QImage& image : {idle, busy}) {
        ASSERT_EQ(image.size(), QSize(128, 128));
        EXPECT_EQ(image.format(), QImage::Format_Indexed8);
        EXPECT_FALSE(image.hasAlphaChannel());
    }
    EXPECT_EQ(DominantHue(idle), GetParam().idleHue);
    EXPECT_EQ(DominantHue(busy), GetParam().busyHue);
    if (!GetParam().sameDrawing) {
        return;
    }
    int differ = 0;
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            differ += Coloured(idle.pixelColor(x, y).toHsv()) != Coloured(busy.pixelColor(x, y).toHsv()) ? 1 : 0;
        }
    }
    EXPECT_LT(differ, 128 * 128 / 50); // only antialiased edges may fall on different sides
}

INSTANTIATE_TEST_SUITE_P(Pictures, DropBox,
                         ::testing::Values(DropBoxPictures{"BuiltIn", ":/res/DIB_DROPBOX.bmp",
                                                           ":/res/DIB_DROPBOX_BUSY.bmp", 210, 0, true},
                                           DropBoxPictures{"Green", ThemeFolder + "/Green_DropBox.bmp",
                                                           ThemeFolder + "/Green_DropBoxBusy.bmp", 120, 30, false},
                                           DropBoxPictures{"Dark", ThemeFolder + "/Dark_DropBox.bmp",
                                                           ThemeFolder + "/Dark_DropBoxBusy.bmp", 180, 30, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(ExampleTheme, LoadsWithReadableColoursMatchingItsPictures) {
    clsThemeDefine theme;
    theme.LoadTheme(ThemeFolder + "/" + GetParam().name + ".ini");
    // A colour the loader cannot read would have emptied FileName.
    EXPECT_EQ(theme.FileName(), ThemeFolder + "/" + GetParam().name + ".ini");
    EXPECT_EQ(theme.Title(), GetParam().name);
    EXPECT_FALSE(theme.Copyright().empty());
    // The drop box pictures checked above, beside the theme file.
    EXPECT_EQ(theme.DropBoxImage(), ThemeFolder + "/" + GetParam().name + "_DropBox.bmp");
    EXPECT_EQ(theme.DropBoxImageBusy(), ThemeFolder + "/" + GetParam().name + "_DropBoxBusy.bmp");
    const QImage idle(QString::fromStdString(theme.DropBoxImage()));
    EXPECT_EQ(idle.pixelColor(0, 0), FromThemeColor(theme.DropBoxBackColor())); // no seam around the picture
    const QImage window(QString::fromStdString(theme.WindowImage()));
    EXPECT_EQ(window.size(), QSize(312, 144));
    EXPECT_EQ(window.format(), QImage::Format_Indexed8);
    const double back = Luminance(FromThemeColor(theme.LogBoxBackColor()));
    const double fore = Luminance(FromThemeColor(theme.LogBoxForeColor()));
    EXPECT_GE((std::max(back, fore) + 0.05) / (std::min(back, fore) + 0.05), 7.0); // contrast ratio
    EXPECT_EQ(back < fore, GetParam().dark);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTheme,
                         ::testing::Values(ExampleThemeRow{"Green", false}, ExampleThemeRow{"Dark", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExampleThemes, FolderHoldsOnlyTheThemesAndTheirPictures) {
    std::set<std::string> named;
    for (const char* name : {"Green", "Dark"}) {
        clsThemeDefine theme;
        theme.LoadTheme(ThemeFolder + "/" + name + ".ini");
        named.insert({theme.FileName(), theme.DropBoxImage(), theme.DropBoxImageBusy(), theme.WindowImage()});
    }
    std::set<std::string> present;
    for (const QString& entry : QDir(QString::fromStdString(ThemeFolder)).entryList(QDir::Files)) {
        present.insert(ThemeFolder + "/" + entry.toStdString());
    }
    EXPECT_EQ(present, named);
}

TEST(Icon, BitmapsHaveTransparentCornersAroundTheBallAndTheIconFileHoldsBoth) {
    QImageReader icon(QStringLiteral(":/res/ferrule.ico"));
    ASSERT_EQ(icon.imageCount(), 2) << icon.errorString().toStdString();
    std::set<int> sizes;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(icon.jumpToImage(i));
        // Qt reads icons premultiplied, so both are compared in that form.
        const QImage fromIcon = icon.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const int size = fromIcon.width();
        SCOPED_TRACE(size);
        sizes.insert(size);
        const QImage bitmap = QImage(QStringLiteral(":/res/ferrule%1.bmp").arg(size));
        ASSERT_EQ(bitmap.size(), QSize(size, size));
        EXPECT_EQ(fromIcon, bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        ASSERT_TRUE(bitmap.hasAlphaChannel());
        for (const QPoint corner :
             {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)}) {
            EXPECT_EQ(qAlpha(bitmap.pixel(corner)), 0);
        }
        EXPECT_EQ(qAlpha(bitmap.pixel(size / 2, size / 2)), 255);
        EXPECT_EQ(qAlpha(bitmap.pixel(size / 2, 1)), 255);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32}));
}

class DesktopIcon : public ::testing::TestWithParam<int> {};

// Each size a square PNG with alpha: the ball on a transparent ground, the window icon's picture where
// the sizes meet, and the largest one's drawing when scaled down to it.
TEST_P(DesktopIcon, IsTheBallAtItsSize) {
    const int size = GetParam();
    const QString folder = QStringLiteral(FERRULE_TEST_ICON_DIR);
    QImageReader reader(folder + QStringLiteral("/ferrule%1.png").arg(size));
    EXPECT_EQ(reader.format(), "png");
    const QImage icon = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(size, size)) << reader.errorString().toStdString();
    for (const QPoint corner : {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)}) {
        EXPECT_EQ(qAlpha(icon.pixel(corner)), 0);
    }
    EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    EXPECT_EQ(DominantHue(icon), 210);
    const QImage bitmap(QStringLiteral(":/res/ferrule%1.bmp").arg(size));
    if (!bitmap.isNull()) {
        EXPECT_EQ(icon, bitmap.convertToFormat(QImage::Format_ARGB32));
    }
    if (size >= 32) { // 16 pixels take a coarser pattern
        const QImage largest = QImage(folder + QStringLiteral("/ferrule256.png"))
                                   .scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                   .convertToFormat(QImage::Format_ARGB32);
        double difference = 0.0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb a = icon.pixel(x, y);
                const QRgb b = largest.pixel(x, y);
                difference += std::abs(qGray(a) - qGray(b)) + std::abs(qAlpha(a) - qAlpha(b));
            }
        }
        EXPECT_LT(difference / (size * size), 24.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, DesktopIcon, ::testing::Values(16, 32, 48, 64, 128, 256));
