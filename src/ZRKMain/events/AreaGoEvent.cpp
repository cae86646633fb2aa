#include "events/AreaGoEvent.h"

#include <core/ClientStateTable.h>
#include <core/Frame.h>
#include <core/TimerManager.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <lan/ZRKLan.h>

#include "events/HallFriendListMgr.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

AreaGoEvent::AreaGoEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

AreaGoEvent::~AreaGoEvent()
{
    if (mRefreshTimer != -1)
        core::killTimer(static_cast<int>(mRefreshTimer));
}

gui::ParamList* AreaGoEvent::fillParams()
{
    clearParams();
    addString("zone_name", mZoneName);
    return paramList();
}

void AreaGoEvent::callback(gui::ParamHandle params)
{
    const gui::ParamNode* idNode = findParam("z_id", params);
    const int* id = idNode && idNode->type == gui::ParamNode::Integer ? boost::any_cast<int>(&idNode->value) : nullptr;
    if (!id) {
        writeLog(kLogTrace, "AreaGoEvent", "z_id ParamNode type error");
        return;
    }
    if (ZRKServer* server = getZRKServer()) {
        const int level = ZRKUserRequest::getPc_id().getIntVal("pc_lv", 0);
        for (const core::XmlConfigHelper& zone : std::list<core::XmlConfigHelper>(server->getZones())) {
            if (zone.getIntVal("z_id", 0) != *id)
                continue;
            const int limit = zone.getIntVal("pc_level", 0);
            if (limit > 0 && level > limit) {
                onReply(true, formatMsg(ZRKLan::getMsg("error/no_access"), {std::to_string(limit)}));
                return;
            }
            break;
        }
    }
    // Missing room names are no rooms: nothing is entered for them.
    mCryRoomName.clear();
    mGuildRoomName.clear();
    if (!readOptional("cryRoomName", params, mCryRoomName) || !readOptional("guildRoomName", params, mGuildRoomName))
        return;
    mRequests.track(ZRKServerRequest::joinZone(
        *id, mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
}

void AreaGoEvent::onReply(bool error, const std::string& text)
{
    mZoneName.clear();
    if (error) {
        if (core::Frame* frame = GameServices::frame())
            frame->messageBoxText(ZRKLan::getMsg("warning/title"), ZRKLan::getMsg("error/area_noaccess") + text,
                                  core::Frame::kNoticeBox);
        raiseEvent(getEventId());
        return;
    }
    ZRKServer* server = getZRKServer();
    mZoneName = server ? server->getCurrentZone().getStringVal("name", "") : std::string();
    if (ZRKSession* session = GameServices::session()) {
        session->teleport(mZoneName, core::ClientStateTable::kPlayerHall, std::string());
        if (!mCryRoomName.empty())
            session->enter(mCryRoomName, std::string());
    }
    raiseEvent(getEventId());
    mZoneMembers = boost::signals2::connection();
    if (server)
        mZoneMembers = server->subscribeToZoneMebSignal(
            [this](const std::string& member, bool joined) { onZoneMembers(member, joined); });
}

void AreaGoEvent::onZoneMembers(const std::string&, bool)
{
    if (mRefreshTimer != -1)
        core::killTimer(static_cast<int>(mRefreshTimer));
    mRefreshTimer = core::setTimeout(kRefreshDelayMs, [this] { refreshHallPlayers(); });
}

void AreaGoEvent::refreshHallPlayers()
{
    mRefreshTimer = -1;
    if (HallFriendListMgr::rebuildFromZone())
        raiseEvent(HallFriendListMgr::refreshIdOfZone());
}

} // namespace zrk
} // namespace kavri3D
