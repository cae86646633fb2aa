#pragma once
#include "callbacks/BagActionEvent.h"

namespace kavri3D {
namespace zrk {

/// Uses a function item of the bag ("slot", "fun_type", "fun_param"); giving back the stat
/// points (type 1) asks first. One use at a time.
class EvtUserFunItemCallback : public BagActionEvent {
public:
    EvtUserFunItemCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~EvtUserFunItemCallback() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::UserFunItem; }
    virtual void onReply(bool error, const std::string& text);
    void onConfirm(core::DialogBoxResult& result, const std::string& text);

private:
    void send(const std::string& text);

    std::string mRequestText;
};

} // namespace zrk
} // namespace kavri3D
