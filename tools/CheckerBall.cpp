#include "CheckerBall.h"

#include "DetMath.h"

#include <cmath>

namespace {

struct Vec3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

double Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 Normalized(Vec3 v) {
    const double len = std::sqrt(Dot(v, v));
    return {v.x / len, v.y / len, v.z / len};
}

// View space: x to the right, y up, z towards the viewer.
const Vec3 Light = Normalized({-0.55, 0.62, 0.56});
const Vec3 Half = Normalized({Light.x, Light.y, Light.z + 1.0});
const Vec3 Bounce = Normalized({0.45, -0.8, 0.25}); // light thrown back from the ground below right

} // namespace

CheckerBall::CheckerBall(const BallStyle& style, double cx, double cy, double radius)
    : m_Style(style), m_Cx(cx), m_Cy(cy), m_Radius(radius) {}

bool CheckerBall::Sample(double x, double y, Rgb& colour) const {
    const double px = (x - m_Cx) / m_Radius;
    const double py = (m_Cy - y) / m_Radius;
    const double d2 = px * px + py * py;
    if (d2 >= 1.0) {
        return false;
    }
    const Vec3 n{px, py, std::sqrt(1.0 - d2)};

    // Turn the surface normal into the ball's own frame to find the square under it.
    const double rollCos = m_Style.rollCos;
    const double pitchCos = m_Style.pitchCos;
    const double rollSin = std::sqrt(1.0 - rollCos * rollCos);
    const double pitchSin = std::sqrt(1.0 - pitchCos * pitchCos);
    const double rx = rollCos * n.x + rollSin * n.y;
    const double ry = -rollSin * n.x + rollCos * n.y;
    const double oy = pitchCos * ry + pitchSin * n.z;
    const double oz = -pitchSin * ry + pitchCos * n.z;
    const double lon = DetMath::Atan2(rx, oz);
    const double lat = DetMath::Asin(oy);
    const double u = (lon + DetMath::Pi) / (2.0 * DetMath::Pi) * m_Style.lonSegments;
    const double v = (lat + DetMath::Pi / 2.0) / DetMath::Pi * m_Style.latSegments;
    const long square = static_cast<long>(std::floor(u)) + static_cast<long>(std::floor(v));
    const Rgb albedo = (square & 1) != 0 ? m_Style.colour : m_Style.white;

    // Wrapped diffuse light, a sky term from above, a faint bounce from below and a glossy highlight.
    const double wrap = 0.2;
    const double diffuse = std::fmax(0.0, (Dot(n, Light) + wrap) / (1.0 + wrap));
    const double sky = 0.5 + 0.5 * n.y;
    const double bounce = std::fmax(0.0, Dot(n, Bounce));
    const double light = 0.1 + 0.1 * sky + 0.85 * diffuse + 0.12 * bounce;
    const double nh = std::fmax(0.0, Dot(n, Half));
    const double highlight = 0.75 * DetMath::PowInt(nh, 60) + 0.06 * DetMath::PowInt(nh, 6);
    const double edge = 1.0 - m_Style.edgeShade * (1.0 - DetMath::SmoothStep(0.0, 0.35, n.z));

    colour = (albedo * light + Rgb{1.0, 1.0, 1.0} * highlight) * edge;
    return true;
}
