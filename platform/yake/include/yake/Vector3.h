#pragma once
#include <cmath>

namespace yake {
namespace math {

class Quaternion;

/// A point or direction in the game world (y up), free of any renderer's types.
class Vector3 {
public:
    float x = 0, y = 0, z = 0;

    Vector3() = default;
    Vector3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    Vector3 operator+(const Vector3& o) const { return Vector3(x + o.x, y + o.y, z + o.z); }
    Vector3 operator-(const Vector3& o) const { return Vector3(x - o.x, y - o.y, z - o.z); }
    Vector3 operator-() const { return Vector3(-x, -y, -z); }
    Vector3 operator*(float s) const { return Vector3(x * s, y * s, z * s); }
    Vector3 operator/(float s) const { return Vector3(x / s, y / s, z / s); }
    Vector3& operator+=(const Vector3& o)
    {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    Vector3& operator-=(const Vector3& o)
    {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        return *this;
    }
    Vector3& operator*=(float s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }
    bool operator==(const Vector3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Vector3& o) const { return !(*this == o); }

    float dotProduct(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
    Vector3 crossProduct(const Vector3& o) const
    {
        return Vector3(y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x);
    }
    float squaredLength() const { return x * x + y * y + z * z; }
    float length() const { return std::sqrt(squaredLength()); }
    float distance(const Vector3& o) const { return (*this - o).length(); }
    float squaredDistance(const Vector3& o) const { return (*this - o).squaredLength(); }
    bool isFinite() const { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

    /// Makes the vector unit length and returns the length it had; a zero vector stays zero.
    float normalise()
    {
        float len = length();
        if (len > 1e-8f) {
            x /= len;
            y /= len;
            z /= len;
        }
        return len;
    }
    Vector3 normalisedCopy() const
    {
        Vector3 v(*this);
        v.normalise();
        return v;
    }

    /// The shortest-arc rotation turning this direction into `dest`; opposite directions
    /// turn a half circle about `fallbackAxis` (or any perpendicular axis when it is zero).
    inline Quaternion getRotationTo(const Vector3& dest, const Vector3& fallbackAxis) const;
    inline Quaternion getRotationTo(const Vector3& dest) const;

    static const Vector3 ZERO;
    static const Vector3 UNIT_X;
    static const Vector3 UNIT_Y;
    static const Vector3& kUnitY; ///< UNIT_Y under the library's other name
    static const Vector3 UNIT_Z;
    static const Vector3 UNIT_SCALE;
};

inline const Vector3 Vector3::ZERO(0, 0, 0);
inline const Vector3 Vector3::UNIT_X(1, 0, 0);
inline const Vector3 Vector3::UNIT_Y(0, 1, 0);
inline const Vector3& Vector3::kUnitY = Vector3::UNIT_Y;
inline const Vector3 Vector3::UNIT_Z(0, 0, 1);
inline const Vector3 Vector3::UNIT_SCALE(1, 1, 1);

} // namespace math
} // namespace yake

#include "yake/Quaternion.h"

namespace yake {
namespace math {

inline Quaternion Vector3::getRotationTo(const Vector3& dest) const { return getRotationTo(dest, Vector3::ZERO); }

inline Quaternion Vector3::getRotationTo(const Vector3& dest, const Vector3& fallbackAxis) const
{
    Vector3 v0 = normalisedCopy();
    Vector3 v1 = dest.normalisedCopy();
    float d = v0.dotProduct(v1);
    if (d >= 1.0f)
        return Quaternion::IDENTITY;
    if (d < 1e-6f - 1.0f) {
        if (fallbackAxis != Vector3::ZERO)
            return Quaternion::fromAngleAxis(3.14159265358979f, fallbackAxis);
        Vector3 axis = Vector3::UNIT_X.crossProduct(v0);
        if (axis.squaredLength() < 1e-12f)
            axis = Vector3::UNIT_Y.crossProduct(v0);
        axis.normalise();
        return Quaternion::fromAngleAxis(3.14159265358979f, axis);
    }
    float s = std::sqrt((1 + d) * 2);
    float invs = 1 / s;
    Vector3 c = v0.crossProduct(v1);
    Quaternion q(s * 0.5f, c.x * invs, c.y * invs, c.z * invs);
    q.normalise();
    return q;
}

} // namespace math
} // namespace yake
