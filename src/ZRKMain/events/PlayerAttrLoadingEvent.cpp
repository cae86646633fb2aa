#include "events/PlayerAttrLoadingEvent.h"

#include <boost/bind/bind.hpp>
#include <core/AvatarManager.h>
#include <core/ClientState.h>
#include <core/ClientStateTable.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <gui/IGrowthView.h>
#include <gui/IGuiManager.h>
#include <gui/RoleAttr.h>
#include <json/json.h>
#include <list>
#include <vector>

#include "events/fillRoleAttr.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

using namespace boost::placeholders;

namespace {

const Json::Value& animations(const Json::Value& doc, const std::string& look)
{
    if (!doc.isObject() || !doc[look].isObject() || !doc[look]["animation"].isArray())
        return Json::Value::nullSingleton();
    return doc[look]["animation"];
}

} // namespace

PlayerAttrLoadingEvent::PlayerAttrLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

PlayerAttrLoadingEvent::~PlayerAttrLoadingEvent() = default;

std::string PlayerAttrLoadingEvent::ownUid()
{
    ZRKSession* session = GameServices::session();
    return session ? session->getUID() : std::string();
}

gui::ParamList* PlayerAttrLoadingEvent::fillParams()
{
    clearParams();
    // Without a session the own tree is empty: a record of defaults.
    const std::string uid = ownUid();
    gui::RoleAttr current;
    fillRoleAttr(current, uid.empty() ? core::XmlConfigHelper() : ZRKUserRequest::getUserSetting(uid));
    addRecord("currentRole", current);

    std::vector<gui::RoleAttr> roles;
    for (const core::XmlConfigHelper& tree : ZRKUserRequest::getUserSettings()) {
        roles.emplace_back();
        fillRoleAttr(roles.back(), tree);
    }
    addNode("rolelist", roles, static_cast<std::int32_t>(roles.size() * sizeof(gui::RoleAttr)), gui::ParamNode::Record);
    return paramList();
}

void PlayerAttrLoadingEvent::callback(gui::ParamHandle)
{
    const std::string uid = ownUid();
    core::AvatarManager* avatars = ZRKUserRequest::getAvatarManager();
    if (uid.empty() || !avatars) {
        writeLog(kLogTrace, channel().c_str(), "no session: the attributes cannot be asked for");
        return;
    }
    mRequests.track(ZRKUserRequest::queryUserInfo(
        uid, true, false, mRequests.guard(boost::bind(&PlayerAttrLoadingEvent::onUserInfoReply, this, _1, _2))));
    if (mUpdateConnection.connected())
        return;
    // The values now are the base the growth effects compare with.
    const core::XmlConfigHelper pc = ZRKUserRequest::getPc_id();
    mLastLevel = pc.getIntVal("pc_lv", -1);
    mLastRank = pc.getIntVal("pc_rank", -1);
    mLastAchievement = pc.getStringVal("pc_ach", "");
    mLastNewbieTask = pc.getIntVal("pc_newbie_task", -1);
    mUpdateConnection =
        avatars->subscribeToUpdateSignal(boost::bind(&PlayerAttrLoadingEvent::onAvatarUpdate, this, _1, _2));
}

void PlayerAttrLoadingEvent::onUserInfoReply(bool error, const std::string& text)
{
    if (error) {
        writeLog(kLogTrace, channel().c_str(), text);
        return;
    }
    mRequests.track(ZRKUserRequest::queryUserDefState(
        ownUid(), false, mRequests.guard(boost::bind(&PlayerAttrLoadingEvent::onDefStateReply, this, _1, _2))));
}

void PlayerAttrLoadingEvent::onDefStateReply(bool error, const std::string& text)
{
    if (error) {
        writeLog(kLogTrace, channel().c_str(), text);
        return;
    }
    const core::XmlConfigHelper def = ZRKUserRequest::getUserDefState();
    const int kind = ZRKUserRequest::getPc_id().getIntVal("c_id", 0);
    ZRKRolePtr own = RoleManager::instance().getRole("myrole");
    ZRKRolePtr view = RoleManager::instance().getRole("showview");
    if (!own || !view)
        return;
    const std::string look = ZRKRoleRes::lookOf(kind);
    own->setLook(look);

    const ZRKRoleRes* res = GameServices::roleResources();
    const Json::Value& doc = res ? res->getDefState() : Json::Value::nullSingleton();
    const std::vector<std::string> items = res ? res->getDefaultParts(look, def) : std::vector<std::string>(5);
    const std::string mood = res ? res->getPart(look, "animation", 0) : std::string();

    view->setDefaultItems(items);
    own->setDefaultItems(items);
    own->clearItems();
    view->clearItems();
    const Json::Value& actions = animations(doc, look);
    for (Json::ArrayIndex i = 2; i < actions.size(); ++i) {
        const std::string action = actions[i].isString() ? actions[i].asString() : std::string();
        own->addItem(action);
        view->addItem(action);
    }
    own->loadEquipment();
    own->setMood(mood);
    view->setMood(mood);

    if (EquipRes* equipment = GameServices::equipment()) {
        core::XmlConfigHelper state;
        state.setStringVal("def_sex", look);
        state.setStringVal("def_hair", items[0]);
        state.setStringVal("def_face", items[1]);
        state.setStringVal("def_coat", items[2]);
        state.setStringVal("def_glove", items[3]);
        state.setStringVal("def_shoes", items[4]);
        state.setStringVal("def_animation", mood);
        equipment->setDefState(state);
    }
    raiseEvent(getEventId());
}

void PlayerAttrLoadingEvent::onAvatarUpdate(const std::string& avatarId, int flags)
{
    if (!(flags & core::AvatarManager::Grade) || avatarId != ownUid())
        return;
    const core::XmlConfigHelper pc = ZRKUserRequest::getPc_id();
    const int level = pc.getIntVal("pc_lv", 0);
    const int rank = pc.getIntVal("pc_rank", 0);
    const int newbie = pc.getIntVal("pc_newbie_task", 0);
    const std::string achievement = pc.getStringVal("pc_ach", "");

    gui::IGuiManager* manager = GameServices::guiManager();
    // A level change either way plays the effect; a rank only when it rises.
    if (mLastLevel >= 0 && level != mLastLevel) {
        if (manager) {
            manager->playFlash("sp_levelup.swf", 512, 512, 4.0f);
            if (gui::IGrowthView* growth = manager->getGrowthView())
                growth->showGrowth(level, true);
        }
        raiseEvent(gui::EventId::Growth);
    }
    if (mLastRank >= 0 && rank > mLastRank) {
        if (manager) {
            manager->playFlash("sp_rankup.swf", 512, 512, 4.0f);
            if (gui::IGrowthView* growth = manager->getGrowthView())
                growth->showGrowth(rank, false);
        }
        raiseEvent(gui::EventId::Growth);
    }
    const bool taskMoved = (mLastNewbieTask != -1 && mLastNewbieTask != newbie) ||
                           (!mLastAchievement.empty() && mLastAchievement != achievement);
    core::ClientState* state = GameServices::currentState();
    if (taskMoved && !(state && state->getName() == core::ClientStateTable::kBattle))
        raiseEvent(gui::EventId::MessionReward);
    mLastLevel = level;
    mLastRank = rank;
    mLastAchievement = achievement;
    mLastNewbieTask = newbie;
    raiseEvent(gui::EventId::PlayerAttrRefresh);
    raiseEvent(gui::EventId::HallPlayerAttrRefresh);
}

} // namespace zrk
} // namespace kavri3D
