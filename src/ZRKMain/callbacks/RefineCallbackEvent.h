#pragma once
#include "callbacks/ForgeEvent.h"

namespace kavri3D {
namespace zrk {

/// The forge's refine: three metals of one grade (and a luck stone) make one of the next grade.
/// One refine at a time: busy from the request until the screen next reads the result.
class RefineCallbackEvent : public ForgeEvent {
public:
    RefineCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~RefineCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::Refine; }
    virtual void onPreviewReply(bool error, const std::string& text);
    virtual void onPerformReply(bool error, const std::string& text);
};

} // namespace zrk
} // namespace kavri3D
