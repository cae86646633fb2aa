#include "battle/EvtLandHandler.h"

#include <boost/format.hpp>
#include <cmath>
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <core/EventManager.h>
#include <core/Frame.h>
#include <data/ZRKPlayerState.h>
#include <text/CeguiText.h>
#include <land/ZRKBasicSim.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKNpcState.h>
#include <land/ZRKPlayerSim.h>
#include <lan/ZRKLan.h>
#include <misc/CEGUIAnimationLib.h>
#include <scene/BasicPlayer.h>
#include <yake/Time.h>
#include "battle/BattleRoom.h"
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "EvtLandHandler";
const char* const kHeal = "tl:FF00FF00 tr:FF00FF00 bl:FF00FF00 br:FF00FF00";
const char* const kDamage = "tl:FFFF0000 tr:FFFF0000 bl:FFFF0000 br:FFFF0000";
const char* const kBuffDamage = "tl:FFFF8000 tr:FFFF8000 bl:FFFF8000 br:FFFF8000";
/// The largest Flash an event may ask for, in pixels each way.
constexpr int kMaxFlashSide = 4096;

CEGUI::UDim px(float v) { return CEGUI::UDim(0.0f, v); }

/// A window with nothing but its picture: no frame, no background, clicks through.
CEGUI::Window* plainImage(const CEGUI::String& name)
{
    CEGUI::Window* w = CEGUI::WindowManager::getSingleton().createWindow(CeguiWidgets::widgetType("StaticImage"), name);
    w->setProperty("FrameEnabled", "False");
    w->setProperty("BackgroundEnabled", "False");
    w->setMousePassThroughEnabled(true);
    w->setClippedByParent(false);
    return w;
}

/// The picture of a counter's character ("blue_7", "blue_+").
CEGUI::String digitImage(char c) { return gui::imageProperty("battle_num", std::string("blue_") + c); }

/// The signed text of a gain: "+5", "-5", "+0".
std::string signedText(int value) { return value >= 0 ? "+" + std::to_string(value) : std::to_string(value); }
} // namespace

const char* const EvtLandHandler::kNumberWindows[4] = {"battle/hpnum2", "battle/spnum2", "battle/furynum2",
                                                       "battle/spnum3"};

EvtLandHandler::~EvtLandHandler()
{
    try {
        for (const char* window : kNumberWindows)
            resetNumberWindow(window);
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("counters not reset: ") + e.what());
    }
    mAreas.clear();
}

bool EvtLandHandler::handle(const core::Event& event)
{
    const int type = event.getType();
    // The tutorial room looks at every land event first (its own LessonReady too); its filter takes
    // a changeable event.
    core::Event copy = event;
    if (mRoom.filterLandEvent(copy))
        return true;
    if (type < kFirst || type > kLast)
        return false;
    try {
        switch (type) {
        case LandEventId::Hit:
            hit(event);
            break;
        case LandEventId::ItemGained:
            itemGained(event);
            break;
        case LandEventId::Gains:
            gains(event);
            break;
        case LandEventId::BattleMessage:
            chatLine(event);
            break;
        case LandEventId::Effect:
            effect(event);
            break;
        case LandEventId::GuideText:
            guideText(event);
            break;
        case LandEventId::SyncOrAbort:
            syncOrAbort(event);
            break;
        default:
            break; // the two reserved ids mean nothing here
        }
    } catch (const std::exception& e) {
        // A missing or mistyped attribute ends its event; the next one is handled as usual.
        writeLog(kLogError, kChannel, "land event " + std::to_string(type) + " not handled: " + e.what());
    }
    return true;
}

// --- hits ------------------------------------------------------------------------------------

void EvtLandHandler::hit(const core::Event& event)
{
    const std::string playerId = BattleRoom::getAttrValue<std::string>(event.attrs(), "playerId");
    const core::XmlConfigHelper& p = event.getParams();
    const std::string type = p.getStringVal("type", "");
    const int flags = p.getIntVal("hit", 0);
    const int level = p.getIntVal("level", 1);
    const int health = p.getIntVal("health", 0);
    const std::string hitter = p.getStringVal("hitter", "");
    ZRKLand* land = mRoom.getLand();
    ZRKBasicSim* sim = nullptr;
    if (land)
        sim = ZRKNpcState::isNpcName(playerId) ? static_cast<ZRKBasicSim*>(land->getNpc(playerId))
                                               : static_cast<ZRKBasicSim*>(land->getDoll(playerId));
    if (sim && health != 0) {
        const core::BasicPlayerPtr& figure = sim->getPlayerRef();
        Ogre::SceneNode* node = figure ? figure->getMovable() : nullptr;
        const yake::math::Vector3& at = sim->getPosition();
        const Ogre::Vector3 anchor = node ? node->_getDerivedPosition() : Ogre::Vector3(at.x, at.y, at.z);
        showHit(playerId, flags, type, level, health, anchor, anchor.y);
    }
    // The grades are shown to the one who fired and to the one hit.
    const std::string me = land ? land->getMyUID() : std::string();
    if (me.empty() || (playerId != me && hitter != me))
        return;
    if (flags & 0x8)
        mRoom.showPromptScattered(BattleRoom::kPromptCritical, 0.75f);
    if (flags & 0x1)
        mRoom.showPromptScattered(BattleRoom::kPromptGood, 0.75f);
    if (flags & 0x2)
        mRoom.showPromptScattered(BattleRoom::kPromptPerfect, 0.75f);
}

float EvtLandHandler::popupHeight(const std::string& playerId)
{
    const float now = static_cast<float>(yake::native::getTime());
    auto it = mPopups.find(playerId);
    if (it == mPopups.end()) {
        mPopups[playerId] = Popup{now, 4.0f};
        return 4.0f;
    }
    Popup& p = it->second;
    const float dt = now - p.last;
    p.last = now;
    if (dt < 0.1f)
        p.height -= 2.0f;
    else if (dt < 0.3f)
        p.height -= 1.0f;
    else if (dt >= 0.5f)
        p.height = 4.0f;
    return p.height;
}

void EvtLandHandler::showHit(const std::string& playerId, int hitFlags, const std::string& type, int level, int health,
                             Ogre::Vector3 anchor, float avatarY)
{
    anchor.y = avatarY + popupHeight(playerId);
    if (health > 0) {
        mRoom.showNumber(health, kHeal, anchor);
        return;
    }
    CEGUI::Window* image = nullptr;
    if (level > 1 && CEGUI::WindowManager::getSingletonPtr()) {
        image = plainImage("");
        image->setProperty("Image", gui::imageProperty("chars", (boost::format("enhlv%d") % (level - 1)).str()));
    }
    const std::string colours = type == "buff_hp" ? kBuffDamage : kDamage;
    if (hitFlags & 0x100) {
        // A split hit: two thirds first, the rest (with what the division left) last.
        const int part = (-health) / 3;
        mRoom.showNumberEx(-part, colours, anchor, 0.0f, 0.0f);
        anchor.y = avatarY + popupHeight(playerId);
        mRoom.showNumberEx(-part, colours, anchor, 0.0f, 0.1f);
        anchor.y = avatarY + popupHeight(playerId);
        mRoom.showText(image, std::to_string(health + 2 * part), colours, anchor, 0.0f, 0.3f);
    } else {
        mRoom.showText(image, std::to_string(health), colours, anchor, 0.0f, 0.0f);
    }
    if (image && CeguiWidgets::alive(image) && !image->getParent())
        CeguiWidgets::destroy(image); // no pop-up took it (no GUI sheet)
    if (image && CeguiWidgets::alive(image)) {
        image->setProperty("VertFormatting", "CentreAligned");
        image->setSize(CEGUI::USize(px(104.0f), px(49.0f)));
    }
}

// --- items, gains -------------------------------------------------------------------------

void EvtLandHandler::itemGained(const core::Event& event)
{
    const std::string id = BattleRoom::getAttrValue<std::string>(event.attrs(), "id");
    mRoom.showPromptFixed(gui::fromCeguiString(gui::imageProperty("prompt2", id)), true, 3.75f);
    if (id != "si_2")
        return;
    // Ammo: the burst sits on the big weapon's frame, its centre on the frame's lower left.
    CEGUI::Window* flash = mRoom.showFlash("sp_ammo.swf", std::string(), 128, 128, nullptr, 1.5f);
    CEGUI::Window* frame = BattleRoom::hudWindow("PlayFrm/BigArmFrm");
    if (!flash || !frame)
        return;
    flash->setClippedByParent(false);
    flash->setMousePassThroughEnabled(true);
    flash->setHorizontalAlignment(CEGUI::HA_LEFT);
    flash->setVerticalAlignment(CEGUI::VA_TOP);
    const CEGUI::Rectf r = frame->getUnclippedOuterRect().get();
    flash->setPosition(CEGUI::UVector2(px(r.left() - 64.0f), px(r.top() + r.getHeight() - 64.0f)));
}

void EvtLandHandler::gains(const core::Event& event)
{
    BattleRoom::getAttrValue<std::string>(event.attrs(), "playerId"); // an event without it is not a gain
    const core::XmlConfigHelper& p = event.getParams();
    const int hp = p.getIntVal("hp", 0);
    const int sp = p.getIntVal("sp", 0);
    const int fury = p.getIntVal("fury", 0);
    if (!p.getBoolVal("combo", true)) {
        if (hp != 0)
            showDigitNumber(kNumberWindows[0], hp, 1);
        if (sp != 0)
            showDigitNumber(kNumberWindows[1], sp, 2);
        if (fury != 0)
            showDigitNumber(kNumberWindows[2], fury, 1);
    } else if (sp != 0) {
        showComboNumber(kNumberWindows[3], sp, 2);
    }
}

CEGUI::Window* EvtLandHandler::prepareNumber(const std::string& name)
{
    CEGUI::Window* w = BattleRoom::hudWindow(name);
    if (!w)
        return nullptr;
    core::CEGUIAnimationLib::instance().removeWindow(w);
    while (w->getChildCount() > 0)
        CEGUI::WindowManager::getSingleton().destroyWindow(w->getChildAtIdx(0));
    w->show();
    w->setAlpha(1.0f);
    // The last rise moved the window: it goes back to where it first stood.
    auto it = mAreas.find(name);
    if (it == mAreas.end())
        mAreas.emplace(name, w->getArea());
    else
        w->setArea(it->second);
    return w;
}

float EvtLandHandler::addDigits(CEGUI::Window& parent, const std::string& text, int align)
{
    const float width = parent.getPixelSize().d_width;
    const float used = static_cast<float>(text.size()) * kDigit;
    const float x0 = align == 0 ? 0.0f : align == 2 ? width - used : (width - used) / 2.0f;
    float x = x0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        CEGUI::Window* digit =
            plainImage(CEGUI::PropertyHelper<std::uint32_t>::toString(static_cast<std::uint32_t>(i)));
        digit->setArea(CEGUI::URect(px(x), px(0.0f), px(x + kDigit), px(kDigit)));
        digit->setProperty("VertFormatting", "CentreAligned");
        digit->setProperty("Image", digitImage(text[i]));
        parent.addChild(digit);
        x += kDigit;
    }
    return x0;
}

void EvtLandHandler::showDigitNumber(const std::string& window, int value, int align)
{
    CEGUI::Window* w = prepareNumber(window);
    if (!w)
        return;
    addDigits(*w, signedText(value), align);
    core::CEGUIAnimationLib& lib = core::CEGUIAnimationLib::instance();
    lib.addWindow(w, "zrk_ani");
    lib.setAnimationState(w, "fade_up");
}

void EvtLandHandler::showComboNumber(const std::string& window, int value, int align)
{
    CEGUI::Window* w = prepareNumber(window);
    if (!w)
        return;
    const float x0 = addDigits(*w, signedText(value), align);
    CEGUI::Window* title = plainImage("des");
    title->setArea(CEGUI::URect(px(x0 - 120.0f), px(0.0f), px(x0 - 120.0f + 110.0f), px(kDigit)));
    title->setProperty("Image", gui::imageProperty("title", "combo_prize"));
    w->addChild(title);
    core::CEGUIAnimationLib& lib = core::CEGUIAnimationLib::instance();
    lib.addWindow(w, "zrk_ani");
    lib.setAnimationState(w, "fade_up");
}

void EvtLandHandler::resetNumberWindow(const std::string& name)
{
    if (!CEGUI::System::getSingletonPtr())
        return;
    CEGUI::Window* w = BattleRoom::hudWindow(name);
    if (!w)
        return;
    core::CEGUIAnimationLib::instance().removeWindow(w);
    while (w->getChildCount() > 0)
        CEGUI::WindowManager::getSingleton().destroyWindow(w->getChildAtIdx(0));
    auto it = mAreas.find(name);
    if (it != mAreas.end())
        w->setArea(it->second);
}

// --- chat lines, effects -------------------------------------------------------------------

void EvtLandHandler::chatLine(const core::Event& event)
{
    const core::RtObjectAttrMap& a = event.attrs();
    const bool local = a.hasAttr("local");
    const int team = a.getAttrAs<int>("team", -1);
    std::string uid, nickname;
    if (a.hasAttr("uid")) {
        uid = BattleRoom::getAttrValue<std::string>(a, "uid");
        ZRKPlayerSim* doll = mRoom.getLand() ? mRoom.getLand()->getDoll(uid) : nullptr;
        if (doll && doll->getState())
            nickname = doll->getState()->getUserSettings().getStringVal("pc_nickname", "");
    } else if (!local && mRoom.getLand()) {
        uid = mRoom.getLand()->getMyUID();
        if (ZRKPlayerSim* me = mRoom.getLand()->getMyDoll())
            if (me->getState())
                nickname = me->getState()->getUserSettings().getStringVal("pc_nickname", "");
    }
    std::string msg = BattleRoom::getAttrValue<std::string>(a, "msg");
    if (a.hasAttr("res"))
        msg = ZRKLan::getMsg(msg);
    if (a.hasAttr("argv")) {
        const std::vector<std::string> argv = BattleRoom::getAttrValue<std::vector<std::string>>(a, "argv");
        try {
            boost::format f(msg);
            for (const std::string& arg : argv)
                f % arg;
            msg = f.str();
        } catch (const std::exception& e) {
            // A pattern that does not fit its arguments: the line goes out as it was.
            writeLog(kLogWarning, kChannel, std::string("battle line not formatted: ") + e.what());
        }
    }
    mRoom.forwardGuiCall(team, uid, nickname, msg, local);
}

void EvtLandHandler::effect(const core::Event& event)
{
    const core::RtObjectAttrMap& a = event.attrs();
    const bool flash = BattleRoom::getAttrValue<bool>(a, "flash");
    const std::string pid = BattleRoom::getAttrValue<std::string>(a, "pid");
    const std::string playerId =
        a.hasAttr("playerId") ? BattleRoom::getAttrValue<std::string>(a, "playerId") : std::string();
    if (a.hasAttr("revoke")) {
        if (flash)
            mRoom.revokeFlash(pid, playerId);
        else if (a.hasAttr("key"))
            mRoom.removeSceneEffectsByTag(BattleRoom::getAttrValue<std::string>(a, "key"));
        return;
    }
    const float duration = BattleRoom::getAttrValue<float>(a, "duration");
    if (!flash) {
        const std::string key = a.hasAttr("key") ? BattleRoom::getAttrValue<std::string>(a, "key") : std::string();
        const ZRKLand::EffectPlacement mi = BattleRoom::getAttrValue<ZRKLand::EffectPlacement>(a, "mi");
        const Ogre::Quaternion q(mi.orientation.w, mi.orientation.x, mi.orientation.y, mi.orientation.z);
        mRoom.addSceneEffect(key, pid, std::isfinite(duration) ? duration : 0.0f, q,
                             Ogre::Vector3(mi.scale.x, mi.scale.y, mi.scale.z),
                             Ogre::Vector3(mi.position.x, mi.position.y, mi.position.z));
        return;
    }
    int w = a.hasAttr("w") ? BattleRoom::getAttrValue<int>(a, "w") : 400;
    int h = a.hasAttr("h") ? BattleRoom::getAttrValue<int>(a, "h") : 300;
    if (w < 1 || w > kMaxFlashSide || h < 1 || h > kMaxFlashSide) {
        writeLog(kLogWarning, kChannel,
                 "Flash " + pid + " of " + std::to_string(w) + " x " + std::to_string(h) + " shown at 400 x 300");
        w = 400;
        h = 300;
    }
    ZRKPlayerSim* doll = !playerId.empty() && mRoom.getLand() ? mRoom.getLand()->getDoll(playerId) : nullptr;
    Ogre::SceneNode* node = doll && doll->getPlayerRef() ? doll->getPlayerRef()->getMovable() : nullptr;
    mRoom.showFlash(pid, playerId, w, h, node, duration);
}

// --- guide text, sync or abort ---------------------------------------------------------------

void EvtLandHandler::guideText(const core::Event& event)
{
    const std::string prompt = BattleRoom::getAttrValue<std::string>(event.attrs(), "prompt");
    const float timeout = BattleRoom::getAttrValue<float>(event.attrs(), "timeout");
    mRoom.setGuideText(prompt, timeout);
}

void EvtLandHandler::syncOrAbort(const core::Event& event)
{
    if (BattleRoom::getAttrValue<bool>(event.attrs(), "sync")) {
        mRoom.resyncBattle();
        return;
    }
    if (event.attrs().hasAttr("sabort"))
        if (core::Frame* frame = GameServices::frame())
            frame->messageBox("warning/title", "warning/srv_abort", core::Frame::kNoticeBox);
    mRoom.scheduleLeave();
}

} // namespace zrk
} // namespace kavri3D
