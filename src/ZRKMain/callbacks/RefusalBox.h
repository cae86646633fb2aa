#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// Where a shop, forge, bag or social request that came back refused tells the player: a box
/// with the server's own text (it carries the words to show, never a bare key). Without a
/// frame nothing is shown (the caller logs the refusal).
class RefusalBox {
public:
    /// The box, under the title of `titleKey`.
    static void show(const std::string& text, const char* titleKey = "warning/title");
};

} // namespace zrk
} // namespace kavri3D
