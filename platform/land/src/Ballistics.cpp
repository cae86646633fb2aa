#include "land/Ballistics.h"

#include <cmath>
#include "land/DollConstants.h"

namespace kavri3D {
namespace zrk {

using yake::math::Vector3;

Vector3 Ballistics::acceleration(const Vector3& wind, bool withWind)
{
    Vector3 a(0.0f, -DollConstants::GRAVITY, 0.0f);
    if (withWind) {
        a.x += wind.x * DollConstants::WIND_FACTOR;
        a.z += wind.z * DollConstants::WIND_FACTOR;
    }
    return a;
}

Vector3 Ballistics::positionAt(const Vector3& p0, const Vector3& v0, const Vector3& accel, float t)
{
    return p0 + v0 * t + accel * (0.5f * t * t);
}

void Ballistics::step(Vector3& p, Vector3& v, const Vector3& accel, float dt)
{
    p += v * dt + accel * (0.5f * dt * dt);
    v += accel * dt;
}

Vector3 Ballistics::direction(float heading, float pitch)
{
    const float c = std::cos(pitch);
    return Vector3(std::sin(heading) * c, std::sin(pitch), std::cos(heading) * c);
}

float Ballistics::headingOf(const Vector3& dir)
{
    if (dir.x * dir.x + dir.z * dir.z < 1e-12f)
        return 0.0f;
    return std::atan2(dir.x, dir.z);
}

bool Ballistics::solveLaunch(const Vector3& from, const Vector3& to, float pitch, const Vector3& accel,
                             Vector3& velocity, float& flightTime)
{
    if (!from.isFinite() || !to.isFinite() || !accel.isFinite() || !std::isfinite(pitch))
        return false;
    const double maxPitch = 89.5 * M_PI / 180.0;
    if (std::fabs(pitch) > maxPitch)
        return false;
    // With the flight time T: v = D / T - a T / 2, and the pitch fixes vy = tan(p) |vh|.
    // Squared, that is a quadratic in u = T^2.
    const double dx = to.x - from.x, dy = to.y - from.y, dz = to.z - from.z;
    const double ax = accel.x, ay = accel.y, az = accel.z;
    const double g = -ay;
    const double t2 = std::tan(static_cast<double>(pitch)) * std::tan(static_cast<double>(pitch));
    const double dh2 = dx * dx + dz * dz, ah2 = ax * ax + az * az, dha = dx * ax + dz * az;
    if (dh2 < 1e-8)
        return false; // straight up or down: no pitch below 90 degrees gets there
    const double A = 0.25 * (g * g - t2 * ah2);
    const double B = g * dy + t2 * dha;
    const double C = dy * dy - t2 * dh2;
    double roots[2];
    int n = 0;
    if (std::fabs(A) < 1e-12) {
        if (std::fabs(B) > 1e-12)
            roots[n++] = -C / B;
    } else {
        const double disc = B * B - 4 * A * C;
        if (disc >= 0) {
            const double s = std::sqrt(disc);
            roots[n++] = (-B - s) / (2 * A);
            roots[n++] = (-B + s) / (2 * A);
        }
    }
    bool found = false;
    double bestSpeed2 = 0;
    for (int k = 0; k < n; ++k) {
        const double u = roots[k];
        if (!(u > 1e-9) || !std::isfinite(u))
            continue;
        const double T = std::sqrt(u);
        const double vx = dx / T - 0.5 * ax * T, vy = dy / T - 0.5 * ay * T, vz = dz / T - 0.5 * az * T;
        const double vh = std::sqrt(vx * vx + vz * vz);
        // Squaring also admits flights leaving below the horizon for an upward pitch.
        if (vh < 1e-9 || std::fabs(vy - std::tan(static_cast<double>(pitch)) * vh) > 1e-3 * (1 + std::fabs(vy)))
            continue;
        const double speed2 = vx * vx + vy * vy + vz * vz;
        if (!found || speed2 < bestSpeed2) {
            found = true;
            bestSpeed2 = speed2;
            velocity = Vector3(static_cast<float>(vx), static_cast<float>(vy), static_cast<float>(vz));
            flightTime = static_cast<float>(T);
        }
    }
    return found && velocity.isFinite();
}

} // namespace zrk
} // namespace kavri3D
