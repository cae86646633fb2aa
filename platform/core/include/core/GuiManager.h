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

private:
    HikariPaneSignal mPaneSignal;
    bool mKeysBlocked = false;
    bool mSystemKeysBlocked = false;
    bool mDebugPanel = true;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::GuiManager);
