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
    /// Whether any subscriber took the key.
    struct AnyTaken {
        typedef bool result_type;
        template <class It> bool operator()(It first, It last) const
        {
            bool taken = false;
            for (; first != last; ++first)
                taken = *first || taken;
            return taken;
        }
    };
    /// A key-down (CEGUI scan code) offered before the GUI sees it; true takes it from the GUI.
    typedef boost::signals2::signal<bool(int), AnyTaken> KeyDownSignal;
    /// A mouse button (CEGUI's number) pressed where no window took it.
    typedef boost::signals2::signal<void(int)> ClickSignal;

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
    /// Key-downs reach these subscribers first (a lesson's guide); what they take never
    /// reaches the GUI's windows.
    boost::signals2::connection subscribeToKeyDown(const KeyDownSignal::slot_type& slot)
    {
        return mKeyDown.connect(slot);
    }
    /// The window offers a key-down; true when a subscriber took it.
    bool offerKeyDown(int scan) { return mKeyDown(scan); }
    /// Clicks no window took go on to these subscribers (the main frame's top window), as
    /// they would bubble up to it.
    boost::signals2::connection subscribeToUnhandledClick(const ClickSignal::slot_type& slot)
    {
        return mClick.connect(slot);
    }
    void passUnhandledClick(int button) { mClick(button); }

private:
    HikariPaneSignal mPaneSignal;
    MouseMoveSignal mMouseMove;
    KeyDownSignal mKeyDown;
    ClickSignal mClick;
    int mCapture = 0;
    bool mKeysBlocked = false;
    bool mSystemKeysBlocked = false;
    bool mDebugPanel = true;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::GuiManager);
