#pragma once
#include <core/EventManager.h>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {
namespace gui {

/// A GUI event made for a numeric id, as if the player had acted: it carries its parameters
/// in `params` and travels through the framework's event manager.
class GuiAnyEvent : public core::Event {
public:
    explicit GuiAnyEvent(int id) : core::Event(id) {}
    core::XmlConfigHelper params;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
