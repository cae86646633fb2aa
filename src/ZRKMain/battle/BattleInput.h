#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <core/ScopedEventConnection.h>
#include "battle/BattleRoom.h"

namespace CEGUI {
class EventArgs;
}

namespace kavri3D {
namespace core {
class win32RenderWindow;
}
namespace zrk {

class ZRKLand;
class ZRKPlayerSim;

/// The battle's camera, cursor and keys: the mouse's bindings of the camera, the own doll's
/// third-person view, the Escape key's leave question and the suspend screen while the game
/// window is not active. The Escape key and the question's answer are heard while the scene is
/// up, and never after this goes.
class BattleInput {
public:
    /// The own camera's pitch over the doll's shoulder (radians down).
    static constexpr float kUsualPitch = 0.35f;

    explicit BattleInput(BattleRoom& room);
    ~BattleInput();
    BattleInput(const BattleInput&) = delete;
    BattleInput& operator=(const BattleInput&) = delete;

    /// The scene is up: the mouse is the battle's (the capture it came with is kept).
    void enterScene();
    /// The top window's Escape key asks the leave question from now on.
    void listenForEscape();
    /// The scene goes: the Escape key is no longer heard, the mouse gets its capture back and an
    /// open leave question closes unanswered.
    void leaveScene();
    /// The camera's mouse bindings of the battle, and the drag cursor.
    void bindCamera();
    void activatePlayFrame();
    /// Steers the camera: the land's scene follows shots and others' turns, the room's own
    /// camera the own doll.
    void updateCamera(float dt);
    /// The mouse turns the camera only while the own doll may not act; else it follows the doll.
    void followDoll(ZRKPlayerSim& me);
    /// Turns the room's own camera to look along the heading at its usual pitch.
    void lookAlong(float heading);
    /// The land's scene takes the camera back (a land goes).
    void forgetCamera() { mCameraOwn = false; }

    bool onEscapeKey(int scanCode);
    void onEscapeConfirmed(int result);
    void suspend();
    void resume();
    void checkFocus();
    void resumeIfSuspendClosed();
    void destroySuspendPanel();
    void captureCursor();
    void releaseCursor();
    /// Closes the leave question unanswered when it is open.
    void closeQuestion();
    /// At the end: the mouse no longer turns the camera on its own.
    void stopFreeRotate() { mFreeRotate = false; }

    BattleRoom::ZRKSuspendPanel* getSuspendPanel() const { return mSuspendPanel.get(); }
    bool isSuspended() const { return mSuspendPanel != nullptr; }
    bool isFreeRotate() const { return mFreeRotate; }
    bool isMessageBoxOpen() const { return mMessageBoxOpen; }
    bool isCameraOwn() const { return mCameraOwn; }
    bool& escapeEnabled() { return mEscapeEnabled; }

private:
    bool onEscapeKeyEvent(const CEGUI::EventArgs& args);
    /// Anyone else on the player's side still in the battle.
    static bool sideFightsOn(ZRKLand& land, const ZRKPlayerSim* me);

    BattleRoom& mRoom;
    bool mMessageBoxOpen = false;
    int mSavedCursorCapture = -1;
    bool mFreeRotate = false;
    bool mCameraOwn = false;
    bool mEscapeEnabled = true;
    core::win32RenderWindow* mRenderWindow = nullptr;
    boost::shared_ptr<BattleRoom::ZRKSuspendPanel> mSuspendPanel;
    boost::signals2::scoped_connection mEscapeAnswer;
    core::ScopedEventConnection mEscapeKey;
};

} // namespace zrk
} // namespace kavri3D
