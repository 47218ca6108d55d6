// The pictures compiled into ferrule_resources, read back through Qt as the application reads them.
#include <QColor>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

namespace {

// Pixels with a clear hue, split into reds and blues.
struct HueCount {
    int red = 0;
    int blue = 0;
    int other = 0;
};

HueCount CountHues(const QImage& image) {
    HueCount count;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y).toHsv();
            if (c.hsvSaturationF() < 0.35f || c.valueF() < 0.2f) {
                continue;
            }
            const int h = c.hsvHue();
            if (h <= 20 || h >= 340) {
                ++count.red;
            } else if (h >= 200 && h <= 250) {
                ++count.blue;
            } else {
                ++count.other;
            }
        }
    }
    return count;
}

bool Saturated(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y).toHsv();
    return c.hsvSaturationF() >= 0.35f && c.valueF() >= 0.2f;
}

} // namespace

TEST(ResourcePictures, DropBoxBitmapsAre128Square8BitIndexed) {
    for (const char* path : {":/res/DIB_DROPBOX.bmp", ":/res/DIB_DROPBOX_BUSY.bmp"}) {
        SCOPED_TRACE(path);
        const QImage image(QString::fromLatin1(path));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(128, 128));
        EXPECT_EQ(image.format(), QImage::Format_Indexed8);
        EXPECT_LE(image.colorCount(), 256);
        EXPECT_FALSE(image.hasAlphaChannel());
    }
}

TEST(ResourcePictures, IdleIsBlueAndBusyIsRed) {
    const HueCount idle = CountHues(QImage(QStringLiteral(":/res/DIB_DROPBOX.bmp")));
    const HueCount busy = CountHues(QImage(QStringLiteral(":/res/DIB_DROPBOX_BUSY.bmp")));
    // The coloured squares cover a good part of the ball; everything else is white or pale.
    EXPECT_GT(idle.blue, 2000);
    EXPECT_GT(busy.red, 2000);
    EXPECT_LT(idle.red + idle.other, idle.blue / 20);
    EXPECT_LT(busy.blue + busy.other, busy.red / 20);
}

TEST(ResourcePictures, BusyIsTheSameDrawingAsIdle) {
    const QImage idle(QStringLiteral(":/res/DIB_DROPBOX.bmp"));
    const QImage busy(QStringLiteral(":/res/DIB_DROPBOX_BUSY.bmp"));
    ASSERT_EQ(idle.size(), busy.size());
    int differ = 0;
    for (int y = 0; y < idle.height(); ++y) {
        for (int x = 0; x < idle.width(); ++x) {
            if (Saturated(idle, x, y) != Saturated(busy, x, y)) {
                ++differ;
            }
        }
    }
    // Only antialiased edges may fall on different sides of the threshold.
    EXPECT_LT(differ, idle.width() * idle.height() / 50);
}

TEST(ResourcePictures, IconBitmapsHaveTransparentCornersAndAnOpaqueBall) {
    const struct {
        const char* path;
        int size;
    } rows[] = {{":/res/ferrule16.bmp", 16}, {":/res/ferrule32.bmp", 32}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const QImage image(QString::fromLatin1(row.path));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(row.size, row.size));
        EXPECT_TRUE(image.hasAlphaChannel());
        const int last = row.size - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)}) {
            EXPECT_EQ(qAlpha(image.pixel(corner)), 0);
        }
        EXPECT_EQ(qAlpha(image.pixel(row.size / 2, row.size / 2)), 255);
        EXPECT_EQ(qAlpha(image.pixel(row.size / 2, 1)), 255);
    }
}

TEST(ResourcePictures, IconFileHoldsTheTwoIconBitmaps) {
    QImageReader reader(QStringLiteral(":/res/ferrule.ico"));
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    ASSERT_EQ(reader.imageCount(), 2);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(reader.jumpToImage(i));
        // Qt reads icons premultiplied, so both are compared in that form.
        const QImage fromIcon = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(fromIcon.isNull()) << reader.errorString().toStdString();
        const QString bitmap = QStringLiteral(":/res/ferrule%1.bmp").arg(fromIcon.width());
        const QImage fromBitmap = QImage(bitmap).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        SCOPED_TRACE(bitmap.toStdString());
        ASSERT_EQ(fromIcon.size(), fromBitmap.size());
        for (int y = 0; y < fromIcon.height(); ++y) {
            for (int x = 0; x < fromIcon.width(); ++x) {
                ASSERT_EQ(fromIcon.pixel(x, y), fromBitmap.pixel(x, y)) << x << "," << y;
            }
        }
    }
}
