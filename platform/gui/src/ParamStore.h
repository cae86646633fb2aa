#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <gui/ICallBackEvent.h>
#include <gui/ParamNode.h>

namespace kavri3D {
namespace zrk {
namespace gui {

/// The values of the player's current action, one set per page kind (and one for the
/// actions the automation agent sends). Each set has a handle the GUI passes to an event's
/// callback; the pages resolve names against it. Only handles issued here resolve: a stray
/// number from an event is answered with null instead of being followed as a pointer.
class ParamStore {
public:
    /// The set the automation agent's actions fill.
    static constexpr int kAgentSlot = -1;

    /// The handle of a slot's set (never 0), made on first use.
    ParamHandle handle(int slot);
    /// Replaces the node of that name in the set, or adds it.
    void set(int slot, const ParamNode& node);
    void clear(int slot);
    /// The node stays at its address until its set is cleared, so an event may keep reading it.
    ParamNode* find(ParamHandle handle, const std::string& name);

private:
    struct Values {
        ParamHandle handle = 0;
        std::vector<std::unique_ptr<ParamNode>> nodes;
    };
    Values& values(int slot);

    std::map<int, Values> mSlots;
    ParamHandle mNextHandle = 0x51;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
