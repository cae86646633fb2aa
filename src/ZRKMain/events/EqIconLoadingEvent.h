#pragma once
#include <map>
#include <string>
#include <data/ZRKRequestOwner.h>
#include <gui/SubClass.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Hands the bag screen the item icons and the item sub-classes; both tables live with the
/// event, and the GUI reads them in place.
class EqIconLoadingEvent : public BaseEvent {
public:
    EqIconLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::EqIconLoading; }

    void onReply(bool error, const std::string& text);

    const std::map<int, std::string>& icons() const { return mIcons; }
    const std::map<int, gui::SubClass>& subClasses() const { return mSubClasses; }

private:
    std::map<int, std::string> mIcons;
    std::map<int, gui::SubClass> mSubClasses;
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
