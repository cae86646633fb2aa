#pragma once
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Another player's profile view: the preview character "showview" in his default look and
/// what he wears, and his bag for the GUI. The record the GUI hands in ("roleattr") is read at
/// once (the GUI may free it before the replies); only the latest look counts.
class InfPersonalCallbackEvent : public BaseEvent {
public:
    InfPersonalCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~InfPersonalCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::InfPersonal; }

    void onDefStateReply(bool error, const std::string& text);
    void onInventoryReply(bool error, const std::string& text);

private:
    /// A completion for the current look only.
    ZRKReply replyTo(void (InfPersonalCallbackEvent::*slot)(bool, const std::string&));

    std::string mUid; ///< the member name of the record
    int mPcId = 0;
    int mKind = 0; ///< the record's character kind: 1 the "boy" look
    unsigned mAsked = 0;
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
