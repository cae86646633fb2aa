#pragma once

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's forge: enhance, refine, mix and enchase, each as a preview that checks and
/// prices without changing anything and a perform that checks again, takes the money and the
/// stones, draws the outcome once at the preview's chance and changes the item, all in one
/// transaction.
class ZRKForgeOps {
public:
    static void addTo(ZRKServerOps& ops);
};

} // namespace zrk
} // namespace kavri3D
