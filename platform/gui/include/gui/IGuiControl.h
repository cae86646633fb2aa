#pragma once
#include <string>
#include <vector>
#include <gui/ICallBackEvent.h>
#include <gui/ParamNode.h>

namespace kavri3D {
namespace zrk {
namespace gui {

class ICallBackEvent;

/// What a test (or the embedded default run) can do in place of a player: set a page's
/// values, call an event as the GUI would, and read what the game raised.
class IGuiControl {
public:
    virtual ~IGuiControl() = default;

    /// Sets a named value of a page kind's next action (replacing one of that name).
    virtual void setPageParam(int kind, const ParamNode& node) = 0;
    virtual void clearPageParams(int kind) = 0;
    /// The handle the page resolves names against.
    virtual ParamHandle paramHandle(int kind) = 0;

    /// The registered event answering `eventId` (the first one), null when none.
    virtual ICallBackEvent* findEvent(int eventId) = 0;
    virtual std::vector<int> registeredIds() = 0;
    /// Calls the event's fillParams, as the GUI does after a raise; null without the event.
    virtual ParamList* fillParams(int eventId) = 0;
    /// Calls the event's callback with the page kind's current values; false without the event.
    virtual bool callback(int eventId, int kind) = 0;

    /// Every id raised on the dispatcher, in order.
    virtual std::vector<int> raisedIds() = 0;
    virtual void clearRaised() = 0;
    /// The ids handed to the event-id queue's `handle`, in order.
    virtual std::vector<int> handledIds() = 0;
    /// Page names shown with showPage, in order.
    virtual std::vector<std::string> shownPages() = 0;
    /// How often each no-argument notification ran ("resetPages", "clearScreens",
    /// "notifyBattleStarting", "onFirstPanelsCreated", "onLobbyPanelsCreated", "shutdown"; also
    /// "setImage", "setRoleView", "setRenderSwitch", "notifyRoomEntering", "loadBaseResources",
    /// "registOverlayFactory" and the animator's "animator.play", "animator.update", ...).
    virtual int callCount(const std::string& operation) = 0;
    virtual void setLoading(bool loading) = 0;
    /// The image a picture of a page kind shows (the player page's "myself", the room page's
    /// "red0", the bag page's "box1"...); empty when it shows none or has no such picture.
    virtual std::string shownImage(int kind, const std::string& picture) = 0;
    /// Every page made afresh (their windows, tabs and what they read once), as a newly
    /// loaded plug-in has them: a fuzz target keeps one plug-in loaded for all its inputs.
    virtual void rebuildPages() = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
