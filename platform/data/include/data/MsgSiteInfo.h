#pragma once
#include <string>
#include <vector>

namespace kavri3D {
namespace core {

/// A room on the message server and its members (decorated names, in order of joining).
struct MsgSiteInfo {
    std::string room;
    std::vector<std::string> members;
};

} // namespace core
} // namespace kavri3D
