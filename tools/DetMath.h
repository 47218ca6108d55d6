// Angle functions built only from + - * / and sqrt, which IEEE arithmetic rounds the same way
// everywhere, so the generated pictures are identical bit for bit on every platform.
#pragma once

#include <cmath>

namespace DetMath {

inline constexpr double Pi = 3.14159265358979323846;

/// The arc tangent of z for 0 <= z <= 1, within 2e-8 radians.
inline double AtanUnit(double z) {
    const double z2 = z * z;
    return z *
           (1.0 + z2 * (-0.3333314528 +
                        z2 * (0.1999355085 +
                              z2 * (-0.1420889944 +
                                    z2 * (0.1065626393 +
                                          z2 * (-0.0752896400 +
                                                z2 * (0.0429096138 + z2 * (-0.0161657367 + z2 * 0.0028662257))))))));
}

/// The angle of the point (x, y) in (-pi, pi]; 0 for the origin.
inline double Atan2(double y, double x) {
    const double ax = std::fabs(x);
    const double ay = std::fabs(y);
    if (ax == 0.0 && ay == 0.0) {
        return 0.0;
    }
    double a = ax >= ay ? AtanUnit(ay / ax) : Pi / 2.0 - AtanUnit(ax / ay);
    if (x < 0.0) {
        a = Pi - a;
    }
    return y < 0.0 ? -a : a;
}

/// The arc sine of s, clamped to [-1, 1].
inline double Asin(double s) {
    const double c = std::sqrt(std::fmax(0.0, 1.0 - s * s));
    return Atan2(s, c);
}

/// x raised to a whole power n >= 0 by repeated squaring.
inline double PowInt(double x, unsigned n) {
    double result = 1.0;
    while (n != 0) {
        if ((n & 1u) != 0) {
            result *= x;
        }
        x *= x;
        n >>= 1u;
    }
    return result;
}

/// 0 below edge0, 1 above edge1, a smooth cubic step between.
inline double SmoothStep(double edge0, double edge1, double x) {
    double t = (x - edge0) / (edge1 - edge0);
    t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
    return t * t * (3.0 - 2.0 * t);
}

} // namespace DetMath
