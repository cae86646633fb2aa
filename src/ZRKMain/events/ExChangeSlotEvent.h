#pragma once
#include <boost/signals2/connection.hpp>
#include <string>
#include <utility>
#include <vector>
#include <data/ZRKRequestOwner.h>
#include <util/XmlConfigHelper.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace core {
struct DialogBoxResult;
}
namespace zrk {

/// Moves an item from one inventory slot to another, with the batch of further moves the
/// screen gathered first. Wearing an item that is not bound yet asks first: wearing binds it.
class ExChangeSlotEvent : public BaseEvent {
public:
    ExChangeSlotEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ExChangeSlotEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ExChangeSlot; }
    /// The reply of the slot change.
    virtual void handleChangeSlot(bool error, const std::string& text);

    void onConfirm(core::DialogBoxResult& result, const core::XmlConfigHelper& params);

    bool isChange() const { return mIsChange; }
    const std::vector<std::pair<int, int>>& batch() const { return mBatch; }

private:
    void batchCallback(const gui::ParamNode* src, const gui::ParamNode* dst);
    void send(const core::XmlConfigHelper& params);

    gui::ParamNode mLastSrc;
    gui::ParamNode mLastDst;
    std::vector<std::pair<int, int>> mBatch;
    bool mIsChange = false;
    boost::signals2::scoped_connection mBoxConnection;
    ZRKRequestOwner mRequests; // last: goes first, so no reply or answer reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
