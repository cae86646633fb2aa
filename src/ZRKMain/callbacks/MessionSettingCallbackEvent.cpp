#include "callbacks/MessionSettingCallbackEvent.h"

namespace kavri3D {
namespace zrk {

MessionSettingCallbackEvent::MessionSettingCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

MessionSettingCallbackEvent::~MessionSettingCallbackEvent() = default;

void MessionSettingCallbackEvent::callback(gui::ParamHandle) { clearParams(); }

} // namespace zrk
} // namespace kavri3D
