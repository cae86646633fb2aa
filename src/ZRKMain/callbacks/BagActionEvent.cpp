#include "callbacks/BagActionEvent.h"

#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKParamText.h>
#include <data/ZRKUserRequest.h>
#include <json/json.h>
#include <lan/ZRKLan.h>

#include "callbacks/RefusalBox.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

BagActionEvent::BagActionEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

BagActionEvent::~BagActionEvent() = default;

bool BagActionEvent::readInt(const std::string& name, gui::ParamHandle params, int& out) const
{
    return findParam(name, params) && readParam(name, params, out);
}

std::string BagActionEvent::slotText(int slot)
{
    Json::Value list(Json::arrayValue);
    list.append(slot);
    return ZRKParamText::make(list);
}

bool BagActionEvent::ask(const std::string& text, const Answer& answer, const core::Frame::BoxKind& kind)
{
    core::Frame* frame = GameServices::frame();
    if (!frame) {
        log(kLogTrace, "no frame to ask: nothing done");
        return false;
    }
    mAskedOn = ZRKUserRequest::getInventoryTime();
    mBoxConnection = frame->messageBox2("warning/title", text, mRequests.guard(answer), kind);
    return true;
}

bool BagActionEvent::bagUnchanged(const std::string& action)
{
    if (ZRKUserRequest::getInventoryTime() == mAskedOn)
        return true;
    log(kLogTrace, "the bag changed while " + action + " was asked: nothing done");
    RefusalBox::show(ZRKLan::getMsg("warning/bag_changed"));
    raiseEvent(gui::EventId::PackageLoading);
    return false;
}

gui::ParamList* BagActionEvent::fillOutcome(const core::XmlConfigHelper& view)
{
    clearParams();
    addNode("error", view.getBoolVal("ERR", false), 0, 0);
    addNode("msg", view.getStringVal("MSG", std::string()), 0, 0);
    return paramList();
}

} // namespace zrk
} // namespace kavri3D
