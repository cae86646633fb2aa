#include "battle/hud/ZRKProgressPanel.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <algorithm>
#include <cmath>
#include <core/EventManager.h>
#include <core/Frame.h>
#include <core/TimerManager.h>
#include <data/ZRKGameData.h>
#include <data/ZRKJson.h>
#include <data/ZRKMapLib.h>
#include <data/ZRKPlayerState.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKServer.h>
#include <data/ZRKSession.h>
#include <text/CeguiText.h>
#include <land/ZRKLand.h>
#include <yake/Time.h>

#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
const char* const kDefaultPicture = "MAP01/PG099.JPG";
const char* const kFramePicture = "PG_Frame.jp2";

std::string rowName(int row) { return "player" + std::to_string(row); }

/// The room the loading screen shows; null when there is none or it has gone.
ZRKRoomState* currentRoom()
{
    ZRKRoomState* room = getZRKRoomState();
    return room && !room->isDestroyed() ? room : nullptr;
}

/// A picture named by the game's data: a plain relative file name, never a way out of the
/// GUI folder.
bool isPictureName(const std::string& name)
{
    return !name.empty() && name.size() < 256 && name[0] != '/' && name.find("..") == std::string::npos &&
           name.find('\\') == std::string::npos;
}

std::string digitImage(const char* prefix, int digit)
{
    return CeguiWidgets::imageName("chars", prefix + std::to_string(digit));
}
} // namespace

BattleRoom::ZRKProgressPanel::ZRKProgressPanel(BattleRoom* room) : core::CEGUIPanel(GameServices::frame()), mRoom(room)
{
}

BattleRoom::ZRKProgressPanel::~ZRKProgressPanel()
{
    mLife.end();
    destroyWindow();
}

std::string BattleRoom::ZRKProgressPanel::choosePicture() const
{
    ZRKRoomState* room = currentRoom();
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    if (!room || !server)
        return kDefaultPicture;
    const core::XmlConfigHelper params = room->getParams();
    const int place = params.getIntVal("place", 0);
    const int dungeon = params.getIntVal("d_id", -1);
    const int stage = params.getIntVal("ds_id", -1);
    Json::Value cfg = ZRKJson::fromView(server->getMapLib()->getMap(place).view);
    if (dungeon != -1) {
        const Json::Value duplicate = ZRKJson::fromView(server->getDuplicateLib()->find(std::to_string(dungeon)));
        const Json::Value& stages = ZRKJson::member(duplicate, "stages");
        // A stage the dungeon does not have keeps the map's picture. The library's view holds
        // the list as an object by index ("0", "1"...), a record read whole as an array.
        const std::string index = std::to_string(stage - 1);
        if (stages.isArray() && stage > 0 && static_cast<Json::ArrayIndex>(stage) <= stages.size())
            cfg = stages[stage - 1];
        else if (stages.isObject() && stage > 0 && stages.isMember(index))
            cfg = stages[index];
    }
    const Json::Value& intro = ZRKJson::member(cfg, "intro");
    return intro.isString() ? intro.asString() : std::string(kDefaultPicture);
}

void BattleRoom::ZRKProgressPanel::showPicture(const std::string& imageset, std::string& held, const std::string& file,
                                               const char* window)
{
    CEGUI::Window* target = CeguiWidgets::child(mRoot, window);
    if (!isPictureName(file)) {
        writeLog(kLogWarning, kChannel, "loading screen: no picture \"" + file + "\"");
        return;
    }
    try {
        const std::string image = CeguiWidgets::addImageFile(imageset, file);
        held = imageset;
        CeguiWidgets::setImage(target, image);
    } catch (const std::exception& e) {
        // CEGUI's own or the engine's (a file the renderer cannot open): the window stays empty.
        writeLog(kLogWarning, kChannel, "loading screen: picture " + file + " not shown: " + e.what());
    }
}

void BattleRoom::ZRKProgressPanel::showTip()
{
    Ogre::ResourceGroupManager* files = Ogre::ResourceGroupManager::getSingletonPtr();
    if (!files || !files->resourceGroupExists(Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME))
        return;
    Ogre::StringVectorPtr tips =
        files->findResourceNames(Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME, "_zrk_tips*.png", false);
    if (!tips || tips->empty())
        return;
    const std::string file =
        (*tips)[static_cast<std::size_t>(GameServices::randomBelow(static_cast<int>(tips->size())))];
    std::string held;
    showPicture("battle_pg_tip", held, file, "tip");
    if (held.empty())
        return;
    mTipImageset = held;
    // The tip's window takes the picture's own size.
    const CEGUI::Image& image =
        CEGUI::ImageManager::getSingleton().get(CeguiWidgets::utf8(CeguiWidgets::imageName(held, "full_image")));
    if (CEGUI::Window* tip = CeguiWidgets::child(mRoot, "tip"))
        tip->setSize(CEGUI::USize(CEGUI::UDim(0, image.getRenderedSize().d_width),
                                  CEGUI::UDim(0, image.getRenderedSize().d_height)));
}

bool BattleRoom::ZRKProgressPanel::createWindow()
{
    CEGUI::Window* top = getContainer() ? getContainer()->getTopWindow() : nullptr;
    if (!CeguiWidgets::alive(top))
        return false;
    try {
        mPicture = choosePicture();
        mRoot = CEGUI::WindowManager::getSingleton().loadLayoutFromFile("battle_pg.layout", CeguiWidgets::kGroup);
        top->addChild(mRoot);
        showPicture("battle_pg_progress", mFrameImageset, kFramePicture, "frame");
        if (!mPicture.empty())
            showPicture("battle_pg_intro", mIntroImageset, mPicture, "frame/intro");
        for (int row = 1; row <= kRows; ++row)
            if (CEGUI::Window* w = CeguiWidgets::child(mRoot, rowName(row)))
                w->hide();
        showTip();
        mTimerWindow = CeguiWidgets::child(mRoot, "timer");
        mTimerHundreds = CeguiWidgets::child(mTimerWindow, "pic3");
        mTimerTens = CeguiWidgets::child(mTimerWindow, "pic2");
        mTimerUnits = CeguiWidgets::child(mTimerWindow, "pic1");
        if (mTimerWindow)
            mTimerWindow->hide(); // shown with the countdown
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("the loading screen cannot be made: ") + e.what());
        destroyWindow();
    }
    return mRoot != nullptr;
}

void BattleRoom::ZRKProgressPanel::showIntro()
{
    const std::string picture = choosePicture();
    if (!mRoot || picture == mPicture)
        return;
    mPicture = picture;
    // The window lets go of the last picture before its set goes.
    CeguiWidgets::setImage(CeguiWidgets::child(mRoot, "frame/intro"), std::string());
    CeguiWidgets::destroyImageset(mIntroImageset);
    mIntroImageset.clear();
    if (!mPicture.empty())
        showPicture("battle_pg_intro", mIntroImageset, mPicture, "frame/intro");
}

void BattleRoom::ZRKProgressPanel::destroyWindow()
{
    if (mCountdownTimer != -1)
        core::killTimer(mCountdownTimer);
    mCountdownTimer = -1;
    if (mRoot) {
        CeguiWidgets::destroy(mRoot);
        mRows.clear();
        mPendingRows = 0;
        mOwnSeat = -1;
    }
    mTimerWindow = mTimerHundreds = mTimerTens = mTimerUnits = nullptr;
    for (std::string* set : {&mFrameImageset, &mIntroImageset, &mTipImageset}) {
        CeguiWidgets::destroyImageset(*set);
        set->clear();
    }
}

CEGUI::Window* BattleRoom::ZRKProgressPanel::rowChild(int row, const char* suffix) const
{
    CEGUI::Window* w = CeguiWidgets::child(mRoot, rowName(row));
    return w && *suffix ? w->getChildRecursive(CeguiWidgets::utf8(rowName(row) + suffix)) : w;
}

void BattleRoom::ZRKProgressPanel::fillPlayers()
{
    ZRKSession* session = GameServices::session();
    const std::string ownId = session ? session->getUID() : std::string();
    ZRKRoomState* room = currentRoom();
    mRows.clear();
    if (room) {
        for (int seat = 0; seat < room->getSlotCount(); ++seat) {
            boost::shared_ptr<ZRKPlayerState> player = room->getPlayer(seat);
            if (!player)
                continue;
            LoadProgressRow r;
            r.seat = seat;
            mRows.push_back(r);
            const int row = static_cast<int>(mRows.size());
            if (CEGUI::Window* w = rowChild(row, ""))
                w->show();
            const core::XmlConfigHelper settings = player->getUserSettings();
            if (CEGUI::Window* name = rowChild(row, "_name"))
                name->setText(gui::outsideText(settings.getStringVal("pc_nickname", "")));
            if (CEGUI::Window* text = rowChild(row, "_pgt"))
                text->setText("0%");
            if (CEGUI::Window* bar = rowChild(row, "_pgv"))
                bar->setWidth(CEGUI::UDim(0, 0));
            if (CEGUI::Window* ok = rowChild(row, "_ok")) {
                ok->hide();
                CeguiWidgets::setImage(ok, CeguiWidgets::imageName("block", "bpg_ok"));
            }
            CeguiWidgets::setImage(rowChild(row, "_bg"),
                                   CeguiWidgets::imageName("block", player->getID() == ownId ? "bpg_bg2" : "bpg_bg1"));
            // A rank or level the pictures do not have shows nothing.
            CeguiWidgets::setImage(
                rowChild(row, "_rank"),
                CeguiWidgets::imageName("icons1", "rank_" + std::to_string(settings.getIntVal("pc_rank", 0))));
            const int level = settings.getIntVal("pc_lv", 1);
            CeguiWidgets::setImage(rowChild(row, "_level1"), digitImage("lv", level % 10));
            CeguiWidgets::setImage(rowChild(row, "_level2"), digitImage("lv", level / 10 % 10));
        }
        mOwnSeat = room->getSeatOf(ownId);
    }
    mPendingRows = static_cast<int>(mRows.size());
    mFilled = true;
    ZRKLand* land = mRoom ? mRoom->getLand() : nullptr;
    const int tactic = land ? land->getTacticId() : 0;
    if (tactic <= 9 && mPendingRows > 1)
        startCountdown();
}

bool BattleRoom::ZRKProgressPanel::handle(const core::Event& event)
{
    if (event.getType() != kEventType)
        return false;
    try {
        const std::string player = getAttrValue<std::string>(event.attrs(), "playerId");
        const int lower = getAttrValue<int>(event.attrs(), "lower");
        const int upper = getAttrValue<int>(event.attrs(), "upper");
        const float speed = getAttrValue<float>(event.attrs(), "speed");
        ZRKRoomState* room = currentRoom();
        const int seat = room ? room->getSeatOf(player) : -1;
        for (LoadProgressRow& r : mRows) {
            if (seat == -1 || r.seat != seat)
                continue;
            r.lower = std::min(std::max(lower, 0), 101);
            r.upper = std::min(std::max(upper, 0), 101);
            // A pace that is no time (or none) moves a percent a frame.
            r.stepSeconds = std::isfinite(speed) && speed > 0.0f ? std::min(speed, 3600.0f) : 0.0f;
            r.stepTime = -1.0f;
            break;
        }
    } catch (const boost::bad_any_cast&) {
        writeLog(kLogWarning, kChannel, "a loading report without player, bounds or pace is ignored");
    }
    return true;
}

void BattleRoom::ZRKProgressPanel::update(float)
{
    if (mPendingRows == 0)
        return;
    ZRKRoomState* room = currentRoom();
    const float now = static_cast<float>(yake::native::getTime());
    // The server tells the room's "state" 2 once every seat has loaded; it tells no player's
    // own load, so that ends every row.
    const bool everyoneLoaded = room && room->getState().getIntVal("state", 0) >= 2;
    for (std::size_t i = 0; i < mRows.size(); ++i) {
        LoadProgressRow& r = mRows[i];
        if (r.seat == -1 || r.done)
            continue;
        boost::shared_ptr<ZRKPlayerState> player = room ? room->getPlayer(r.seat) : boost::shared_ptr<ZRKPlayerState>();
        if (!player) {
            r.seat = -1; // gone: the row no longer holds the screen
            --mPendingRows;
            continue;
        }
        if (everyoneLoaded || player->getBattleState().getIntVal("state", 0) >= 2)
            r.lower = 101;
        const int row = static_cast<int>(i) + 1;
        if (r.lower > 100) {
            r.done = true;
            --mPendingRows;
            showRowComplete(row);
            continue;
        }
        bool changed = false;
        if (r.shown < r.lower) {
            r.shown = r.lower;
            r.stepTime = now;
            changed = true;
        } else if (r.shown < r.upper) {
            if (r.stepTime < 0.0f) {
                r.stepTime = now;
            } else if (now - r.stepTime >= r.stepSeconds) {
                ++r.shown;
                r.stepTime = now;
                changed = true;
            }
        }
        if (changed)
            showRowProgress(row, r.shown);
    }
}

void BattleRoom::ZRKProgressPanel::showRowComplete(int row)
{
    try {
        if (CEGUI::Window* text = rowChild(row, "_pgt"))
            text->setText("100%");
        if (CEGUI::Window* bar = rowChild(row, "_pgv"))
            bar->setWidth(CEGUI::UDim(1, 0));
        if (CEGUI::Window* ok = rowChild(row, "_ok"))
            ok->show();
    } catch (const CEGUI::Exception&) {
    }
}

void BattleRoom::ZRKProgressPanel::showRowProgress(int row, int percent)
{
    try {
        if (CEGUI::Window* text = rowChild(row, "_pgt"))
            text->setText(gui::outsideText(std::to_string(percent) + "%"));
        if (CEGUI::Window* bar = rowChild(row, "_pgv"))
            bar->setWidth(CEGUI::UDim(std::min(percent, 100) / 100.0f, 0));
    } catch (const CEGUI::Exception&) {
    }
}

void BattleRoom::ZRKProgressPanel::startCountdown()
{
    mCountdown = 90;
    if (mCountdownTimer != -1)
        return;
    if (mTimerWindow)
        mTimerWindow->show();
    std::weak_ptr<void> alive = mLife.token();
    mCountdownTimer = core::setTimeout(
        1000,
        [this, alive]() {
            if (!alive.expired())
                onCountdownTick();
        },
        true);
}

void BattleRoom::ZRKProgressPanel::onCountdownTick()
{
    if (mCountdown < 0) {
        core::killTimer(mCountdownTimer);
        mCountdownTimer = -1;
        return;
    }
    CeguiWidgets::setImage(mTimerHundreds, digitImage("armcd", mCountdown / 100 % 10));
    CeguiWidgets::setImage(mTimerTens, digitImage("armcd", mCountdown / 10 % 10));
    CeguiWidgets::setImage(mTimerUnits, digitImage("armcd", mCountdown % 10));
    --mCountdown;
}

} // namespace zrk
} // namespace kavri3D
