#pragma once
#include <boost/function.hpp>
#include <boost/signals2/connection.hpp>
#include <string>
#include <core/Frame.h>
#include <data/ZRKRequestOwner.h>
#include <util/XmlConfigHelper.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace core {
struct DialogBoxResult;
}
namespace zrk {

/// What the events acting on one bag item share: the busy flag of those that allow one action at
/// a time, their requests (no reply reaches a freed event), the question asked before an action
/// (answered only while the bag is the one it was asked on), and the outcome they hand the GUI.
/// Adds no virtual operation.
class BagActionEvent : public BaseEvent {
public:
    bool busy() const { return mBusy; }

protected:
    typedef boost::function<void(core::DialogBoxResult&)> Answer;

    BagActionEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~BagActionEvent() override;

    /// A whole-number parameter: false when missing (silently) or of another type (logged).
    bool readInt(const std::string& name, gui::ParamHandle params, int& out) const;
    /// The request text of one slot: [slot] without quotes.
    static std::string slotText(int slot);
    /// Asks with a choice box (the title "warning/title", the text as shown); the answer reaches
    /// `answer` only while the event lives. False without a frame (nothing asked).
    bool ask(const std::string& text, const Answer& answer, const core::Frame::BoxKind& kind);
    /// Whether the bag is still the one the question was asked on; else the action counts as
    /// refused: one log line and the bag shown again (8).
    bool bagUnchanged(const std::string& action);
    /// The list of the outcome: "error" and "msg" of the view, name and value only.
    gui::ParamList* fillOutcome(const core::XmlConfigHelper& view);
    /// A completion bound to this event, run only while it lives.
    template <class Self> ZRKReply replyTo(Self* self, void (Self::*slot)(bool, const std::string&))
    {
        return mRequests.guard([self, slot](bool error, const std::string& text) { (self->*slot)(error, text); });
    }

    bool mBusy = false;
    ZRKRequestOwner mRequests;

private:
    long mAskedOn = 0; ///< the bag's time stamp when the question was asked
    boost::signals2::scoped_connection mBoxConnection;
};

} // namespace zrk
} // namespace kavri3D
