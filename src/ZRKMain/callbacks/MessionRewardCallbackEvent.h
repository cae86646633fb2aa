#pragma once
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Claims the reward of a done quest ("q_id", and "objid": the object chosen, 0 for none).
/// Once paid, the quest list is asked for afresh and 89 raised; 8 too when the reward changed
/// bag slots. A refusal is silent: the quest stays as the screen shows it.
class MessionRewardCallbackEvent : public BaseEvent {
public:
    MessionRewardCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~MessionRewardCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::MessionReward; }
    void onRewarded(bool error, const std::string& text);
    void onQuestList(bool error, const std::string& text);

    /// The request text of a claim: {items:[object],q_id:id}, or an empty list for object 0.
    static std::string requestText(long questId, int objectId);

private:
    ZRKRequestOwner mRequests;
};

} // namespace zrk
} // namespace kavri3D
