#include "data/ZRKGuildIQ.h"

#include "data/ZRKGameData.h"

namespace kavri3D {
namespace zrk {

core::XmlConfigHelper ZRKGuildIQ::getError() const { return ZRKGameData::liveView(errorView()); }

} // namespace zrk
} // namespace kavri3D
