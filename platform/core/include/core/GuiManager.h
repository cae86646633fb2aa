#pragma once
#include <boost/signals2.hpp>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

class HikariPane;

/// The engine's side of the GUI: key blocking, the debug panel, and the signal that tells
/// the application about Flash panes (0 created, 1 destroyed, 2 got focus, 3 lost focus).
class GuiManager : public Singleton<GuiManager> {
public:
    typedef boost::signals2::signal<void(HikariPane*, int)> HikariPaneSignal;
    /// Mouse motion while the cursor is captured: pixels along x and y, wheel steps.
    typedef boost::signals2::signal<void(float, float, float)> MouseMoveSignal;

    void blockKey(bool block, bool alsoSystemKeys)
    {
        mKeysBlocked = block;
        mSystemKeysBlocked = alsoSystemKeys;
    }
    bool areKeysBlocked() const { return mKeysBlocked; }
    void showDebugPanel(bool show) { mDebugPanel = show; }
    bool isDebugPanelShown() const { return mDebugPanel; }

    boost::signals2::connection subscribeToHikariPaneSignal(const HikariPaneSignal::slot_type& slot)
    {
        return mPaneSignal.connect(slot);
    }
    /// Called by the panes themselves.
    void firePaneEvent(HikariPane* pane, int event) { mPaneSignal(pane, event); }

    /// The cursor's capture mode: 0 free; 2 captured: the pointer is hidden and kept in the
    /// window's middle, and its motion goes to the mouse-move subscribers instead of the GUI.
    int cursorCapture() const { return mCapture; }
    void cursorCapture(int mode);
    /// Puts the pointer at the window position (pixels).
    void cursorResetPos(float x, float y);
    boost::signals2::connection subscribeToMouseMove(const MouseMoveSignal::slot_type& slot)
    {
        return mMouseMove.connect(slot);
    }
    /// The window's motion while captured (the graphics system and tests).
    void injectMouseMove(float dx, float dy, float wheel) { mMouseMove(dx, dy, wheel); }

private:
    HikariPaneSignal mPaneSignal;
    MouseMoveSignal mMouseMove;
    int mCapture = 0;
    bool mKeysBlocked = false;
    bool mSystemKeysBlocked = false;
    bool mDebugPanel = true;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::GuiManager);
