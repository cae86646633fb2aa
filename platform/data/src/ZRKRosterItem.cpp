#include "data/ZRKRosterItem.h"

#include "data/ZRKJson.h"

namespace kavri3D {
namespace zrk {

ZRKRosterItem::ZRKRosterItem(const Json::Value& item) : mView(ZRKJson::toView(item)) {}

} // namespace zrk
} // namespace kavri3D
