#include "land/ZRKNpcState.h"

namespace kavri3D {
namespace zrk {

bool ZRKNpcState::isNpcName(const std::string& id) { return id.compare(0, 4, kPrefix) == 0; }

} // namespace zrk
} // namespace kavri3D
