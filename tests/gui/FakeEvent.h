#pragma once
#include <functional>
#include <gui/ICallBackEvent.h>
#include <gui/ParamNode.h>

namespace zrktest {

/// What happened to fake events; outlives the plug-in that deletes them.
struct EventTally {
    int fills = 0;
    int callbacks = 0;
    int deleted = 0;
};

/// A game event that counts its calls and runs an optional action in each.
class FakeEvent : public kavri3D::zrk::gui::ICallBackEvent {
public:
    FakeEvent(int id, EventTally& tally) : mId(id), mTally(tally) {}
    ~FakeEvent() override { ++mTally.deleted; }

    kavri3D::zrk::gui::ParamList* fillParams() override
    {
        ++mTally.fills;
        if (onFill)
            onFill(mParams);
        return &mParams;
    }
    void callback(kavri3D::zrk::gui::ParamHandle params) override
    {
        ++mTally.callbacks;
        if (onCallback)
            onCallback(params);
    }
    int getEventId() override { return mId; }

    std::function<void(kavri3D::zrk::gui::ParamList&)> onFill;
    std::function<void(kavri3D::zrk::gui::ParamHandle)> onCallback;

private:
    int mId;
    EventTally& mTally;
    kavri3D::zrk::gui::ParamList mParams;
};

} // namespace zrktest
