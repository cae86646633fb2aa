#include "rooms/RoomLogon.h"

#include <core/BlackBoard.h>
#include <core/ClientStateTable.h>
#include <core/Frame.h>
#include <data/ZRKSession.h>
#include <gui/EventId.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiManager.h>

#include "rooms/BackgroundScene.h"
#include "rooms/RoleManager.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::RoomLogon);

namespace kavri3D {
namespace zrk {

namespace {
// Ids the GUI shows the lobby's reset with, then the log-in screen.
const int kResetEventIds[] = {gui::EventId::PlayerLeave, gui::EventId::PvePlayerLeave,
                              gui::EventId::FixedMapPlayerLeave};
} // namespace

RoomLogon::RoomLogon() : ReloadFlag(false) { setName(core::ClientStateTable::kLogon); }

RoomLogon::~RoomLogon() = default;

void RoomLogon::createScene()
{
    BasicRoom::createScene();
    RoleManager::instance().setRoom(this);
    lockCamera(true);
    if (ZRKSession* s = session())
        s->logout();
    if (reloadOnEnter) {
        core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
        core::XmlConfigHelper autoLogin = board ? board->section("kavri3D/autoLogin") : core::XmlConfigHelper();
        const bool act = autoLogin.getBoolVal("_act", false);
        if (act)
            autoLogin.setStringVal("password", ""); // a cut connection must not log in again by itself
        resetLobbyGui();
        tellConnectionLost(act);
        reloadOnEnter = false;
    }
    // Logging on shows the backdrop alone.
    BackgroundScene& background = BackgroundScene::instance();
    background.setRequestedFlags(BackgroundScene::kBackdrop);
    background.refresh();
}

void RoomLogon::resetLobbyGui()
{
    gui::IGuiManager* manager = getGuiManager();
    gui::IGuiAnimator* animator = getGuiFrameObject();
    if (!manager || !animator) {
        writeLog(kLogTrace, "room", "no GUI manager or animator: the lobby screens are not reset");
        return;
    }
    try {
        manager->resetPages();
        manager->clearScreens();
        animator->clear();
        gui::IEventIdQueue* queue = manager->getEventIdQueue();
        if (queue)
            for (int id : kResetEventIds)
                queue->handle(id);
        animator->beginStep();
        animator->step(10.0f);
        animator->endStep();
        animator->play("areadropin");
        animator->beginStep();
        animator->step(10.0f);
        animator->endStep();
        if (queue)
            queue->handle(gui::EventId::LoginLoading);
        manager->showPage("login");
    } catch (const std::exception& e) {
        writeLog(kLogError, "room", std::string("lobby screens not reset: ") + e.what());
    }
}

void RoomLogon::tellConnectionLost(bool autoLogin)
{
    core::Frame* frame = GameServices::frame();
    if (!frame) {
        writeLog(kLogError, "room", "no main frame: the lost connection is not shown");
        return;
    }
    if (autoLogin) {
        // Started with credentials: closing the box ends the game.
        mBoxAnswer = frame->messageBox2(
            "error/user_net_wrong", "error/net_cut",
            [](core::DialogBoxResult& r) {
                if (r.button >= 0) // a box that replaced this one is no closing by the player
                    GameServices::exitGame();
            },
            core::Frame::kNoticeBox);
    } else {
        mBoxAnswer = boost::signals2::connection();
        frame->messageBox("error/user_net_wrong", "error/net_cut", core::Frame::kNoticeBox);
    }
}

void RoomLogon::destroyScene() { BasicRoom::destroyScene(); }

void RoomLogon::onFrame(float dt)
{
    BackgroundScene::instance().onFrame(dt);
    if (gui::IGuiAnimator* animator = getGuiFrameObject()) {
        try {
            if (animator->isAnimating()) {
                animator->beginStep();
                if (!animator->step(dt))
                    animator->endStep();
            }
            animator->tick(dt);
        } catch (const std::exception& e) {
            writeLog(kLogError, "room", std::string("GUI animation step failed: ") + e.what());
        }
    }
    BasicRoom::onFrame(dt);
}

} // namespace zrk
} // namespace kavri3D
