#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <string>
#include <utility>
#include <vector>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace core {

class CEGUIPanel;

/// Hosts named panels under one top window, a full-size child of the GUI system's root
/// sheet. Without a GUI system there is no top window; the panels are still kept.
class CEGUIPanelContainer {
public:
    typedef boost::shared_ptr<CEGUIPanel> PanelPtr;

    CEGUIPanelContainer();
    virtual ~CEGUIPanelContainer();
    CEGUIPanelContainer(const CEGUIPanelContainer&) = delete;
    CEGUIPanelContainer& operator=(const CEGUIPanelContainer&) = delete;

    /// A panel added under a name already in use replaces the old one, whose windows go.
    void addPanel(const std::string& name, const PanelPtr& panel);
    PanelPtr getPanel(const std::string& name) const;
    /// Panel names in the order they were added.
    std::vector<std::string> getPanelNames() const;
    CEGUI::Window* getTopWindow() const { return mTopWindow; }

    /// True when the GUI system exists and still holds the window (the GUI plug-in may have
    /// destroyed a window it lent us).
    static bool isLiveWindow(const CEGUI::Window* window);
    /// Destroys the window when it is still alive; null is ignored.
    static void destroyLiveWindow(CEGUI::Window* window);

    /// Lays out every panel.
    virtual void doLayoutImpl();
    virtual void onPanelClosed(CEGUIPanel* panel) {}

protected:
    /// Makes the top window when a GUI system exists; true also without one.
    bool createTopWindow(const std::string& name);
    /// Lets every panel's windows go, forgets the panels, then destroys the top window.
    void destroyPanels();
    void destroyTopWindow();
    /// Forgets the top window without destroying it and hands it to the caller.
    CEGUI::Window* takeTopWindow();

private:
    /// A click no window took reaches the top window, as it would bubble up to it.
    void onUnhandledClick(int button);

    std::vector<std::pair<std::string, PanelPtr>> mPanels;
    CEGUI::Window* mTopWindow = nullptr;
    boost::signals2::scoped_connection mClickConnection;
};

} // namespace core
} // namespace kavri3D
