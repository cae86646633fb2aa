#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The creation screen comes up: draws a sex and a choice of each part, dresses the preview
/// in them and hands the GUI the choices and how many there are of each part.
class CreateCharLoadingEvent : public BaseEvent {
public:
    CreateCharLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::CreateCharLoading; }

    bool isBoy() const { return mIsboy; }
    int getIndex(int part) const { return mIndex[part]; }
    int getCount(int part) const { return mCount[part]; }

private:
    int mIndex[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    int mCount[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    bool mIsboy = false;
};

} // namespace zrk
} // namespace kavri3D
