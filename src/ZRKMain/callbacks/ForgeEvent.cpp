#include "callbacks/ForgeEvent.h"

#include <cmath>
#include <data/ZRKParamText.h>
#include <json/json.h>

namespace kavri3D {
namespace zrk {

ForgeEvent::ForgeEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

ForgeEvent::~ForgeEvent() = default;

std::string ForgeEvent::requestText(const Json::Value& value) { return ZRKParamText::make(value); }

Json::Value ForgeEvent::slotList(int slot)
{
    Json::Value list(Json::arrayValue);
    if (slot != -1)
        list.append(slot);
    return list;
}

bool ForgeEvent::send(int mode, Query query, const std::string& text, const ZRKReply& reply)
{
    if (mode == 1 || mode == 2)
        mFailures[mode] = Failure();
    return mRequests.track(query(text, reply)) != 0;
}

void ForgeEvent::answered(int mode, bool error, const std::string& text)
{
    if (error && (mode == 1 || mode == 2)) {
        mFailures[mode].failed = true;
        mFailures[mode].text = text;
    }
    raiseEvent(getEventId());
}

gui::ParamList* ForgeEvent::fill(std::initializer_list<Field> preview, View previewView,
                                 std::initializer_list<Field> perform, View performView)
{
    clearParams();
    mBusy = false;
    const bool known = mMode == 1 || mMode == 2;
    core::XmlConfigHelper view;
    if (known && mFailures[mMode].failed) {
        // No answer of the server (or a refusal): its text, and the defaults.
        view.setBoolVal("ERR", true);
        view.setStringVal("MSG", mFailures[mMode].text);
    } else if (known) {
        view = mMode == 1 ? previewView() : performView();
    }
    // The GUI is given names and values alone: size and type code keep their starting 0.
    auto put = [this](const char* name, const boost::any& value) { addNode(name, value, 0, 0); };
    auto finite = [](float v) { return std::isfinite(v) ? v : 0.0f; };
    if (known) {
        for (const Field& f : mMode == 1 ? preview : perform) {
            switch (f.kind) {
            case Field::Mode:
                put(f.node, mMode);
                break;
            case Field::Bool:
                put(f.node, view.getBoolVal(f.key, false));
                break;
            case Field::Int:
                put(f.node, view.getIntVal(f.key, 0));
                break;
            case Field::Float:
                put(f.node, finite(view.getRealVal(f.key, 0.0f)));
                break;
            case Field::Text:
                put(f.node, view.getStringVal(f.key, std::string()));
                break;
            }
        }
    }
    put("error", view.getBoolVal("ERR", false));
    put("msg", view.getStringVal("MSG", std::string()));
    put("val", view.getIntVal("nValue", 0));
    return paramList();
}

} // namespace zrk
} // namespace kavri3D
