#include "battle/BattleInput.h"

#include <cmath>
#include <CEGUI/CEGUI.h>
#include <core/Camera.h>
#include <core/ClientStateTable.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <core/win32RenderWindow.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <landscene/LandScene.h>
#include "battle/BattlePropsUsed.h"
#include "battle/DragCursorModule.h"
#include "battle/hud/ZRKSuspendPanel.h"
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
} // namespace

BattleInput::BattleInput(BattleRoom& room) : mRoom(room) {}

BattleInput::~BattleInput() = default;

void BattleInput::enterScene()
{
    mRenderWindow = core::win32RenderWindow::getSingletonPtr();
    if (core::GuiManager* input = core::GuiManager::getSingletonPtr())
        mSavedCursorCapture = input->cursorCapture();
    captureCursor();
}

void BattleInput::listenForEscape()
{
    mEscapeKey.reset(); // the old top window's key ends even when there is no new one
    core::Frame* frame = GameServices::frame();
    if (CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr)
        mEscapeKey = top->subscribeEvent(CEGUI::Window::EventKeyDown,
                                         CEGUI::Event::Subscriber(&BattleInput::onEscapeKeyEvent, this));
}

void BattleInput::leaveScene()
{
    mEscapeKey.reset();
    if (mSavedCursorCapture != -1)
        if (core::GuiManager* input = core::GuiManager::getSingletonPtr())
            input->cursorCapture(mSavedCursorCapture);
    mSavedCursorCapture = -1;
    closeQuestion();
    mEscapeAnswer = boost::signals2::connection();
    mRenderWindow = nullptr;
}

void BattleInput::closeQuestion()
{
    if (mMessageBoxOpen)
        if (core::Frame* frame = GameServices::frame())
            frame->cancelMessageBox();
    mMessageBoxOpen = false;
}

void BattleInput::bindCamera()
{
    using namespace yake::input;
    core::Camera* camera = mRoom.getCameraController();
    if (!camera)
        return;
    struct Bind {
        int controller, axis, direction;
        float scale;
        int action;
    };
    static const Bind kBinds[] = {
        {2, 0, 1, -1, ACTIONID_ROTATE_LEFT}, {2, 0, 0, -1, ACTIONID_ROTATE_RIGHT}, {3, 1, 1, -1, ACTIONID_PITCH_UP},
        {3, 1, 0, -1, ACTIONID_PITCH_DOWN},  {3, 3, 0, -1, ACTIONID_REVERSE},      {3, 3, 1, -1, ACTIONID_FORWARD},
        {4, 0, 1, -2, ACTIONID_STRAFE_LEFT}, {4, 0, 0, -2, ACTIONID_STRAFE_RIGHT}, {4, 1, 1, -1, ACTIONID_FORWARD},
        {4, 1, 0, -1, ACTIONID_REVERSE},     {4, 0, 1, 1, ACTIONID_ROTATE_LEFT},   {4, 0, 0, 1, ACTIONID_ROTATE_RIGHT},
        {5, 3, 0, -1, ACTIONID_REVERSE},     {5, 3, 1, -1, ACTIONID_FORWARD}};
    for (int index : {2, 3, 4, 5})
        if (core::InputController* c = camera->getInputController(index))
            c->clearBinds();
    for (const Bind& b : kBinds)
        if (core::InputController* c = camera->getInputController(b.controller))
            c->bindMouseMove(b.axis, b.direction, b.scale, b.action);
    mFreeRotate = false;
    if (core::InputController* turn = camera->getInputController(2)) {
        turn->enableAction(ACTIONID_ROTATE_LEFT, false);
        turn->enableAction(ACTIONID_ROTATE_RIGHT, false);
    }
    camera->getCameraControllerTP()->trackOrientaion(true);
    camera->getCameraControllerTP()->limitDistance(true, 20.0f, 20.0f);
    mRoom.regDragCursor(boost::shared_ptr<core::IDragCursorModule>(new DragCursorModule(mRoom)));
}

void BattleInput::activatePlayFrame()
{
    core::Frame* frame = GameServices::frame();
    CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr;
    if (!top || !CeguiWidgets::alive(top))
        return;
    // The keys go to the active window: the play frame, else the top window, whose key
    // handler asks the Escape question.
    if (top->isChild("PlayFrm"))
        top->getChild("PlayFrm")->activate();
    else
        top->activate();
}

void BattleInput::updateCamera(float dt)
{
    core::Camera* camera = mRoom.getCameraController();
    ZRKLand* land = mRoom.mLand.get();
    ZRKPlayerSim* me = land && land->isLoaded() ? land->getMyDoll() : nullptr;
    if (!camera || !mRoom.mLandScene)
        return;
    // The land's scene follows a flying shell and shows the end; otherwise the room's camera
    // stays with the own doll, and the mouse looks around while the doll may not act.
    const bool own = me && !land->isFinished() && !land->_cameraIsRoaming();
    if (own != mCameraOwn) {
        mCameraOwn = own;
        mRoom.mLandScene->setCamera(own ? nullptr : mRoom.getCamera());
        camera->getCameraControllerTP()->setPitch(kUsualPitch);
    }
    camera->update();
    if (!own)
        return;
    const yake::math::Vector3 p = me->getPosition();
    const yake::math::Vector3 f = me->getMovable().getFacing();
    core::CameraControllerTP* tp = camera->getCameraControllerTP();
    tp->setTarget(p.x, p.y + 4.0f, p.z, std::atan2(f.x, f.z));
    tp->place(mRoom.getCamera());
    (void)dt;
}

void BattleInput::lookAlong(float heading)
{
    core::Camera* camera = mRoom.getCameraController();
    if (!camera || !std::isfinite(heading))
        return;
    camera->getCameraControllerTP()->setYaw(heading);
    camera->getCameraControllerTP()->setPitch(kUsualPitch);
}

void BattleInput::followDoll(ZRKPlayerSim& me)
{
    ZRKLand* land = mRoom.mLand.get();
    bool rotate = false;
    if (land && !land->_cameraIsRoaming() && !land->isFinished())
        rotate = me.isFlagSet(SIM_FREE_CAMERA | SIM_DOWN | SIM_OUT) || (!me.isWaiting() && !me.isMoving()) ||
                 !me.getController().isEnabled();
    if (rotate == mFreeRotate)
        return;
    mFreeRotate = rotate;
    core::Camera* camera = mRoom.getCameraController();
    if (core::InputController* turn = camera ? camera->getInputController(2) : nullptr) {
        turn->enableAction(yake::input::ACTIONID_ROTATE_LEFT, rotate);
        turn->enableAction(yake::input::ACTIONID_ROTATE_RIGHT, rotate);
    }
    if (camera)
        camera->getCameraControllerTP()->trackOrientaion(!rotate);
}

bool BattleInput::onEscapeKeyEvent(const CEGUI::EventArgs& args)
{
    try {
        return mRoom.onEscapeKey(static_cast<const CEGUI::KeyEventArgs&>(args).scancode);
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("the Escape key failed: ") + e.what());
        return false;
    }
}

bool BattleInput::sideFightsOn(ZRKLand& land, const ZRKPlayerSim* me)
{
    if (!me)
        return false;
    for (const auto& doll : land.getAllDoll())
        if (doll.second && doll.second != me && doll.second->getColour() == me->getColour() &&
            !doll.second->isFlagSet(SIM_OUT))
            return true;
    return false;
}

bool BattleInput::onEscapeKey(int scanCode)
{
    if (scanCode != 1)
        return false;
    ZRKLand* land = mRoom.mLand.get();
    if (!mEscapeEnabled || !land || !mRoom.mBattlePanel || land->getLoadState() >= LOAD_OVER)
        return false;
    core::Frame* frame = GameServices::frame();
    if (mMessageBoxOpen) {
        // A second Escape closes the question and plays on.
        if (frame)
            frame->cancelMessageBox();
        mMessageBoxOpen = false;
        mRoom.onEscapeConfirmed(-1);
        return false;
    }
    ZRKPlayerSim* me = land->getMyDoll();
    const bool alive = me && !me->isDead();
    if (alive)
        land->_cameraLeaveRoam();
    releaseCursor();
    if (alive) {
        me->getController().enable(false);
        me->freeze();
        if (me->isMoving())
            me->wait();
    }
    const float begin = land->getTimeBegin();
    const bool battle = mRoom.getName() == core::ClientStateTable::kBattle;
    const bool early = battle && !(begin > 0.0f && land->getTimeNow() - begin > 60.0f);
    // The question says what leaving does: a battle's awards and box are lost (no defeat is
    // kept), and the side fights on without him only when anyone else is left on it; a lesson
    // left is not counted as done.
    const char* question = !battle                   ? "warning/escape_lesson"
                           : early                   ? "warning/escape1"
                           : sideFightsOn(*land, me) ? "warning/escape_late"
                                                     : "warning/escape_late_alone";
    if (!frame) {
        writeLog(kLogWarning, kChannel, "no main frame: the leave question is not asked");
        mRoom.onEscapeConfirmed(-1);
        return false;
    }
    std::weak_ptr<void> life = mRoom.mLife.token();
    BattleRoom* room = &mRoom;
    mEscapeAnswer = frame->messageBox2(
        "warning/title", question,
        [room, life](core::DialogBoxResult& result) {
            if (!life.expired())
                room->onEscapeConfirmed(result.button);
        },
        core::Frame::kQuestionBox);
    mMessageBoxOpen = true;
    return true;
}

void BattleInput::onEscapeConfirmed(int result)
{
    mMessageBoxOpen = false;
    ZRKLand* land = mRoom.mLand.get();
    if (result == 0 && land) {
        // Given up midway, the player goes back where the battle was entered from (his room),
        // as at its end; the server ends a battle no player's screen is left in. What he used
        // up in it is his to lose all the same: the server takes it before he leaves.
        ZRKPlayerSim* me = land->getMyDoll();
        if (me && mRoom.getName() == core::ClientStateTable::kBattle)
            BattlePropsUsed::reportLeaving(mRoom.mRoomName, *me);
        mRoom.leaveRoom();
        return;
    }
    if (!land)
        return;
    if (ZRKPlayerSim* me = land->getMyDoll())
        if (!me->isDead())
            me->getController().enable(true);
    if (land->getLoadState() < LOAD_OVER)
        mRoom.resumeInput();
}

void BattleInput::suspend()
{
    if (!mRoom.isDragCursor())
        return;
    if (!mSuspendPanel) {
        // Made shown by its layout; without windows it counts as closed on the next frame.
        mSuspendPanel.reset(new BattleRoom::ZRKSuspendPanel(&mRoom));
        mSuspendPanel->createWindow();
    } else if (!mSuspendPanel->isVisible()) {
        mSuspendPanel->show(true); // clicked away, and the focus went again before the mouse came back
    }
    releaseCursor();
}

void BattleInput::resume()
{
    if (mRoom.isDragCursor())
        return;
    destroySuspendPanel();
    captureCursor();
    CeguiWidgets::setDefaultCursor("", "");
}

void BattleInput::destroySuspendPanel()
{
    if (mSuspendPanel)
        mSuspendPanel->destroyWindow();
    mSuspendPanel.reset();
}

void BattleInput::checkFocus()
{
    if (mRenderWindow && !mRenderWindow->isActivated())
        mRoom.suspendInput();
    mRoom.resumeIfSuspendClosed();
}

void BattleInput::resumeIfSuspendClosed()
{
    // The player closed the suspend panel with a click.
    if (mSuspendPanel && !mSuspendPanel->isVisible())
        mRoom.resumeInput();
}

void BattleInput::captureCursor()
{
    if (core::GuiManager* input = core::GuiManager::getSingletonPtr())
        input->cursorCapture(2);
    mRoom.enableMouseInputs(true);
    mRoom.dragCursor(true);
}

void BattleInput::releaseCursor()
{
    if (core::GuiManager* input = core::GuiManager::getSingletonPtr())
        input->cursorCapture(0);
    mRoom.dragCursor(false);
    mRoom.enableMouseInputs(false);
    CeguiWidgets::setDefaultCursor("Kavri3DLook", "MouseArrow");
}

} // namespace zrk
} // namespace kavri3D
