#include "callbacks/FastJoinCallbackEvent.h"

#include <vector>
#include <data/ZRKServerRequest.h>
#include <data/ZRKUserRequest.h>
#include <text/CeguiText.h>
#include <gui/Room.h>
#include <json/value.h>
#include <lan/ZRKLan.h>

#include "events/RoomJoinEvent.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

FastJoinCallbackEvent::FastJoinCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

FastJoinCallbackEvent::~FastJoinCallbackEvent() = default;

gui::ParamList* FastJoinCallbackEvent::fillParams()
{
    clearParams();
    std::vector<gui::Room> rooms;
    if (!mRefusal.empty()) {
        // The rooms found before are no answer to this match.
        addNode("room_lst", rooms, 0, 0);
        addString("room_error", mRefusal);
        return paramList();
    }
    ZRKRoleRes* res = GameServices::roleResources();
    const Json::Value& doc = res ? res->getDefState() : Json::Value::nullSingleton();
    const int level = ZRKUserRequest::getPc_id().getIntVal("pc_lv", 0);
    int low = 0, high = 0;
    // The same band as joining a room from the hall's list: no room offered here refuses the player.
    RoomJoinEvent::levelBand(level, doc, low, high);
    for (const core::XmlConfigHelper& r : ZRKServerRequest::getRoomsFind()) {
        const int lv = r.getIntVal("lv", 0);
        if (lv < low || lv > high)
            continue;
        gui::Room row;
        row.id = r.getIntVal("id", 0);
        // Unlike the hall's list, a found room shows its taken seats and its size as they are.
        row.members = r.getIntVal("occ", 0);
        row.seats = r.getIntVal("max", 0);
        row.title = gui::toCeguiString(r.getStringVal("title", ""));
        row.mode = r.getIntVal("mode", 0);
        row.name = gui::toCeguiString(r.getStringVal("name", ""));
        row.password = r.getBoolVal("password", true);
        row.fight = r.getBoolVal("fight", true);
        row.lv = lv;
        rooms.push_back(row);
    }
    addNode("room_lst", rooms, 0, 0);
    return paramList();
}

void FastJoinCallbackEvent::callback(gui::ParamHandle)
{
    mRequests.track(ZRKServerRequest::quickMatch(
        mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
}

void FastJoinCallbackEvent::onReply(bool error, const std::string& text)
{
    mRefusal.clear();
    if (error) {
        log(kLogTrace, "no quick match: " + text);
        mRefusal = text.empty() ? ZRKLan::getMsg("error/unknow_wrong") : text;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
