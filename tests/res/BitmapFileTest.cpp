// The generator's bitmap and icon writers, read back with Qt's readers.
#include "BitmapFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A small deterministic sequence, so that every pixel differs from its neighbours.
class Sequence {
public:
    std::uint8_t Next() {
        m_State = m_State * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(m_State >> 16);
    }

private:
    std::uint32_t m_State = 1;
};

QByteArray Bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

Bitmap32 Noise32(int width, int height) {
    Sequence seq;
    Bitmap32 picture;
    picture.width = width;
    picture.height = height;
    for (int i = 0; i < width * height; ++i) {
        std::uint8_t alpha = seq.Next();
        if (i % 5 == 0) {
            alpha = 0;
        } else if (i % 5 == 1) {
            alpha = 255;
        }
        picture.rgba.push_back({seq.Next(), seq.Next(), seq.Next(), alpha});
    }
    return picture;
}

const QSize Sizes[] = {{1, 1}, {3, 2}, {5, 3}, {13, 7}, {128, 128}, {312, 144}};

} // namespace

TEST(BitmapFile, Indexed8ReadsBackPixelForPixel) {
    for (const QSize size : Sizes) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        Sequence seq;
        IndexedImage picture;
        picture.width = size.width();
        picture.height = size.height();
        const int colours = 1 + (size.width() * 37) % 256;
        for (int i = 0; i < colours; ++i) {
            picture.palette.push_back({seq.Next(), seq.Next(), seq.Next()});
        }
        for (int i = 0; i < size.width() * size.height(); ++i) {
            picture.indices.push_back(static_cast<std::uint8_t>(seq.Next() % colours));
        }

        const QImage image = QImage::fromData(Bytes(BitmapFile::Encode8(picture)), "BMP");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), size);
        EXPECT_EQ(image.format(), QImage::Format_Indexed8);
        EXPECT_EQ(image.colorCount(), 256);
        EXPECT_EQ(image.dotsPerMeterX(), 3780);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const auto& c = picture.palette[picture.indices[static_cast<std::size_t>(y * size.width() + x)]];
                ASSERT_EQ(image.pixel(x, y), qRgb(c[0], c[1], c[2])) << x << "," << y;
            }
        }
    }
}

TEST(BitmapFile, Argb32KeepsStraightAlpha) {
    for (const QSize size : Sizes) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        const Bitmap32 picture = Noise32(size.width(), size.height());
        const QImage image = QImage::fromData(Bytes(BitmapFile::Encode32(picture)), "BMP");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), size);
        EXPECT_TRUE(image.hasAlphaChannel());
        const QImage straight = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const auto& p = picture.At(x, y);
                ASSERT_EQ(straight.pixel(x, y), qRgba(p[0], p[1], p[2], p[3])) << x << "," << y;
            }
        }
    }
}

TEST(BitmapFile, IconHoldsEveryPictureWithItsMask) {
    const std::vector<Bitmap32> pictures{Noise32(16, 16), Noise32(20, 20), Noise32(32, 32)};
    const std::string bytes = BitmapFile::EncodeIcon(pictures);
    QByteArray data = Bytes(bytes);
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "ico");
    ASSERT_EQ(reader.imageCount(), static_cast<int>(pictures.size()));

    const auto u32 = [&bytes](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
    };
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const Bitmap32& picture = pictures[i];
        SCOPED_TRACE(picture.width);
        ASSERT_TRUE(reader.jumpToImage(static_cast<int>(i)));
        const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_EQ(image.size(), QSize(picture.width, picture.height));
        const QImage expected = QImage(reinterpret_cast<const uchar*>(picture.rgba.data()), picture.width,
                                       picture.height, QImage::Format_RGBA8888)
                                    .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                ASSERT_EQ(image.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
            }
        }

        // The 1-bit mask after the colour rows, bottom-up, rows padded to 32 bits: set where transparent.
        const std::size_t imageOffset = u32(6 + 16 * i + 12);
        const std::size_t maskOffset = imageOffset + 40 + static_cast<std::size_t>(picture.width * picture.height * 4);
        const std::size_t maskRow = static_cast<std::size_t>((picture.width + 31) / 32 * 4);
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const auto byte = static_cast<unsigned char>(
                    bytes[maskOffset + static_cast<std::size_t>(picture.height - 1 - y) * maskRow +
                          static_cast<std::size_t>(x / 8)]);
                const bool transparent = (byte & (0x80 >> (x % 8))) != 0;
                ASSERT_EQ(transparent, picture.At(x, y)[3] == 0) << x << "," << y;
            }
        }
    }
}
