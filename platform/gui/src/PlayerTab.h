#pragma once
#include <core/ScopedEventConnection.h>
#include <CEGUI/Event.h>
#include <vector>
#include <string>
#include <gui/ICallBackEvent.h>
#include <gui/ParamNode.h>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;
class ParamStore;
class PlayerPage;

/// One tab of the player page beside its shop (friends, quests, the guild's shop...). The page
/// owns its tabs, gives each a pane of its own under the tab row and shows one pane at a time.
///
/// A tab keeps no window pointers: the page's windows can be made afresh (the GUI going down
/// and up again), so a tab finds its widgets by name under its pane each time.
class PlayerTab {
public:
    explicit PlayerTab(PlayerPage& page);
    virtual ~PlayerTab();
    PlayerTab(const PlayerTab&) = delete;
    PlayerTab& operator=(const PlayerTab&) = delete;

    /// The window-name part of the tab: its button is "Tab_<name>", its pane "Pane_<name>".
    virtual std::string name() const = 0;
    /// The tab button's text.
    virtual std::string title() const = 0;
    /// Makes the tab's widgets in its fresh, empty pane (fractions of the pane).
    virtual void build(CEGUI::Window& pane) = 0;
    /// The tab came to front (a click on its button, or the page shown with it in front): it asks
    /// for what it shows.
    virtual void onSelected() {}
    /// Every event that handed the GUI its values, as the page gets them.
    virtual void onFilled(int eventId, ParamList& params) {}

    /// The tab's pane when the page's window exists, null otherwise.
    CEGUI::Window* pane() const;
    /// A widget of the pane by name (a path below the pane works too); null when there is none.
    CEGUI::Window* child(const std::string& name) const;
    /// True while this tab is the one in front.
    bool isSelected() const;

protected:
    PlayerPage& page() { return mPage; }
    EventDispatcher& dispatcher();
    /// The player page's values (the page's kind), which the tab's events read.
    ParamStore& params();
    /// A widget placed in fractions of the pane.
    static CEGUI::Window* addWidget(CEGUI::Window& pane, const char* type, const char* name, const std::string& text,
                                    float x, float y, float w, float h);
    /// Keeps a connection for as long as the pane's widgets live: a rebuild drops the old ones.
    void keep(CEGUI::Event::Connection connection);

private:
    friend class PlayerPage;
    /// Called by the page before it builds the tab afresh.
    void dropConnections();

    PlayerPage& mPage;
    std::vector<core::ScopedEventConnection> mConnections;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
