#include "rooms/SnapShotEx.h"

namespace kavri3D {
namespace core {

SnapShotEx::SnapShotEx(unsigned flags) : mFlags(flags) {}

SnapShotEx::~SnapShotEx() = default;

} // namespace core
} // namespace kavri3D
