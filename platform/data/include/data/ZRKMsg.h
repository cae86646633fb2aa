#pragma once
#include <util/Singleton.h>

namespace kavri3D {
namespace zrk {

/// The game-data library's message object: the application keeps one alive while it runs.
/// The messages themselves travel through the session's message client.
class ZRKMsg : public Singleton<ZRKMsg> {
public:
    ZRKMsg() = default;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ZRKMsg);
