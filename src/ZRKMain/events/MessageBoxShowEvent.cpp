#include "events/MessageBoxShowEvent.h"

#include <core/Frame.h>
#include <lan/ZRKLan.h>
#include <vector>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

MessageBoxShowEvent::MessageBoxShowEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

void MessageBoxShowEvent::callback(gui::ParamHandle params)
{
    int flag = 0;
    int width = 0;
    int height = 0;
    if (!readOptional("flag", params, flag) || !readOptional("w", params, width) || !readOptional("h", params, height))
        return;
    std::string title;
    std::string text;
    if (!readText("arg1", (flag & 1) != 0, params, title) || !readText("arg2", (flag & 2) != 0, params, text))
        return;
    core::Frame* frame = GameServices::frame();
    if (!frame)
        return;
    // A size is taken only whole and sensible; anything else gets the standard box.
    if (width <= 0 || height <= 0) {
        width = 300;
        height = 150;
    }
    // Both texts are final here: a literal one is shown as written even when it reads like a key.
    frame->messageBoxText(title, text, core::Frame::kNoticeBox.sized(width, height));
}

bool MessageBoxShowEvent::readText(const std::string& name, bool isKey, gui::ParamHandle params, std::string& out) const
{
    std::string value;
    if (!readParam(name, params, value))
        return false;
    const std::string text = isKey ? ZRKLan::getMsg(value) : value;
    const std::string argsName = name + "v";
    if (!findParam(argsName, params)) {
        out = text;
        return true;
    }
    std::vector<std::string> args;
    if (!readParam(argsName, params, args))
        return false;
    out = formatMsg(text, args);
    return true;
}

} // namespace zrk
} // namespace kavri3D
