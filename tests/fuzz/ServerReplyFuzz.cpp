// A reply of the game server as the game takes it: its first line is the reply text (the
// log-in's result code, a room's entry code), the rest its result views, which the game
// keeps and reads back through the game data the events use. The views' "roomInfo" comes
// as the server's description of a room, which the room's listener must hear whatever it holds.
#include <cstdint>
#include <cstdlib>
#include <data/MsgRoomCallback.h>
#include <data/ZRKServer.h>
#include <data/ZRKWeaponLib.h>
#include <data/ZRKTransport.h>
#include <data/ZRKGameData.h>
#include <data/ZRKJson.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKSession.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKUserRequest.h>
#include <list>

#include "FuzzSupport.h"

using namespace kavri3D;
using namespace kavri3D::zrk;

namespace {

/// The link of a server that only describes a room, once.
class RoomInfoLink : public ZRKTransport {
public:
    explicit RoomInfoLink(const Json::Value& info) : mInfo(info) {}
    void send(ZRKMessage) override {}
    void receive(std::vector<ZRKMessage>& out) override
    {
        if (!mInfo.isNull())
            out.push_back(ZRKMessage::notice("roomInfo", "room1", "", mInfo));
        mInfo = Json::Value();
    }

private:
    Json::Value mInfo;
};

struct RoomListener : core::MsgRoomCallback {
    int infos = 0;
    void onRoomInfo(const std::string&, const TiXmlNode*) override { ++infos; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    const std::string input = zrkfuzz::FuzzSupport::text(data, size);
    const std::size_t line = input.find('\n');
    const std::string text = input.substr(0, line);
    const Json::Value views = ZRKJson::parse(line == std::string::npos ? std::string() : input.substr(line + 1));
    const bool error = !text.empty() && text[0] == '!';

    ZRKSession session(nullptr); // no embedded server: the input answers
    int code = -1;
    session.login("hero", "hero123", [&](core::ISession*, int c) { code = c; });
    ZRKUserRequest::queryPcStats(ZRKReply());
    ZRKUserRequest::queryUserInfo("hero", true, ZRKReply());
    ZRKUserRequest::queryUserInventory(0, ZRKReply());
    ZRKTaskRequest::getPcQuestList(false, ZRKReply());
    ZRKServerRequest::queryMaster(ZRKReply());
    session.enter("room1", "");
    ZRKRequestBroker& broker = session.getBroker();
    for (const char* op :
         {"login", "queryPcStats", "queryUserInfo", "queryUserInventory", "getPcQuestList", "queryMaster", "enter"})
        broker.completeOldest(op, error, text, views);
    session.update(0);

    // The room's description reaches its listener, whatever numbers or texts it carries.
    const Json::Value& info = ZRKJson::member(views, "roomInfo");
    if (info.isObject()) {
        RoomListener listener;
        session.getMsgClient()->addRoomCallback(session.decorateRoom("room1"), &listener);
        session.setTransport(std::unique_ptr<ZRKTransport>(new RoomInfoLink(info)));
        session.update(0);
        session.getMsgClient()->removeRoomCallback(&listener);
        if (listener.infos != 1)
            std::abort();
    }

    (void)ZRKUserRequest::getPc_id().getIntVal("pc_id", 0);
    (void)ZRKUserRequest::getUserInfo("hero").getStringVal("pc_id", "");
    (void)ZRKUserRequest::getUserSetting("hero").getIntVal("pc_newbie_task", 0);
    std::list<core::XmlConfigHelper> items;
    for (int bag = 0; bag < 12; ++bag)
        ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), bag, items);
    if (ZRKQuestLib* quests = ZRKTaskRequest::getQuestLib())
        (void)quests->getDoingNum(0xFF);
    if (ZRKDataLib* stats = ZRKUserRequest::getStatsLib()) {
        (void)stats->size();
        (void)stats->find("1");
    }
    // The weapons and the guests' level slots, whatever the libraries sent hold.
    if (ZRKServer* server = getZRKServer()) {
        const WeaponInfoPtr weapon = server->getWeaponLib()->findWeapon("1");
        if (weapon && (weapon->animations.size() > ZRKWeaponLib::kMaxAnimations ||
                       weapon->enhModels.size() > ZRKWeaponLib::kMaxLevels))
            std::abort();
        (void)ZRKWeaponLib::getEnhWeaponPID(weapon, 7);
    }
    for (int pcId : {0, 1, -5})
        for (int level : {0, 9, 100}) {
            std::vector<int> slots;
            ZRKUserRequest::getBBRSlots(slots, pcId, level);
            if (slots.size() % 3 != 0 || slots.size() > 3 * ZRKUserRequest::kMaxBBRSlots)
                std::abort();
        }
    (void)ZRKJson::fromView(ZRKJson::toView(views));
    (void)code;
    return 0;
}
