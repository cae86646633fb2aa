#include "GuiControl.h"

#include "GuiManager.h"

namespace kavri3D {
namespace zrk {
namespace gui {

void GuiControl::setPageParam(int kind, const ParamNode& node) { mManager.params().set(kind, node); }

void GuiControl::clearPageParams(int kind) { mManager.params().clear(kind); }

ParamHandle GuiControl::paramHandle(int kind) { return mManager.params().handle(kind); }

ICallBackEvent* GuiControl::findEvent(int eventId) { return mManager.dispatcher().find(eventId); }

std::vector<int> GuiControl::registeredIds() { return mManager.dispatcher().registeredIds(); }

ParamList* GuiControl::fillParams(int eventId) { return mManager.dispatcher().fillParams(eventId); }

bool GuiControl::callback(int eventId, int kind)
{
    return mManager.dispatcher().callback(eventId, mManager.params().handle(kind));
}

std::vector<int> GuiControl::raisedIds() { return mManager.dispatcher().raisedIds(); }

void GuiControl::clearRaised() { mManager.dispatcher().clearRaised(); }

std::vector<int> GuiControl::handledIds() { return mManager.eventIdQueue().handledIds(); }

std::vector<std::string> GuiControl::shownPages() { return mManager.shownPages(); }

int GuiControl::callCount(const std::string& operation) { return mManager.calls().count(operation); }

void GuiControl::setLoading(bool loading) { mManager.res().setLoading(loading); }

std::string GuiControl::shownImage(int kind, const std::string& picture) { return mManager.shownImage(kind, picture); }

void GuiControl::rebuildPages() { mManager.rebuildPages(); }

} // namespace gui
} // namespace zrk
} // namespace kavri3D
