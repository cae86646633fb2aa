#include "battle/EvtDollHandler.h"

#include <algorithm>
#include <boost/format.hpp>
#include <initializer_list>
#include <CEGUI/CEGUI.h>
#include <core/EventManager.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKUserRequest.h>
#include <text/CeguiText.h>
#include <gui/IBattlePanel.h>
#include <land/DollConstants.h>
#include <land/LandEventId.h>
#include <land/PropBag.h>
#include <land/ZRKBattleState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <lan/ZRKLan.h>
#include <misc/CEGUIAnimationLib.h>
#include <util/MissionRule.h>
#include <util/ReviveTable.h>
#include "battle/BattleRoom.h"
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "EvtDollHandler";
/// Props that keep their holder from being revived for money.
constexpr int kNoPaidRevive = 0x1000;

/// The money kinds of a revive: the user value compared, the name, the warning when short.
struct Currency {
    const char* money;
    const char* name;
    const char* warning;
};
const Currency kCurrencies[3] = {{"pc_money1", "msg/award_zaobi", "warning/no_enough_zaobi"},
                                 {"pc_money2", "msg/award_dianjuan", "warning/no_enough_dianjuan"},
                                 {"pc_money3", "msg/award_guabi", "warning/no_enough_guabi"}};

/// The text formatted with the values; the text as it is when they do not fit it.
template <class... T> std::string formatted(const std::string& pattern, const T&... values)
{
    try {
        boost::format f(pattern);
        (void)std::initializer_list<int>{((void)(f % values), 0)...};
        return f.str();
    } catch (const std::exception& e) {
        writeLog(kLogWarning, kChannel, std::string("revive text not formatted: ") + e.what());
        return pattern;
    }
}

CEGUI::Window* child(CEGUI::Window* parent, const char* path)
{
    return parent && parent->isChild(path) ? parent->getChild(path) : nullptr;
}
} // namespace

EvtDollHandler::~EvtDollHandler()
{
    try {
        closeRevivePanel();
        if (CEGUI::System::getSingletonPtr())
            core::CEGUIAnimationLib::instance().removeWindow(BattleRoom::hudWindow("Battle/blank"));
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("doll handler not cleaned up: ") + e.what());
    }
}

bool EvtDollHandler::handle(const core::Event& event)
{
    const int type = event.getType();
    if (type != LandEventId::PropUsed && type != LandEventId::OwnStatus && type != LandEventId::DollBubble)
        return false;
    core::Event copy = event;
    if (mRoom.filterDollEvent(copy))
        return true;
    ZRKLand* land = mRoom.getLand();
    if (!land || !land->isLoaded() || land->isFinished())
        return true;
    try {
        if (type == LandEventId::PropUsed)
            propUsed(event);
        else if (type == LandEventId::OwnStatus)
            status(event);
        else
            mRoom.refreshDollBubble(BattleRoom::getAttrValue<std::string>(event.attrs(), "playerId"));
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, "doll event " + std::to_string(type) + " not handled: " + e.what());
    }
    return true;
}

void EvtDollHandler::propUsed(const core::Event& event)
{
    const int prop = BattleRoom::getAttrValue<int>(event.attrs(), "prop");
    CEGUI::Window* flash = mRoom.showFlash(kPropFlash, std::string(), 128, 128, nullptr, 1.5f);
    static const char kKeys[] = "zxcvb";
    if (!flash || prop < 0 || prop > 4)
        return;
    CEGUI::Window* slot = BattleRoom::hudWindow(std::string("PropsContainer/block_") + kKeys[prop]);
    if (!slot)
        return;
    // The sparkle is centred on the slot that was used.
    const CEGUI::Rectf r = slot->getUnclippedOuterRect().get();
    flash->setPosition(CEGUI::UVector2(CEGUI::UDim(0, r.left() - (128.0f - r.getWidth()) / 2.0f),
                                       CEGUI::UDim(0, r.top() - (128.0f - r.getHeight()) / 2.0f)));
}

void EvtDollHandler::status(const core::Event& event)
{
    const core::RtObjectAttrMap& a = event.attrs();
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land->getMyDoll();
    if (a.hasAttr("killCount") && me) {
        const int k = me->getSingleKillCount();
        me->setSingleKillCount(k + 1);
        mRoom.showPromptFixed(BattleRoom::kPromptKill[std::min(std::max(k, 0), 3)], false, 1.25f);
    }
    if (a.hasAttr("hp") && me) {
        const int hp = BattleRoom::getAttrValue<int>(a, "hp");
        if (hp <= 0.3 * me->getBattle().xhp && !me->getSingleBloodLess()) {
            me->setSingleBloodLess(true);
            mRoom.showPromptFixed(BattleRoom::kPromptBloodLess, false, 2.5f);
        }
    }
    if (a.hasAttr("weapon_notice")) {
        const std::pair<int, int> notice = BattleRoom::getAttrValue<std::pair<int, int>>(a, "weapon_notice");
        if (notice.second > 0)
            mRoom.forwardGuiCall2(notice.first, notice.second);
    }
    if (a.hasAttr("fp_notice")) {
        const int n = BattleRoom::getAttrValue<int>(a, "fp_notice");
        const int m = n - 2000 < 1 ? 0 : n - 2000;
        const std::string text = ZRKLan::getMsg("growRoadTip/battleTip") + std::to_string(m);
        if (gui::IDollView* tip = mRoom.getDollView()) {
            if (m == 0 || text.empty())
                tip->hide();
            else
                tip->show(std::string(), text, 5000, 0);
        }
    }
    static const char* const kWants[6] = {"bullet_wanted", "hp_wanted", "sp_wanted",
                                          "sp_wanted2",    "cd_wanted", "hold_ok"};
    for (int i = 0; i < 6; ++i)
        if (a.hasAttr(kWants[i]))
            mRoom.showPromptFixed(BattleRoom::kPromptWants[i], false, 0.75f);
    gui::IBattlePanel* screen = mRoom.getBattleScreen();
    if (a.hasAttr("carom_hide") && screen)
        screen->setComboState(land->getComboState() ? 1 : 0);
    if (a.hasAttr("bullet_shot") && screen)
        screen->setCarom(land->getMyCarom());
    if (a.hasAttr("hit")) {
        const int hit = BattleRoom::getAttrValue<int>(a, "hit");
        if (hit & 0x4)
            mRoom.showPromptScattered(BattleRoom::kPromptUltimate, 0.75f);
        if (hit & 0x200)
            if (CEGUI::Window* blank = BattleRoom::hudWindow("Battle/blank")) {
                // The notice falls from where it first stood every time.
                if (!blank->isUserStringDefined("_yPos"))
                    blank->setUserString("_yPos", CEGUI::PropertyHelper<CEGUI::UDim>::toString(blank->getYPosition()));
                blank->setText(gui::outsideText(ZRKLan::getMsg("layout/battle/text/blank")));
                blank->setYPosition(CEGUI::PropertyHelper<CEGUI::UDim>::fromString(blank->getUserString("_yPos")));
                blank->show();
                core::CEGUIAnimationLib& lib = core::CEGUIAnimationLib::instance();
                lib.addWindow(blank, "zrk_ani");
                lib.setAnimationState(blank, "fade_down");
            }
    }
    refreshOwn();
}

void EvtDollHandler::refreshOwn()
{
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land && land->isLoaded() ? land->getMyDoll() : nullptr;
    if (!me)
        return; // no own doll (a spectator): nothing of ours to show
    if (me->isFlagSet(SIM_DOWN) && !me->isFlagSet(SIM_OUT))
        openRevivePanel();
    else
        closeRevivePanel();
    const ZRKBattleState& b = me->getBattle();
    if (gui::IBattlePanel* screen = mRoom.getBattleScreen())
        if (screen->getHealth() != static_cast<float>(b.hp))
            mRoom.refreshDollBubble(me->getId());
    tellOwnNumbers();
    if (me->getPlayerBattle().level == 0) {
        // Up only while the Flash layer still holds it: a rebuilt battle shows it again.
        const bool up = mRageFlashUp && mRoom.hasFlash(kRageFlash, std::string());
        if (b.xfury > 0 && b.fury == b.xfury && !up) {
            mRageFlashUp = false;
            if (CEGUI::Window* w = mRoom.showFlash(kRageFlash, std::string(), 128, 128, nullptr, 0.0f)) {
                w->setClippedByParent(false);
                w->setHorizontalAlignment(CEGUI::HA_RIGHT);
                w->setVerticalAlignment(CEGUI::VA_BOTTOM);
                w->setPosition(CEGUI::UVector2(CEGUI::UDim(0, -56.0f), CEGUI::UDim(0, 22.0f)));
                mRageFlashUp = true;
            }
        } else if (b.fury < b.xfury && up) {
            mRoom.revokeFlash(kRageFlash, std::string());
            mRageFlashUp = false;
        }
    }
    const int weapon = me->getCurrentWeaponType();
    mRoom.setSightMode(weapon == 0 ? 1 : weapon == 1 ? 2 : weapon == 2 ? 3 : -1);
    mRoom.showSight(me->isWaiting());
}

bool EvtDollHandler::tellOwnNumbers()
{
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land && land->isLoaded() ? land->getMyDoll() : nullptr;
    gui::IBattlePanel* screen = mRoom.getBattleScreen();
    if (!me || !screen)
        return false;
    const ZRKBattleState& b = me->getBattle();
    const int now[6] = {b.hp, b.xhp, b.sp, b.xsp, b.fury, b.xfury};
    if (screen == mToldScreen && std::equal(now, now + 6, mToldOwn))
        return false;
    mToldScreen = screen;
    std::copy(now, now + 6, mToldOwn);
    screen->setHealth(static_cast<float>(b.hp), static_cast<float>(b.xhp), static_cast<float>(b.xsp),
                      static_cast<float>(b.sp));
    // The fury at every level: the rage a lesson or a full bar offers is read off the bar.
    screen->setFury(static_cast<float>(b.fury), static_cast<float>(b.xfury));
    return true;
}

void EvtDollHandler::followOwn()
{
    ZRKLand* land = mRoom.getLand();
    if (!land || !land->isLoaded() || land->isFinished())
        return;
    if (tellOwnNumbers())
        if (ZRKPlayerSim* me = land->getMyDoll())
            mRoom.refreshDollBubble(me->getId());
}

// --- the paid revive ----------------------------------------------------------------------------

bool EvtDollHandler::nextPrice(int& currency, int& cost) const
{
    ZRKLand* land = mRoom.getLand();
    return land && core::ReviveTable::priceOf(mCostTable, land->getMyReviveNum(), currency, cost);
}

void EvtDollHandler::openRevivePanel()
{
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    if (!land || land->getFixPlay() == 1 || mReviveShown || !me)
        return;
    closeRevivePanel();
    mReviveShown = true; // this downing is handled, whether a panel opens or not
    const PropBag* props = me->getCurrentPropBag();
    if (!props)
        return;
    for (const PropState& slot : props->getSlots())
        if (!slot.empty() && (slot.effect & kNoPaidRevive))
            return;
    const char* key = core::ReviveTable::settingKey(land->getTacticId() == core::MissionRule::kTactic);
    int currency = 0, cost = 0;
    if (!core::ReviveTable::read(ZRKLan::getConfig().getStringVal(key, ""), mCostTable) || !nextPrice(currency, cost)) {
        writeLog(kLogWarning, kChannel, std::string(key) + " is a malformed revive table: no revive offered");
        return;
    }
    const int left = mCostTable[1].asInt() - land->getMyReviveNum();
    if (left < 1)
        return;
    core::Frame* frame = GameServices::frame();
    CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr;
    if (!top || !CeguiWidgets::alive(top) || !CEGUI::WindowManager::getSingletonPtr())
        return;
    if (!CeguiWidgets::alive(mRevivePanel)) {
        try {
            mRevivePanel = CEGUI::WindowManager::getSingleton().loadLayoutFromFile("revive.layout", "General");
        } catch (const std::exception& e) {
            writeLog(kLogError, kChannel, std::string("revive.layout not loaded: ") + e.what());
            mRevivePanel = nullptr;
            return;
        }
    }
    std::string prompt;
    if (left < 10)
        prompt += formatted(ZRKLan::getMsg("layout/battle/text/revive1"), left) + "\n";
    prompt += ZRKLan::getMsg("layout/battle/text/revive0") + "\n";
    prompt +=
        formatted(ZRKLan::getMsg("layout/battle/text/revive2"), cost, ZRKLan::getMsg(kCurrencies[currency - 1].name));
    if (CEGUI::Window* w = child(mRevivePanel, "prompt"))
        w->setText(gui::outsideText(prompt));
    if (CEGUI::Window* w = child(mRevivePanel, "okText"))
        w->setText(gui::outsideText(ZRKLan::getMsg("layout/battle/text/reviveBtn1")));
    top->addChild(mRevivePanel);
    mRevivePanel->show();
    mRevivePanel->moveToFront();
    // Y is heard wherever the key-down goes (the panel, the heads-up windows or the page under
    // them): every window's key-down passes the global set first.
    mKeyDown = CEGUI::GlobalEventSet::getSingleton().subscribeEvent(
        CEGUI::Window::EventNamespace + "/" + CEGUI::Window::EventKeyDown,
        CEGUI::Event::Subscriber(&EvtDollHandler::onKeyDown, this));
}

void EvtDollHandler::closeRevivePanel()
{
    mReviveShown = false;
    if (mRevivePanel)
        CeguiWidgets::destroy(mRevivePanel);
    mRevivePanel = nullptr;
    mKeyDown.reset();
}

bool EvtDollHandler::onKeyDown(const CEGUI::EventArgs& args)
{
    try {
        const CEGUI::KeyEventArgs& key = static_cast<const CEGUI::KeyEventArgs&>(args);
        // A Y typed into a text box (the battle chat) is a letter, not a purchase.
        if (dynamic_cast<const CEGUI::Editbox*>(key.window) || dynamic_cast<const CEGUI::MultiLineEditbox*>(key.window))
            return false;
        return onReviveKey(key.scancode);
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("revive key failed: ") + e.what());
        return false;
    }
}

bool EvtDollHandler::onReviveKey(unsigned scanCode)
{
    if (scanCode != kReviveKey || !mRevivePanel || !CeguiWidgets::alive(mRevivePanel) || !mRevivePanel->isVisible())
        return false;
    mRevivePanel->hide();
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    if (!me || (land->getLoadState() != 7 && land->getLoadState() != 8) || !me->isFlagSet(SIM_DOWN) ||
        me->isFlagSet(SIM_OUT))
        return true;
    int currency = 0, cost = 0;
    if (!nextPrice(currency, cost))
        return true;
    const Currency& c = kCurrencies[currency - 1];
    if (ZRKUserRequest::getPc_id().getIntVal(c.money, 0) < cost) {
        // Not enough money: the player gets the mouse to read the warning, and the battle
        // takes it back when the box closes.
        land->_cameraLeaveRoam();
        if (core::GuiManager* input = core::GuiManager::getSingletonPtr())
            input->cursorCapture(0);
        mRoom.dragCursor(false);
        mRoom.enableMouseInputs(false);
        CeguiWidgets::setDefaultCursor("Kavri3DLook", "MouseArrow");
        if (core::Frame* frame = GameServices::frame()) {
            std::weak_ptr<void> life = mRoom.getLife();
            BattleRoom* room = &mRoom;
            mBoxAnswer = frame->messageBox2(
                "warning/title", c.warning,
                [life, room](core::DialogBoxResult&) {
                    if (!life.expired())
                        room->resumeInput();
                },
                core::Frame::kNoticeBox);
        }
        return true;
    }
    const int done = land->getMyReviveNum();
    core::XmlConfigHelper notice(yake::ConfigurationPtr(new yake::Configuration), "use_pacemaker");
    notice.setIntVal("num", done);
    land->_notifyEvent(notice);
    if (land->getMyReviveNum() > done) {
        // The battle revived the doll: the server takes the price.
        const std::string room = mRoom.getBattleRoomName();
        ZRKRequestBroker::call(
            "ZRKRoomRequest", "buyRevive",
            [room, cost](bool error, const std::string& text) {
                if (error)
                    writeLog(kLogWarning, kChannel, "the revive in " + room + " was not paid: " + text);
            },
            room, currency, cost);
    }
    return true;
}

} // namespace zrk
} // namespace kavri3D
