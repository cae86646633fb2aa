#pragma once
#include "callbacks/BagActionEvent.h"

class TiXmlNode;

namespace kavri3D {
namespace zrk {

/// Opens a box item of the bag ("slot") and shows what came out of it; one box at a time.
class EvtBagOpenBoxCallback : public BagActionEvent {
public:
    EvtBagOpenBoxCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~EvtBagOpenBoxCallback() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::BagOpenBox; }
    virtual void onReply(bool error, const std::string& text);

    /// The lines of a reply's data: one per known award, "label +amount\n", in order.
    static std::string awardLines(const TiXmlNode* data);

private:
    std::string mRequestText;
};

} // namespace zrk
} // namespace kavri3D
