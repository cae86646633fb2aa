#pragma once
#include <boost/function.hpp>
#include <string>

namespace CEGUI {
class KeyEventArgs;
}

namespace kavri3D {
namespace zrk {
namespace gui {

/// The tutorial's guide box: what a lesson's step asks of the player, its hints and a nudge
/// when the player does something else. The tutorial room holds it while a lesson runs.
class IGuideView {
public:
    typedef boost::function<bool(const CEGUI::KeyEventArgs&)> KeyHandler;
    virtual ~IGuideView() = default;
    /// Shows the text of the 1-based step; 0 hides the box.
    virtual void showStep(int step) = 0;
    virtual int getShownStep() const = 0;
    virtual const std::string& getShownText() const = 0;
    /// Key-downs reach the handler before anything else while it is set.
    virtual void setKeyHandler(const KeyHandler& handler) = 0;
    virtual void releaseKeyHandler() = 0;
    /// A hint of guide content `kind` at `id`, shown for a few seconds.
    virtual void showHint(const std::string& kind, int id) = 0;
    /// A line under the step's text that the step keeps up to date (how long to hold Space);
    /// empty for none. A new step starts without one.
    virtual void setLine(const std::string& line) = 0;
    virtual const std::string& getLine() const = 0;
    virtual int getNudgeCount() const = 0;
    /// Shakes the box: the player did something the step does not ask for.
    virtual void nudge() = 0;
    /// The step's question is up and waits for its answer: the mouse is the player's for it.
    virtual bool isAsking() const = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
