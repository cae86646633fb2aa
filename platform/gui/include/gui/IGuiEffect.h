#pragma once
#include <string>

namespace kavri3D {
namespace zrk {
namespace gui {

/// A named screen effect of the GUI. The game sets one up and plays it in this order: stop
/// what plays, load the effect by name, rewind, give it its length in seconds, play.
class IGuiEffect {
public:
    virtual ~IGuiEffect() = default;
    /// Ends the effect that plays, if any, and takes it off the screen.
    virtual void stop() = 0;
    /// The effect to play next ("halldropout": the hall drops out of sight).
    virtual void load(const std::string& name) = 0;
    /// Back to the effect's first frame.
    virtual void rewind() = 0;
    virtual void setSeconds(float seconds) = 0;
    virtual void play() = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
