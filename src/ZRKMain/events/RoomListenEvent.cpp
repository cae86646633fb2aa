#include "events/RoomListenEvent.h"

#include <core/ClientState.h>
#include <core/ClientStateTable.h>
#include <core/Frame.h>
#include <data/ZRKPlayerState.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKRosterIQ.h>
#include <data/ZRKRosterRequest.h>
#include <data/ZRKServer.h>
#include <data/ZRKUserRequest.h>
#include <data/ZRKWeaponLib.h>
#include <data/ZRKSession.h>
#include <gui/PlayerCard.h>
#include <json/value.h>
#include <scene/BasicPlayer.h>
#include <scene/PartShapes.h>
#include <text/CeguiText.h>

#include "services/GameServices.h"
#include "events/RoomFlow.h"
#include "events/fillRoleAttr.h"
#include "rooms/BackgroundScene.h"
#include "rooms/EquipRes.h"
#include "rooms/PersonalRoom.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "rooms/ZRKRoleRes.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

const char* const RoomListenEvent::kSeatNames[8] = {"red1", "red2", "red3", "red4", "blue1", "blue2", "blue3", "blue4"};

namespace {

RoomListenEvent* gListener = nullptr;
bool gListening = false;
const char* const kChannel = "RoomListenEvent";

bool inPersonalRoom()
{
    core::ClientState* state = GameServices::currentState();
    return state && state->getName() == core::ClientStateTable::kPersonalRoom;
}

const Json::Value& defState()
{
    ZRKRoleRes* res = GameServices::roleResources();
    return res ? res->getDefState() : Json::Value::nullSingleton();
}

/// Entry `index` of the look's list `part` in the default-state file; "" when
/// there is none.
std::string lookPart(const std::string& look, const char* part, int index)
{
    const Json::Value& doc = defState();
    const Json::Value& byLook = doc.isObject() ? doc[look] : Json::Value::nullSingleton();
    const Json::Value& list = byLook.isObject() ? byLook[part] : Json::Value::nullSingleton();
    if (!list.isArray() || index < 0 || static_cast<Json::ArrayIndex>(index) >= list.size())
        return std::string();
    const Json::Value& v = list[static_cast<Json::ArrayIndex>(index)];
    return v.isString() ? v.asString() : std::string();
}

/// An outfit as the server names it, with the look's first choice of each part it leaves bare
/// (a suit and wings are no figure without a head): a suit covers the coat.
core::EquipmentList withLookParts(core::EquipmentList worn, const std::string& look)
{
    const auto covered = [&worn](const std::string& slot) {
        for (const core::Equipment& e : worn) {
            const std::string has = core::PartShapes::slotOf(e.getKind(), e.getItem());
            if (has == slot || (slot == "coat" && has == "suite"))
                return true;
        }
        return false;
    };
    core::EquipmentList parts;
    for (const char* part : {"hair", "face", "coat", "glove", "shoes"}) {
        const std::string item = lookPart(look, part, 0);
        if (!item.empty() && !covered(core::PartShapes::slotOf(std::string(), item)))
            parts.push_back(core::Equipment(item));
    }
    worn.splice(worn.end(), parts);
    return worn;
}

int roomMode(const ZRKRoomState& room) { return room.getParams().getIntVal("mode", 0); }

} // namespace

RoomListenEvent::RoomListenEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher), mSeatPlayers(8, -1), mSeatPoses(8), mAskedLook(8, -1)
{
    gListener = this;
    GameServices::hooks().refreshRoom = [] {
        if (RoomListenEvent* listener = instance())
            listener->refreshRoom(true, true);
    };
}

RoomListenEvent::~RoomListenEvent()
{
    disconnectAll();
    if (gListener == this) {
        gListener = nullptr;
        GameServices::hooks().refreshRoom = nullptr;
    }
}

RoomListenEvent* RoomListenEvent::instance() { return gListener; }
bool RoomListenEvent::isListening() { return gListening; }
void RoomListenEvent::setListening(bool listening) { gListening = listening; }

void RoomListenEvent::disconnectAll()
{
    mParamConnection = boost::signals2::connection();
    mStateConnection = boost::signals2::connection();
    mPlayerConnection = boost::signals2::connection();
    mDestroyConnection = boost::signals2::connection();
}

void RoomListenEvent::raiseByMode(int which)
{
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    const int id = room ? RoomFlow::idFor(static_cast<RoomFlow::Purpose>(which), roomMode(*room)) : 0;
    if (id)
        raiseEvent(id);
}

int RoomListenEvent::seatOrFirst(int seat, const char* what)
{
    if (seat >= 0 && seat < 8)
        return seat;
    writeLog(kLogTrace, kChannel, what);
    return 0;
}

void RoomListenEvent::callback(gui::ParamHandle params)
{
    disconnectAll();
    mFriends.clear();
    std::string uid;
    const gui::ParamNode* node = findParam("uid", params);
    const std::string* given = node ? boost::any_cast<std::string>(&node->value) : nullptr;
    if (!given)
        return;
    mUid = *given;
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    if (!room)
        return;
    gListening = true;
    std::fill(mSeatPlayers.begin(), mSeatPlayers.end(), -1);
    std::fill(mAskedLook.begin(), mAskedLook.end(), -1);
    std::fill(mSeatPoses.begin(), mSeatPoses.end(), std::string());
    mParamConnection =
        room->subscribeToParamSignal([this](bool first, bool dress) { refreshRoom(first, dress); }, true);
    mStateConnection =
        room->subscribeToRoomStateSignal([this](core::XmlConfigHelper& state) { onRoomState(state); }, true);
    mPlayerConnection = room->subscribeToPlayerStateSignal(
        [this](const std::string& name, int bits) { onPlayerState(name, bits); }, true);
    mDestroyConnection = room->subscribeToDestroySignal([this] { onRoomDestroyed(); });
}

void RoomListenEvent::refreshRoom(bool, bool dress)
{
    if (!inPersonalRoom())
        return;
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    if (!room)
        return;
    if (dress && gListening) {
        const int own = room->getSeatOf(mUid);
        for (int s = 0; s < 8; ++s) {
            ZRKPlayerState* player = room->getPlayer(s).get();
            if (player)
                dressSeat(player, s, own);
            else
                emptySeat(s);
        }
    }
    raiseByMode(RoomFlow::Seats);
}

void RoomListenEvent::emptySeat(int seat)
{
    // Nobody sits there now: no figure, and the next one to sit down is dressed afresh.
    mSeatPlayers[seat] = -1;
    mAskedLook[seat] = -1;
    if (EquipRes* res = GameServices::equipment())
        res->setSeatLook(kSeatNames[seat], std::string());
    if (ZRKRolePtr role = RoleManager::instance().getRole(kSeatNames[seat]))
        if (boost::shared_ptr<core::BasicPlayer> figure = role->getPlayer())
            figure->setAvatarVisible(false);
}

void RoomListenEvent::dressSeat(ZRKPlayerState* player, int seat, int ownSeat)
{
    if (!player || seat < 0 || seat >= 8)
        return;
    if (ZRKRolePtr role = RoleManager::instance().getRole(kSeatNames[seat]))
        if (boost::shared_ptr<core::BasicPlayer> figure = role->getPlayer())
            figure->setAvatarVisible(true);
    const core::XmlConfigHelper settings = player->getUserSettings();
    const core::XmlConfigHelper info = player->getUserInfo();
    const int accountId = info.getIntVal("a_id", 0);
    const std::string user = info.getStringVal("a_username", "");
    if (!user.empty() && !mFriends.count(user)) {
        // A friend is one of the roster's friend group (1), as the roster last came.
        ZRKRosterIQ* roster = GameServices::session() ? ZRKRosterRequest::getIQ(false) : nullptr;
        mFriends[user] = roster && roster->getRosterItem(user).getIntVal("group", 0) == 1 ? 1 : 0;
    }
    const int pcId = settings.getIntVal("pc_id", -1);
    if (pcId == -1 || pcId == mSeatPlayers[seat])
        return;
    const std::string seatName = kSeatNames[seat];
    ZRKRolePtr role = RoleManager::instance().getRole(seatName);
    EquipRes* res = GameServices::equipment();
    if (!role || !res)
        return;
    const std::string look = ZRKRoleRes::lookOf(settings.getIntVal("c_id", 0));
    role->setLook(look);
    role->clearItems();
    for (int i = 2;; ++i) {
        const std::string action = lookPart(look, "animation", i);
        if (action.empty())
            break;
        role->addItem(action);
    }
    res->setSeatLook(seatName, look);
    if (role->getMood().empty())
        role->setMood(lookPart(look, "animation", 0));
    const std::string pose = player->getBattleState().getStringVal("x/demo", "");
    ZRKRolePtr own = seat == ownSeat ? RoleManager::instance().getRole("myrole") : ZRKRolePtr();
    if (accountId != 0 && own && !own->getEquipment().empty()) {
        // The own seat wears what the player's own character wears.
        showDemoPose(seatName, pose);
        role->copyFrom(*own);
        res->setSeatEquipment(seatName, role->getEquipment());
        return;
    }
    if (accountId != 0 && seat != ownSeat && !player->getEquipments().empty()) {
        // A player with an account wears what the server says he wears.
        role->clearEquipment();
        role->applyDefaultItems();
        role->setEquipmentList(withLookParts(player->getEquipments(), look));
        showDemoPose(seatName, pose);
        role->loadEquipment();
        res->setSeatEquipment(seatName, player->getEquipments());
        return;
    }
    // A guest (or a player whose outfit is not known here): his default look and the level
    // slots. The look is asked for once per player on the seat; when it comes the seat is
    // dressed again if he still sits there.
    if (mAskedLook[seat] != pcId && !user.empty()) {
        mAskedLook[seat] = pcId;
        mRequests.track(ZRKUserRequest::queryUserDefState(
            user, mRequests.guard([this, seat, pcId](bool error, const std::string& text) {
                if (error)
                    writeLog(kLogTrace, kChannel, "no default look for a seat: " + text);
                else
                    redressGuest(seat, pcId);
            })));
    }
    showDemoPose(seatName, pose);
    dressGuest(*role, *player, seat);
}

void RoomListenEvent::dressGuest(ZRKRole& role, ZRKPlayerState& player, int seat)
{
    EquipRes* res = GameServices::equipment();
    if (!res || seat < 0 || seat >= 8)
        return;
    const core::XmlConfigHelper settings = player.getUserSettings();
    const core::XmlConfigHelper def =
        ZRKUserRequest::getUserDefState(player.getUserInfo().getStringVal("a_username", ""));
    const std::string& look = role.getLook();
    std::vector<std::string> items;
    const char* parts[5][2] = {{"hair", "def_hair"},
                               {"face", "def_face"},
                               {"coat", "def_coat"},
                               {"glove", "def_glove"},
                               {"shoes", "def_shoes"}};
    for (const auto& part : parts)
        items.push_back(lookPart(look, part[0], def.getIntVal(part[1], 0)));
    role.clearEquipment();
    std::vector<int> slots;
    ZRKUserRequest::getBBRSlots(slots, settings.getIntVal("pc_id", 0), settings.getIntVal("pc_lv", 0));
    std::string looks;
    for (std::size_t i = 0; i + 2 < slots.size(); i += 3) {
        const std::string kind = slots[i] < 17 ? ZRKRole::getSlotName(slots[i]) : std::string();
        const std::string model = kind.empty() ? std::string() : res->getModel(slots[i + 1]);
        if (model.empty())
            continue;
        role.setAttr(kind, model);
        if (kind == "suite")
            looks = res->getSfName(slots[i + 1]);
    }
    role.setDefaultItems(items);
    if (!looks.empty())
        role.setAttr("looks", looks);
    role.setEquipmentList(withLookParts(role.getEquipment(), look));
    role.loadEquipment();
    player.getEquipments() = role.getEquipment();
    res->setSeatEquipment(kSeatNames[seat], player.getEquipments());
}

void RoomListenEvent::redressGuest(int seat, int pcId)
{
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    if (!gListening || !room || !inPersonalRoom())
        return;
    boost::shared_ptr<ZRKPlayerState> player = room->getPlayer(seat);
    ZRKRolePtr role = RoleManager::instance().getRole(kSeatNames[seat]);
    if (player && role && player->getUserSettings().getIntVal("pc_id", -1) == pcId)
        dressGuest(*role, *player, seat);
}

void RoomListenEvent::showDemoPose(const std::string& seatRole, const std::string& pose)
{
    ZRKRolePtr role = pose.empty() ? ZRKRolePtr() : RoleManager::instance().getRole(seatRole);
    if (!role)
        return;
    role->resetMood();
    const std::size_t plus = pose.find('+');
    const std::string idText = pose.substr(0, plus);
    const std::string levelText = plus == std::string::npos ? std::string() : pose.substr(plus + 1);
    auto whole = [](const std::string& t, int& out) {
        if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos)
            return false;
        out = std::stoi(t);
        return true;
    };
    int weapon = 0, level = 0;
    if (!whole(idText, weapon) || (plus != std::string::npos && !whole(levelText, level))) {
        writeLog(kLogTrace, kChannel, ("a pose that is no weapon: " + pose.substr(0, 32)).c_str());
        return;
    }
    ZRKServer* server = getZRKServer();
    if (weapon == 0 || !server)
        return;
    ZRKWeaponLib* weapons = server->getWeaponLib();
    const WeaponInfoPtr found = weapons->findWeapon(std::to_string(weapon));
    const std::string model = ZRKWeaponLib::getEnhWeaponPID(found, level);
    if (model.empty())
        return;
    const int animation = WeaponConfig::findAnimation(found->animations, 'a', 0);
    if (animation != -1)
        role->playMood(model, found->animations[static_cast<std::size_t>(animation)].name, false);
}

gui::ParamList* RoomListenEvent::fillParams()
{
    clearParams();
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    if (!room)
        return paramList();
    const core::XmlConfigHelper params = room->getParams();
    const std::string owner = room->getModerator();
    std::vector<gui::PlayerCard> cards(8);
    for (int s = 0; s < 8; ++s) {
        gui::PlayerCard& card = cards[static_cast<std::size_t>(s)];
        boost::shared_ptr<ZRKPlayerState> player = room->getPlayer(s);
        if (!player) {
            mSeatPlayers[s] = -1;
            mSeatPoses[s].clear();
            ZRKRolePtr role = RoleManager::instance().getRole(kSeatNames[s]);
            if (role && !role->getMood().empty()) {
                // The one who sat here left: the seat stands empty.
                role->clearEquipment();
                role->clearItems();
                role->resetMood();
                role->setMood(std::string());
                role->loadEquipment();
            }
        } else {
            const core::XmlConfigHelper settings = player->getUserSettings();
            const core::XmlConfigHelper info = player->getUserInfo();
            core::XmlConfigHelper& battle = player->getBattleState();
            const int score = battle.getIntVal("score", 0);
            card.battle = battle.getIntVal("ready", 0) > 0;
            card.busy = battle.getIntVal("x/busy", 0) != 0;
            card.tier = score < 400 ? 0 : score < 800 ? 1 : 2;
            card.valueC = battle.getIntVal("ca_id", 0) + 1;
            const std::string nick = settings.getStringVal("pc_nickname", "");
            card.nickname = gui::toCeguiString(nick);
            card.occupied = true;
            card.valueB = score;
            const std::string user = info.getStringVal("a_username", "");
            auto f = mFriends.find(user);
            card.friendFlag = f == mFriends.end() ? 0 : f->second;
            card.g_id = settings.getIntVal("g_id", 0);
            card.g_name = settings.getStringVal("g_name", "");
            card.g_leve = settings.getIntVal("g_leve", 0);
            fillRoleAttr(card.attr, settings);
            card.attr.member_name = user;
            mSeatPlayers[s] = settings.getIntVal("pc_id", 0);
            const std::string pose = battle.getStringVal("x/demo", "");
            if (!pose.empty())
                mSeatPoses[s] = pose;
        }
        card.slotOff = !room->getSlotFlag(s);
    }
    const int ownerSeat = seatOrFirst(room->getSeatOf(owner), "owner position is full out");
    cards[static_cast<std::size_t>(ownerSeat)].owner = true;
    const int mode = params.getIntVal("mode", 0);
    addNode("players", cards, static_cast<std::int32_t>(cards.size() * sizeof(gui::PlayerCard)),
            gui::ParamNode::Record);
    addString("owner", owner);
    addInt("mode", mode);
    addString("title", params.getStringVal("title", "")); // for the page's heading
    addNode("g_war", params.getBoolVal("g_war", true), 1, gui::ParamNode::Integer);
    addInt("my_pos", seatOrFirst(room->getSeatOf(mUid), "player position is full out"));
    const std::string place = params.getStringVal("place", "");
    const int mapId = place == "default" ? -1 : params.getIntVal("place", 0);
    addInt("mapid", mapId);
    if (mode == 9) {
        ZRKServer* server = getZRKServer();
        const unsigned index = server ? server->getMapLib()->indexOfPVE(mapId, params.getIntVal("d_id", 0)) : 0u;
        addNode("mapidx", index, -1, gui::ParamNode::Integer);
    }
    return paramList();
}

void RoomListenEvent::onPlayerState(const std::string& name, int bits)
{
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    if (!inPersonalRoom() || !room)
        return;
    const int seat = room->getSeatOf(name);
    boost::shared_ptr<ZRKPlayerState> player = room->getPlayer(seat);
    if ((bits & 0x10) && gListening && player) {
        const std::string pose = player->getBattleState().getStringVal("x/demo", "");
        if (!pose.empty() && seat >= 0 && seat < 8 && pose != mSeatPoses[seat]) {
            mSeatPoses[seat] = pose;
            bits |= 0x4;
        }
    }
    if ((bits & (0x1 | 0x2)) && gListening && player)
        dressSeat(player.get(), seat, room->getSeatOf(mUid));
    if ((bits & 0x4) && gListening && player && seat >= 0 && seat < 8) {
        EquipRes* res = GameServices::equipment();
        ZRKRolePtr role = RoleManager::instance().getRole(kSeatNames[seat]);
        if (name != mUid && role) {
            role->setEquipmentList(withLookParts(player->getEquipments(), role->getLook()));
            showDemoPose(kSeatNames[seat], player->getBattleState().getStringVal("x/demo", ""));
            role->loadEquipment();
        }
        if (res)
            res->setSeatEquipment(kSeatNames[seat], player->getEquipments());
    }
    raiseByMode(RoomFlow::Seats);
}

void RoomListenEvent::onRoomState(core::XmlConfigHelper& next)
{
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    if (!inPersonalRoom() || !room)
        return;
    const core::XmlConfigHelper old = room->getState();
    const int newState = next.getIntVal("state", 0), oldState = old.getIntVal("state", 0);
    const std::string newArena = next.getStringVal("arena", ""), oldArena = old.getStringVal("arena", "");
    if (newState == oldState && newArena == oldArena)
        return;
    if (!(newState == 0 && oldState == 1) && newArena.empty())
        return;
    RoomFlow::handOverScreens();
    ZRKSession* session = GameServices::session();
    const std::string roomName = room->getRoomName();
    if (session && !newArena.empty()) {
        core::XmlConfigHelper& settings = session->getSettings();
        const bool leaveTeleport = settings.getBoolVal("leaveTeleport", true);
        settings.setBoolVal("leaveTeleport", false);
        session->setAttr("_arena", boost::any(roomName));
        session->teleport(newArena, core::ClientStateTable::kBattle, std::string());
        settings.setBoolVal("leaveTeleport", leaveTeleport);
    } else if (session) {
        session->eraseAttr("_arena");
        session->teleport(roomName, core::ClientStateTable::kBattle, std::string());
    }
    gListening = false;
    if (PersonalRoom* personal = PersonalRoom::getSingletonPtr())
        personal->clearReload();
    BackgroundScene::instance().destroyScene();
}

void RoomListenEvent::onRoomDestroyed()
{
    disconnectAll();
    for (const char* seat : kSeatNames)
        if (ZRKRolePtr role = RoleManager::instance().getRole(seat)) {
            role->clearItems();
            role->resetMood();
            role->loadEquipment();
        }
    if (!inPersonalRoom())
        return;
    gListening = false;
    if (PersonalRoom* personal = PersonalRoom::getSingletonPtr())
        personal->markReload();
    raiseByMode(RoomFlow::Gone);
}

} // namespace zrk
} // namespace kavri3D
