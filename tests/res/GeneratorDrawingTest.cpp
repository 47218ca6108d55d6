// The generator's drawing parts: its arithmetic, the font and digit rows, supersampling, the ball.
#include "Canvas.h"
#include "CheckerBall.h"
#include "DetMath.h"
#include "DigitRows.h"
#include "HexFont.h"
#include "Rgb.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

TEST(DetMath, AnglesAgreeWithTheStandardLibrary) {
    for (int i = -40; i <= 40; ++i) {
        for (int j = -40; j <= 40; ++j) {
            const double y = i * 0.37;
            const double x = j * 0.53;
            if (x == 0.0 && y == 0.0) {
                continue;
            }
            ASSERT_NEAR(DetMath::Atan2(y, x), std::atan2(y, x), 1e-7) << y << "," << x;
        }
    }
    for (int i = -100; i <= 100; ++i) {
        ASSERT_NEAR(DetMath::Asin(i / 100.0), std::asin(i / 100.0), 1e-7) << i;
    }
    EXPECT_EQ(DetMath::Atan2(0.0, 0.0), 0.0);
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

TEST(HexFont, SixteenDistinctGlyphsAndNothingElse) {
    const std::string digits = "0123456789ABCDEF";
    std::set<std::string> shapes;
    for (const char d : digits) {
        std::string shape;
        std::string lower;
        for (int y = 0; y < HexFont::GlyphHeight; ++y) {
            for (int x = 0; x < HexFont::GlyphWidth; ++x) {
                shape += HexFont::Ink(d, x, y) ? '#' : '.';
                lower += HexFont::Ink(static_cast<char>(std::tolower(d)), x, y) ? '#' : '.';
            }
        }
        EXPECT_NE(shape.find('#'), std::string::npos) << d;
        EXPECT_EQ(lower, shape) << d;
        shapes.insert(shape);
        EXPECT_FALSE(HexFont::Ink(d, -1, 0));
        EXPECT_FALSE(HexFont::Ink(d, 0, HexFont::GlyphHeight));
    }
    EXPECT_EQ(shapes.size(), digits.size());
    for (const char other : {' ', 'G', 'g', '/', ':'}) {
        for (int y = 0; y < HexFont::GlyphHeight; ++y) {
            for (int x = 0; x < HexFont::GlyphWidth; ++x) {
                ASSERT_FALSE(HexFont::Ink(other, x, y)) << other;
            }
        }
    }
}

TEST(DigitRows, RowsAreTheCrc32Table) {
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
    BallStyle style;
    style.colour = Rgb{0.0, 0.0, 1.0};
    style.white = Rgb{1.0, 1.0, 1.0};
    const CheckerBall ball(style, 50.0, 50.0, 40.0);
    Rgb c;
    EXPECT_TRUE(ball.Sample(50.0, 50.0, c));
    EXPECT_TRUE(ball.Sample(50.0, 10.5, c));
    EXPECT_FALSE(ball.Sample(50.0, 9.5, c));
    EXPECT_FALSE(ball.Sample(79.0, 79.0, c)); // inside the square, outside the circle

    // Light squares on both sides of the centre, brighter at the upper left.
    double upperLeft = 0.0;
    double lowerRight = 0.0;
    int blue = 0;
    int white = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (!ball.Sample(x + 0.5, y + 0.5, c)) {
                continue;
            }
            const double brightness = c.r + c.g + c.b;
            if (x < 50 && y < 50) {
                upperLeft += brightness;
            } else if (x >= 50 && y >= 50) {
                lowerRight += brightness;
            }
            if (c.b > 2.0 * c.r + 0.02) {
                ++blue;
            } else {
                ++white;
            }
        }
    }
    EXPECT_GT(upperLeft, 1.5 * lowerRight);
    EXPECT_GT(blue, 1500);
    EXPECT_GT(white, 1500);
}
