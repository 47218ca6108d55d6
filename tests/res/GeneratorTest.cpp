// The picture generator's parts: its arithmetic, font and digit rows, supersampling, the ball, the
// reduction to 256 colours, and the bitmap, icon and PNG writers read back with Qt's readers.
#include "BitmapFile.h"
#include "Canvas.h"
#include "CheckerBall.h"
#include "DetMath.h"
#include "DigitRows.h"
#include "HexFont.h"
#include "PaletteQuantizer.h"
#include "PngFile.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// A deterministic sequence, so that every pixel differs from its neighbours.
std::uint8_t Next(std::uint32_t& state) {
    state = state * 1103515245u + 12345u;
    return static_cast<std::uint8_t>(state >> 16);
}

// Every fifth pixel transparent and every fifth opaque, the others in between.
Bitmap32 Noise32(int width, int height) {
    std::uint32_t state = 1;
    Bitmap32 picture{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        const std::uint8_t alpha = i % 5 == 0 ? 0 : i % 5 == 1 ? 255 : Next(state);
        picture.rgba.push_back({Next(state), Next(state), Next(state), alpha});
    }
    return picture;
}

// Pictures a row filter suits differently: flat, gradients across and down, rows repeated, and noise.
Bitmap32 Pattern(int kind, int width, int height) {
    if (kind == 4) {
        return Noise32(width, height);
    }
    Bitmap32 picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto v = [&](int k) { return static_cast<std::uint8_t>(k & 0xFF); };
            switch (kind) {
                case 0:
                    picture.rgba.push_back({40, 90, 200, 255});
                    break;
                case 1:
                    picture.rgba.push_back({v(x * 3), v(x * 5 + 7), v(255 - x), v(x * 2)});
                    break;
                case 2:
                    picture.rgba.push_back({v(y * 3), v(y * 7 + x / 3), v(y + x * x), 255});
                    break;
                default:
                    picture.rgba.push_back({v(x * x * 13 + x), v(x * 31), v(x ^ 0x5A), v(255 - x * 9)});
                    break;
            }
        }
    }
    return picture;
}

// The filter byte that starts each row of a PNG file's pixel data.
std::vector<int> RowFilters(const std::string& png, int width, int height) {
    std::string deflated;
    for (std::size_t at = 8; at + 8 <= png.size();) {
        const auto length = qFromBigEndian<quint32>(png.data() + at);
        if (png.compare(at + 4, 4, "IDAT") == 0) {
            deflated += png.substr(at + 8, length);
        }
        at += 12 + length;
    }
    const std::size_t stride = static_cast<std::size_t>(width) * 4 + 1;
    std::string rows(stride * static_cast<std::size_t>(height), '\0');
    uLongf size = static_cast<uLongf>(rows.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(rows.data()), &size, reinterpret_cast<const Bytef*>(deflated.data()),
                         static_cast<uLong>(deflated.size())),
              Z_OK);
    EXPECT_EQ(size, rows.size());
    std::vector<int> filters;
    for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
        filters.push_back(static_cast<unsigned char>(rows[row * stride]));
    }
    return filters;
}

} // namespace

TEST(DetMath, AnglesAgreeWithTheStandardLibrary) {
    for (int i = -40; i <= 40; ++i) {
        for (int j = -40; j <= 40; ++j) { // the origin included, where both give 0
            ASSERT_NEAR(DetMath::Atan2(i * 0.37, j * 0.53), std::atan2(i * 0.37, j * 0.53), 1e-7) << i << "," << j;
        }
        ASSERT_NEAR(DetMath::Asin(i / 40.0), std::asin(i / 40.0), 1e-7) << i;
    }
}

TEST(Rgb, DisplayValuesSurviveTheTripThroughLinearLight) {
    for (std::uint32_t v = 0; v < 256; ++v) {
        const Rgb c = Rgb::FromHex(v << 16 | (255 - v) << 8 | v);
        ASSERT_EQ(Rgb::Encode(c.r), v);
        ASSERT_EQ(Rgb::Encode(c.g), 255 - v);
    }
    EXPECT_EQ(Rgb::Encode(-1.0), 0);
    EXPECT_EQ(Rgb::Encode(2.0), 255);
}

TEST(HexFont, SixteenDistinctGlyphsInEitherCaseAndNothingElse) {
    const auto glyph = [](char c) { // with a blank border around it
        std::string shape;
        for (int i = 0; i < (HexFont::GlyphWidth + 2) * (HexFont::GlyphHeight + 2); ++i) {
            shape += HexFont::Ink(c, i % (HexFont::GlyphWidth + 2) - 1, i / (HexFont::GlyphWidth + 2) - 1) ? '#' : '.';
        }
        return shape;
    };
    std::set<std::string> shapes;
    for (const char d : std::string("0123456789ABCDEF")) {
        EXPECT_NE(glyph(d).find('#'), std::string::npos) << d;
        EXPECT_EQ(glyph(static_cast<char>(std::tolower(d))), glyph(d)) << d;
        shapes.insert(glyph(d));
    }
    EXPECT_EQ(shapes.size(), 16u);
    for (const char other : {' ', 'G', 'g', '/', ':'}) {
        EXPECT_EQ(glyph(other).find('#'), std::string::npos) << other;
    }
}

TEST(DigitRows, RowsAreTheCrc32TableAcrossThePicture) {
    const DigitRows rows(0, 9, 3, 0, 128);
    ASSERT_EQ(rows.Rows(), 3);
    // Entries 1 to 3 of the published CRC-32 table (polynomial 0xEDB88320).
    EXPECT_EQ(rows.Line(0).substr(0, 27), "77073096 EE0E612C 990951BA ");
    for (int r = 0; r < rows.Rows(); ++r) {
        EXPECT_GE(static_cast<int>(rows.Line(r).size()) * (HexFont::GlyphWidth + 1), 128) << r;
    }
}

TEST(Canvas, SupersamplingAveragesCoverage) {
    Canvas canvas(4, 1);
    // Opaque white left of x = 1.5, nothing to the right.
    canvas.Render([](double x, double) { return x < 1.5 ? Rgba{{1.0, 1.0, 1.0}, 1.0} : Rgba{}; }, 4);
    EXPECT_DOUBLE_EQ(canvas.At(0, 0).alpha, 1.0);
    EXPECT_DOUBLE_EQ(canvas.At(1, 0).alpha, 0.5);
    EXPECT_DOUBLE_EQ(canvas.At(2, 0).alpha, 0.0);
    const Bitmap32 bitmap = canvas.ToBitmap();
    EXPECT_EQ(bitmap.At(1, 0), (std::array<std::uint8_t, 4>{255, 255, 255, 128}));
    EXPECT_EQ(bitmap.At(3, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST(CheckerBall, RoundLitFromTheUpperLeftAndCheckered) {
    const CheckerBall ball(BallStyle{Rgb{0.0, 0.0, 1.0}, Rgb{1.0, 1.0, 1.0}}, 50.0, 50.0, 40.0);
    Rgb c;
    EXPECT_TRUE(ball.Sample(50.0, 10.5, c));
    EXPECT_FALSE(ball.Sample(50.0, 9.5, c));
    EXPECT_FALSE(ball.Sample(79.0, 79.0, c)); // inside the square, outside the circle
    double upperLeft = 0.0;
    double lowerRight = 0.0;
    int blue = 0;
    int white = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (ball.Sample(x + 0.5, y + 0.5, c)) {
                const double brightness = c.r + c.g + c.b;
                upperLeft += x < 50 && y < 50 ? brightness : 0.0;
                lowerRight += x >= 50 && y >= 50 ? brightness : 0.0;
                const bool coloured = c.b > 2.0 * c.r + 0.02;
                blue += coloured ? 1 : 0;
                white += coloured ? 0 : 1;
            }
        }
    }
    EXPECT_GT(upperLeft, 1.5 * lowerRight); // lit from the upper left
    EXPECT_GT(blue, 1500);
    EXPECT_GT(white, 1500);
}

TEST(PaletteQuantizer, KeepsUpTo256ColoursExactly) {
    for (const int distinct : {1, 2, 17, 255, 256}) {
        SCOPED_TRACE(distinct);
        Bitmap32 picture{32, 16, {}};
        for (int i = 0; i < 512; ++i) {
            const int k = (i * 7) % distinct;
            picture.rgba.push_back({std::uint8_t(k), std::uint8_t(255 - k), std::uint8_t((k * 3) % 256), 255});
        }
        const IndexedImage image = PaletteQuantizer::Quantize(picture);
        EXPECT_EQ(image.palette.size(), static_cast<std::size_t>(distinct));
        ASSERT_EQ(image.indices.size(), picture.rgba.size());
        for (std::size_t i = 0; i < picture.rgba.size(); ++i) {
            const auto& p = picture.rgba[i];
            ASSERT_EQ(image.palette.at(image.indices[i]), (std::array{p[0], p[1], p[2]})) << i;
        }
    }
}

TEST(PaletteQuantizer, ManyColoursStayCloseWhereverTheyAre) {
    // A smooth gradient with 64 × 64 distinct colours, like a shaded ball.
    Bitmap32 picture{64, 64, {}};
    for (int i = 0; i < 64 * 64; ++i) {
        const int x = i % 64, y = i / 64;
        picture.rgba.push_back({std::uint8_t(x * 4), std::uint8_t(y * 4), std::uint8_t(255 - x * 2 - y), 255});
    }
    const IndexedImage image = PaletteQuantizer::Quantize(picture);
    EXPECT_LE(image.palette.size(), PaletteQuantizer::MaxColours);
    EXPECT_GE(image.palette.size(), PaletteQuantizer::MaxColours - 8); // the palette is used, not wasted
    int worst = 0;
    for (std::size_t i = 0; i < picture.rgba.size(); ++i) {
        for (std::size_t c = 0; c < 3; ++c) {
            worst = std::max(worst, std::abs(image.palette.at(image.indices[i])[c] - picture.rgba[i][c]));
        }
    }
    EXPECT_LE(worst, 10); // 4096 colours in 256 cells: about 4 × 4 neighbours share an entry
    // The palette depends on the colours only, not on where they are.
    Bitmap32 shuffled = picture;
    std::reverse(shuffled.rgba.begin(), shuffled.rgba.end());
    std::rotate(shuffled.rgba.begin(), shuffled.rgba.begin() + 1000, shuffled.rgba.end());
    EXPECT_EQ(PaletteQuantizer::Quantize(shuffled).palette, image.palette);
}

TEST(BitmapFile, Indexed8And32BitReadBackPixelForPixel) {
    for (const QSize size : {QSize(1, 1), QSize(3, 2), QSize(5, 3), QSize(13, 7), QSize(128, 128), QSize(312, 144)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        std::uint32_t state = 7;
        IndexedImage indexed{size.width(), size.height(), {}, {}};
        const int colours = 1 + (size.width() * 37) % 256;
        for (int i = 0; i < colours; ++i) {
            indexed.palette.push_back({Next(state), Next(state), Next(state)});
        }
        for (int i = 0; i < size.width() * size.height(); ++i) {
            indexed.indices.push_back(static_cast<std::uint8_t>(Next(state) % colours));
        }
        const Bitmap32 straight = Noise32(size.width(), size.height());
        const QImage image8 = QImage::fromData(QByteArray::fromStdString(BitmapFile::Encode8(indexed)), "BMP");
        const QImage image32 = QImage::fromData(QByteArray::fromStdString(BitmapFile::Encode32(straight)), "BMP");
        ASSERT_EQ(image8.size(), size);
        ASSERT_EQ(image32.size(), size);
        EXPECT_EQ(image8.format(), QImage::Format_Indexed8);
        EXPECT_EQ(image8.colorCount(), 256);
        EXPECT_TRUE(image32.hasAlphaChannel());
        const QImage argb = image32.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const auto& c = indexed.palette[indexed.indices[static_cast<std::size_t>(y * size.width() + x)]];
                ASSERT_EQ(image8.pixel(x, y), qRgb(c[0], c[1], c[2])) << x << "," << y;
                const auto& p = straight.At(x, y);
                ASSERT_EQ(argb.pixel(x, y), qRgba(p[0], p[1], p[2], p[3])) << x << "," << y;
            }
        }
    }
}

TEST(BitmapFile, IconHoldsEveryPictureWithItsMask) {
    const std::vector<Bitmap32> pictures{Noise32(16, 16), Noise32(20, 20), Noise32(32, 32)};
    QByteArray bytes = QByteArray::fromStdString(BitmapFile::EncodeIcon(pictures));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    ASSERT_EQ(reader.imageCount(), static_cast<int>(pictures.size()));
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const Bitmap32& picture = pictures[i];
        SCOPED_TRACE(picture.width);
        ASSERT_TRUE(reader.jumpToImage(static_cast<int>(i)));
        // Qt reads icons premultiplied, so both are compared in that form.
        EXPECT_EQ(reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  QImage(reinterpret_cast<const uchar*>(picture.rgba.data()), picture.width, picture.height,
                         QImage::Format_RGBA8888)
                      .convertToFormat(QImage::Format_ARGB32_Premultiplied));
        // The 1-bit mask after the colour rows, bottom-up, rows padded to 32 bits: set where transparent.
        const int mask =
            qFromLittleEndian<qint32>(bytes.constData() + 6 + 16 * i + 12) + 40 + picture.width * picture.height * 4;
        const int maskRow = (picture.width + 31) / 32 * 4;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const auto byte = static_cast<unsigned char>(bytes[mask + (picture.height - 1 - y) * maskRow + x / 8]);
                ASSERT_EQ((byte & (0x80 >> (x % 8))) != 0, picture.At(x, y)[3] == 0) << x << "," << y;
            }
        }
    }
}

TEST(PngFile, ReadsBackPixelForPixelWhicheverFilterEachRowTakes) {
    std::set<int> filtersSeen;
    for (const QSize size : {QSize(1, 1), QSize(2, 3), QSize(16, 16), QSize(37, 5), QSize(256, 256)}) {
        for (int kind = 0; kind < 5; ++kind) {
            SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height() << " pattern " << kind);
            const Bitmap32 picture = Pattern(kind, size.width(), size.height());
            const std::string png = PngFile::Encode(picture);
            QImage image = QImage::fromData(QByteArray::fromStdString(png), "PNG");
            ASSERT_EQ(image.size(), size);
            EXPECT_TRUE(image.hasAlphaChannel());
            image = image.convertToFormat(QImage::Format_RGBA8888);
            for (int y = 0; y < size.height(); ++y) {
                for (int x = 0; x < size.width(); ++x) {
                    const auto& p = picture.At(x, y);
                    ASSERT_EQ(image.pixel(x, y), qRgba(p[0], p[1], p[2], p[3])) << x << "," << y;
                }
            }
            for (const int filter : RowFilters(png, size.width(), size.height())) {
                ASSERT_LE(filter, 4);
                filtersSeen.insert(filter);
            }
        }
    }
    // The patterns are chosen so that the reading above goes through more than one filter's decoder.
    EXPECT_GE(filtersSeen.size(), 3u);
}
