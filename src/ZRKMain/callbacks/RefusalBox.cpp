#include "callbacks/RefusalBox.h"

#include <core/Frame.h>
#include <lan/ZRKLan.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

void RefusalBox::show(const std::string& text, const char* titleKey)
{
    // A refusal with no words of its own still says that nothing was done.
    const std::string shown = text.empty() ? ZRKLan::getMsg("error/unknow_wrong") : text;
    if (core::Frame* frame = GameServices::frame())
        frame->messageBoxText(ZRKLan::getMsg(titleKey), shown, core::Frame::kNoticeBox);
}

} // namespace zrk
} // namespace kavri3D
