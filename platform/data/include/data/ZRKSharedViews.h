#pragma once
#include <json/value.h>
#include <map>
#include <memory>
#include <string>

namespace kavri3D {
namespace zrk {

/// Result views by name, handed from the server to the game whole, without a copy, while both
/// run in one process: the server keeps each view made once per change and never changes one
/// it has handed out (it makes a new one). The text form carries them as plain views.
typedef std::map<std::string, std::shared_ptr<const Json::Value>> ZRKSharedViews;

} // namespace zrk
} // namespace kavri3D
