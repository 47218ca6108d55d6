// A colour in linear light, the space in which the generator mixes and shades.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;

    /// The colour written as 0xRRGGBB in display (gamma-encoded) values; gamma 2 keeps the
    /// conversion exact and free of library functions whose last bit may vary between platforms.
    static Rgb FromHex(std::uint32_t rrggbb) {
        const auto channel = [rrggbb](int shift) {
            const double v = static_cast<double>((rrggbb >> shift) & 0xFFu) / 255.0;
            return v * v;
        };
        return {channel(16), channel(8), channel(0)};
    }

    /// The display value 0-255 of a linear channel value.
    static std::uint8_t Encode(double linear) {
        const double v = std::sqrt(std::clamp(linear, 0.0, 1.0)) * 255.0;
        return static_cast<std::uint8_t>(std::floor(v + 0.5));
    }
};

inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}
inline Rgb operator*(Rgb a, Rgb b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}

/// `a` moved towards `b` by `t` (0 gives a, 1 gives b).
inline Rgb Mix(Rgb a, Rgb b, double t) {
    return a * (1.0 - t) + b * t;
}
