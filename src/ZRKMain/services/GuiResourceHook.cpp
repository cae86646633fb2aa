#include "services/GuiResourceHook.h"

namespace kavri3D {
namespace zrk {

namespace {
GuiResourceHook::Requester& requester()
{
    static GuiResourceHook::Requester theRequester;
    return theRequester;
}
} // namespace

void GuiResourceHook::setRequester(Requester r) { requester() = std::move(r); }

bool GuiResourceHook::requestResources(const Callback& done)
{
    if (!requester())
        return false;
    requester()(done);
    return true;
}

} // namespace zrk
} // namespace kavri3D
