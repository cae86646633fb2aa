#include "misc/Equipment.h"

namespace kavri3D {
namespace core {

Equipment::Equipment(const std::string& item, const std::string& kind) : mItem(item), mKind(kind) {}

} // namespace core
} // namespace kavri3D
