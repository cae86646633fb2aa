#pragma once
#include <cstdint>
#include <vector>

namespace kavri3D {
namespace zrk {
namespace gui {

struct ParamNode;
typedef std::vector<ParamNode*> ParamList;
/// The GUI's handle for the values of one action; the page resolves names against it.
typedef std::uintptr_t ParamHandle;

/// A game event the GUI plug-in calls: fillParams when it wants the event's data,
/// callback when the player acts.
class ICallBackEvent {
public:
    virtual ~ICallBackEvent() = default;
    /// The event's current values; valid until the next fillParams or the event's end.
    virtual ParamList* fillParams() = 0;
    virtual void callback(ParamHandle params) = 0;
    virtual int getEventId() = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
