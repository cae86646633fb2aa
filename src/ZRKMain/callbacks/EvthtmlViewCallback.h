#pragma once
#include <string>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Opens a page in the embedded web view ("url") and places the view ("window"): 1 over the
/// game window's client area (or the part of it "left", "top", "width" and "height" name, in
/// pixels), 3 parked out of sight, any other value where it is.
class EvthtmlViewCallback : public BaseEvent {
public:
    EvthtmlViewCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

    gui::ParamList* fillParams() override { return paramList(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::HtmlView; }
    /// The reply convention's completion; the view answers nothing.
    virtual void onReply(bool, const std::string&) {}
};

} // namespace zrk
} // namespace kavri3D
