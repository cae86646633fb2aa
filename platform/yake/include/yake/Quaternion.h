#pragma once
#include <cmath>

namespace yake {
namespace math {

class Vector3;

/// A rotation (w, x, y, z), composed and applied as the engine's scene nodes do.
class Quaternion {
public:
    float w = 1, x = 0, y = 0, z = 0;

    Quaternion() = default;
    Quaternion(float aw, float ax, float ay, float az) : w(aw), x(ax), y(ay), z(az) {}

    static inline Quaternion fromAngleAxis(float radians, const Vector3& axis);
    /// The library's own spelling of fromAngleAxis.
    static Quaternion FromAngleAxis(float radians, const Vector3& axis) { return fromAngleAxis(radians, axis); }
    /// The rotation as an angle (0..2 pi) about a unit axis.
    inline void toAngleAxis(float& radians, Vector3& axis) const;

    Quaternion operator*(const Quaternion& q) const
    {
        return Quaternion(w * q.w - x * q.x - y * q.y - z * q.z, w * q.x + x * q.w + y * q.z - z * q.y,
                          w * q.y + y * q.w + z * q.x - x * q.z, w * q.z + z * q.w + x * q.y - y * q.x);
    }
    inline Vector3 operator*(const Vector3& v) const;
    bool operator==(const Quaternion& q) const { return w == q.w && x == q.x && y == q.y && z == q.z; }
    bool operator!=(const Quaternion& q) const { return !(*this == q); }

    float norm() const { return w * w + x * x + y * y + z * z; }
    float normalise()
    {
        float len = std::sqrt(norm());
        if (len > 1e-12f) {
            w /= len;
            x /= len;
            y /= len;
            z /= len;
        }
        return len;
    }
    bool isFinite() const { return std::isfinite(w) && std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }

    static const Quaternion IDENTITY;
    static const Quaternion& kIdentity; ///< IDENTITY under the library's other name
};

inline const Quaternion Quaternion::IDENTITY(1, 0, 0, 0);
inline const Quaternion& Quaternion::kIdentity = Quaternion::IDENTITY;

} // namespace math
} // namespace yake

#include "yake/Vector3.h"

namespace yake {
namespace math {

inline Quaternion Quaternion::fromAngleAxis(float radians, const Vector3& axis)
{
    float half = 0.5f * radians;
    float s = std::sin(half);
    return Quaternion(std::cos(half), s * axis.x, s * axis.y, s * axis.z);
}

inline void Quaternion::toAngleAxis(float& radians, Vector3& axis) const
{
    float sqrLength = x * x + y * y + z * z;
    if (sqrLength > 0.0f) {
        float cw = w < -1.0f ? -1.0f : (w > 1.0f ? 1.0f : w);
        radians = 2.0f * std::acos(cw);
        float inv = 1.0f / std::sqrt(sqrLength);
        axis = Vector3(x * inv, y * inv, z * inv);
    } else {
        radians = 0.0f;
        axis = Vector3::UNIT_X;
    }
}

inline Vector3 Quaternion::operator*(const Vector3& v) const
{
    Vector3 qvec(x, y, z);
    Vector3 uv = qvec.crossProduct(v);
    Vector3 uuv = qvec.crossProduct(uv);
    uv *= 2.0f * w;
    uuv *= 2.0f;
    return v + uv + uuv;
}

} // namespace math
} // namespace yake
