#pragma once

namespace kavri3D {
namespace zrk {
namespace gui {

/// Told of screen changes the GUI must prepare for (21: the screens hand over to a battle).
class IScreenNotifier {
public:
    virtual ~IScreenNotifier() = default;
    virtual void notify(int what) = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
