#include "events/HallRoomListRefeshEvent.h"

#include <algorithm>
#include <cstdint>
#include <data/ZRKServerRequest.h>
#include <text/CeguiText.h>
#include <gui/Room.h>
#include <vector>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const int kModeRanks[11] = {0, 1, 2, 4, 0, 0, 0, 0, 0, 3, 0};

/// What the order looks at, read once per room.
struct SortKey {
    bool fight;
    int lv;
    int rank;
    int id;
    const core::XmlConfigHelper* room;
};

SortKey keyOf(const core::XmlConfigHelper& room)
{
    return SortKey{room.getBoolVal("fight", true), room.getIntVal("lv", 0),
                   HallRoomListRefeshEvent::modeRank(room.getIntVal("mode", 0)), room.getIntVal("id", 0), &room};
}

bool keyBefore(const SortKey& a, const SortKey& b)
{
    if (a.fight != b.fight)
        return !a.fight;
    if (a.lv != b.lv)
        return a.lv < b.lv;
    if (a.rank != b.rank)
        return a.rank < b.rank;
    return a.id < b.id;
}

CEGUI::String ceguiText(const std::string& text) { return gui::toCeguiString(text); }
} // namespace

HallRoomListRefeshEvent::HallRoomListRefeshEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id)
    : BaseEvent(page, dispatcher, id)
{
}

int HallRoomListRefeshEvent::modeRank(int mode) { return mode >= 0 && mode <= 10 ? kModeRanks[mode] : 0; }

bool HallRoomListRefeshEvent::roomBefore(const core::XmlConfigHelper& a, const core::XmlConfigHelper& b)
{
    return keyBefore(keyOf(a), keyOf(b));
}

gui::ParamList* HallRoomListRefeshEvent::fillParams()
{
    clearParams();
    ZRKServer* server = getZRKServer();
    if (!server)
        return paramList();
    const std::list<core::XmlConfigHelper>& rooms = server->getRooms();
    std::vector<SortKey> order;
    order.reserve(rooms.size());
    for (const core::XmlConfigHelper& room : rooms)
        order.push_back(keyOf(room));
    std::stable_sort(order.begin(), order.end(), keyBefore);
    for (const SortKey& key : order) {
        const core::XmlConfigHelper& r = *key.room;
        gui::Room row;
        row.id = key.id;
        row.members = r.getIntVal("meb", 0);
        // Worked out wide and held to what a room can seat: no reply makes it wrap around.
        const long long seats = static_cast<long long>(r.getIntVal("max", 0)) - r.getIntVal("occ", 0) + row.members;
        row.seats = static_cast<int>(std::max(0LL, std::min(seats, static_cast<long long>(INT32_MAX))));
        row.title = ceguiText(r.getStringVal("title", ""));
        row.name = ceguiText(r.getStringVal("name", ""));
        row.mode = r.getIntVal("mode", 0);
        row.password = r.getBoolVal("password", true);
        row.fight = key.fight;
        row.lv = key.lv;
        row.g_red_id = r.getIntVal("g_red_id", 0);
        row.g_green_id = r.getIntVal("g_green_id", 0);
        row.g_war = r.getBoolVal("g_war", true);
        addRecord("room", row);
    }
    return paramList();
}

void HallRoomListRefeshEvent::callback(gui::ParamHandle params)
{
    bool queryArena = false;
    if (!readOptional("queryArena", params, queryArena))
        return;
    if (queryArena)
        mRequests.track(ZRKServerRequest::queryArenaState(ZRKReply()));
    mRequests.track(ZRKServerRequest::queryRooms(
        std::string(), -1, mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
}

void HallRoomListRefeshEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        writeLog(kLogTrace, "HallRoomListRefeshEvent", text);
        return;
    }
    raiseEvent(givenId());
}

} // namespace zrk
} // namespace kavri3D
