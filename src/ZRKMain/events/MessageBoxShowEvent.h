#pragma once
#include <string>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Lets any screen show a message box of the main frame: title and text given as they are or
/// as message keys, with optional format arguments and an optional size.
class MessageBoxShowEvent : public BaseEvent {
public:
    MessageBoxShowEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::MessageBoxShow; }

private:
    /// One of the box's two texts: the value of `name`, looked up when `isKey`, then filled
    /// with the arguments of `name` + "v" when the GUI gave some. False when it is missing.
    bool readText(const std::string& name, bool isKey, gui::ParamHandle params, std::string& out) const;
};

} // namespace zrk
} // namespace kavri3D
