#pragma once
#include <core/ScopedEventConnection.h>
#include <gui/EventId.h>

namespace CEGUI {
class EventArgs;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace zrk {
namespace gui {

class EventDispatcher;
class ParamStore;

/// The "Help" button at the right of a page's title bar: it asks the game for the guide (the
/// next lesson of the tutorial, or why not here).
class HelpButton {
public:
    static constexpr int kEventId = EventId::ShowHelp;
    static constexpr const char* kName = "Help";

    HelpButton(int kind, ParamStore& params, EventDispatcher& dispatcher);
    ~HelpButton();
    HelpButton(const HelpButton&) = delete;
    HelpButton& operator=(const HelpButton&) = delete;

    /// Puts the button on a page's fresh frame window.
    void build(CEGUI::Window& frame);
    /// What a click does; false when the game has no help event.
    bool press();

private:
    bool onClicked(const CEGUI::EventArgs& args);

    const int mKind;
    ParamStore& mParams;
    EventDispatcher& mDispatcher;
    core::ScopedEventConnection mConnection;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
