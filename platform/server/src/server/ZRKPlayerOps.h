#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's handlers of the logged-in player: information, look, bag, record, lists; stat points and moving items.
class ZRKPlayerOps {
public:
    static void addTo(ZRKServerOps& ops);
    /// Why a nickname cannot be had (a message key), or empty when the name rules allow it.
    static std::string nameFault(const std::string& nick);
};

} // namespace zrk
} // namespace kavri3D
