#pragma once
#include "callbacks/BagActionEvent.h"

namespace kavri3D {
namespace zrk {

/// Uses a rank card of the bag ("slot", "i_id"): works out its price in medals from the player's
/// rank and the card's, and asks before the request goes. Busy from the confirmed request to
/// its reply.
class EvtBagUnlockRankCallback : public BagActionEvent {
public:
    EvtBagUnlockRankCallback(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~EvtBagUnlockRankCallback() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::BagUnlockRank; }
    virtual void onReply(bool error, const std::string& text);
    /// The confirmation's answer: the first button sends the text bound when the box opened.
    void onConfirm(core::DialogBoxResult& result, const std::string& text);

    /// The price of going from rank `cur` to `next` under the coefficient text: six whole
    /// numbers of a JSON array, else 3 x (next x next - cur x cur); 0 to INT_MAX.
    static long long price(const std::string& coefficients, long long cur, long long next);

private:
    std::string mRequestText;
};

} // namespace zrk
} // namespace kavri3D
