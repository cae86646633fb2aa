#pragma once
#include <boost/function.hpp>
#include <initializer_list>
#include <string>
#include <data/ZRKRequestOwner.h>
#include <util/XmlConfigHelper.h>
#include "events/BaseEvent.h"

namespace Json {
class Value;
}

namespace kavri3D {
namespace zrk {

/// What the forge screen's four actions (enhance, refine, mix, enchase) share: the mode the
/// last "flags" chose (1 preview, 2 perform), the busy flag of the actions that allow one at a
/// time, their requests and replies, and the filler that hands the reply's view to the screen.
/// Each action's own class keeps its reply slots; this base adds no virtual operation.
class ForgeEvent : public BaseEvent {
public:
    int mode() const { return mMode; }
    bool busy() const { return mBusy; }

protected:
    typedef long (*Query)(const std::string& text, ZRKReply done);
    typedef core::XmlConfigHelper (*View)();
    /// One node of the filler: its name, the view key it shows and the value's type.
    struct Field {
        enum Kind { Mode, Bool, Int, Float, Text };
        const char* node;
        const char* key;
        Kind kind;
    };

    ForgeEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ForgeEvent() override;

    /// The parameter text of a request: compact JSON, keys in order, no double quotes.
    static std::string requestText(const Json::Value& value);
    /// A chosen stone as a list of one, or none (-1) as an empty list: never a missing key.
    static Json::Value slotList(int slot);
    /// Sends the text for the mode (1 or 2); the reply reaches `reply` only while the event lives.
    /// False when the request could not go out (no reply will come).
    bool send(int mode, Query query, const std::string& text, const ZRKReply& reply);
    /// The completion of a request of that mode: a failed one is shown as its error (the view
    /// may be an older reply's), then the id is raised.
    void answered(int mode, bool error, const std::string& text);
    /// Clears the list and `busy`, then adds the fields of the mode's view and "error", "msg"
    /// and "val"; any other mode gives only those three, from an empty view.
    gui::ParamList* fill(std::initializer_list<Field> preview, View previewView, std::initializer_list<Field> perform,
                         View performView);
    /// The reply slot bound to this event, run only while it lives.
    template <class Self> ZRKReply replyTo(Self* self, void (Self::*slot)(bool, const std::string&))
    {
        return mRequests.guard([self, slot](bool error, const std::string& text) { (self->*slot)(error, text); });
    }

    int mMode = 0;
    bool mBusy = false;
    ZRKRequestOwner mRequests; // no reply or box answer reaches a freed event

private:
    struct Failure {
        bool failed = false;
        std::string text;
    };
    Failure mFailures[3]; // by mode: the last reply of mode 1 or 2 failed
};

} // namespace zrk
} // namespace kavri3D
