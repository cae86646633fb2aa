#pragma once
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

/// Which pieces of an item kind lie on one stack in the bag: plain ones (no level, bonuses,
/// mixes, gems or time limit) bound alike, up to their sub-class's stack size. When a piece was
/// bought does not keep it apart; a timed piece stays on its own.
class ZRKItemStacks {
public:
    /// The pieces one slot of the kind holds at most ("isc_stack_num" of its sub-class, at least 1).
    static long long limitOf(ZRKWorld& world, long long itemId);
    /// Whether the item may take more pieces of its kind, or join another stack of it.
    static bool stackable(const ZRKWorld::Item& item);
    /// The earlier of two buy times ("YYYY-MM-DD hh:mm:ss"); a stack keeps the time its first piece
    /// was bought, and a piece never bought has none.
    static const std::string& firstBought(const std::string& a, const std::string& b);
};

} // namespace zrk
} // namespace kavri3D
