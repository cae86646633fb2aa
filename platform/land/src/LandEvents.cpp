#include "land/LandEvents.h"

#include <boost/make_shared.hpp>
#include <yake/Logger.h>
#include "land/ZRKNpcSim.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

namespace {
const yake::logging::Channel landLog("land");
} // namespace

void LandEvents::log(Severity severity, const std::string& text) { landLog(severity, text); }

core::EventPtr LandEvents::make(LandEventId::Id type) const { return boost::make_shared<ZRKLand::LandAnyEvent>(type); }

void LandEvents::addPreview(int type, const ZRKLand::EventPreview& preview)
{
    if (preview)
        mPreviews[type].push_back(preview);
}

void LandEvents::post(const core::EventPtr& event)
{
    auto it = mPreviews.find(event->getType());
    if (it != mPreviews.end()) {
        const std::vector<ZRKLand::EventPreview> previews = it->second;
        for (const ZRKLand::EventPreview& preview : previews) {
            try {
                if (preview(&mLand, *event) != 0)
                    return;
            } catch (const std::exception& e) {
                log(Severity::Error, "preview of event " + std::to_string(event->getType()) + " failed: " + e.what());
            }
        }
    }
    if (core::EventManager* events = core::EventManager::getSingletonPtr())
        events->post(event);
}

void LandEvents::postStatus(ZRKPlayerSim& doll, const std::string& attr)
{
    if (!doll.isLocal())
        return;
    core::EventPtr e = make(LandEventId::OwnStatus);
    if (!attr.empty())
        e->attrs().setAttr(attr, true);
    postStatus(doll, e);
}

void LandEvents::postStatus(ZRKPlayerSim& doll, const core::EventPtr& event)
{
    if (!doll.isLocal()) {
        doll.mSimEvent.clear();
        return;
    }
    if (doll.mSimEvent.getAttrAs<bool>("fury", false))
        doll.mRageArmed = true;
    for (const auto& a : doll.mSimEvent.all())
        if (!event->attrs().hasAttr(a.first))
            event->attrs().setAttr(a.first, a.second);
    doll.mSimEvent.clear();
    post(event);
}

void LandEvents::postBubble(const ZRKBasicSim& sim)
{
    const bool npc = mLand.getNpc(sim.getId()) != nullptr;
    core::EventPtr e = make(npc ? LandEventId::NpcBubble : LandEventId::DollBubble);
    e->attrs().setAttr(npc ? "name" : "playerId", sim.getId());
    post(e);
}

void LandEvents::postHit(const ZRKBasicSim& target, int health, int flags, const std::string& hitter,
                         const std::string& type)
{
    core::EventPtr e = make(LandEventId::Hit);
    e->attrs().setAttr("playerId", target.getId());
    core::XmlConfigHelper& p = e->getParams();
    p.setStringVal("type", type);
    p.setIntVal("hit", flags);
    p.setIntVal("level", 1);
    p.setIntVal("health", health);
    p.setStringVal("hitter", hitter);
    post(e);
}

void LandEvents::postMessage(const std::string& uid, const std::string& msg, const std::vector<std::string>& argv,
                             int team, int local, int res)
{
    core::EventPtr e = make(LandEventId::BattleMessage);
    if (!uid.empty())
        e->attrs().setAttr("uid", uid);
    e->attrs().setAttr("team", team);
    e->attrs().setAttr("msg", msg);
    if (!argv.empty())
        e->attrs().setAttr("argv", argv);
    if (local)
        e->attrs().setAttr("local", true);
    if (res)
        e->attrs().setAttr("res", true);
    post(e);
}

} // namespace zrk
} // namespace kavri3D
