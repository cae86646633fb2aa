#pragma once

namespace kavri3D {
namespace core {

/// Holds a frame's menus. The game's frame has none of its own; the base is kept so that a
/// frame can be reached as a menu host.
class CEGUIMenuContainer {
public:
    CEGUIMenuContainer() = default;
    virtual ~CEGUIMenuContainer() = default;
    CEGUIMenuContainer(const CEGUIMenuContainer&) = delete;
    CEGUIMenuContainer& operator=(const CEGUIMenuContainer&) = delete;
};

} // namespace core
} // namespace kavri3D
