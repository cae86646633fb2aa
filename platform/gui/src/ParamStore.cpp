#include "ParamStore.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ParamStore::Values& ParamStore::values(int slot)
{
    Values& v = mSlots[slot];
    if (v.handle == 0)
        v.handle = mNextHandle++;
    return v;
}

ParamHandle ParamStore::handle(int slot) { return values(slot).handle; }

void ParamStore::set(int slot, const ParamNode& node)
{
    Values& v = values(slot);
    for (auto& held : v.nodes) {
        if (held->name == node.name) {
            *held = node;
            return;
        }
    }
    v.nodes.push_back(std::make_unique<ParamNode>(node));
}

void ParamStore::clear(int slot) { values(slot).nodes.clear(); }

ParamNode* ParamStore::find(ParamHandle handle, const std::string& name)
{
    if (handle == 0)
        return nullptr;
    for (auto& slot : mSlots) {
        if (slot.second.handle != handle)
            continue;
        for (auto& held : slot.second.nodes)
            if (held->name == name)
                return held.get();
        return nullptr;
    }
    return nullptr;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
