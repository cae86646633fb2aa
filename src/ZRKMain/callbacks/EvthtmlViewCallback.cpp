#include "callbacks/EvthtmlViewCallback.h"

#include <algorithm>

#include "services/GameServices.h"
#include "webview/HtmlView.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
// Far outside any screen the game runs on: the page keeps running, unseen.
const int kParkedX = 1500, kParkedY = 1500, kParkedWidth = 400, kParkedHeight = 250;
const UINT kNoZOrder = 4; // SWP_NOZORDER
} // namespace

void EvthtmlViewCallback::callback(gui::ParamHandle params)
{
    const gui::ParamNode* urlNode = findParam("url", params);
    const gui::ParamNode* windowNode = findParam("window", params);
    if (!urlNode || !windowNode)
        return;
    std::string url;
    int window = 0;
    if (!readParam("url", params, url) || !readParam("window", params, window))
        return;
    HtmlView::navigate(url);
    if (window != 1 && window != 3)
        return;
    HtmlView* view = HtmlView::instance();
    HWND viewWindow = view ? view->getWindow() : nullptr;
    if (!viewWindow) {
        log(kLogWarning, "no web view to place");
        return;
    }
    if (window == 3) {
        SetWindowPos(viewWindow, nullptr, kParkedX, kParkedY, kParkedWidth, kParkedHeight, kNoZOrder);
        return;
    }
    HWND game = GameServices::renderWindow();
    RECT client{};
    if (!game || !GetClientRect(game, &client)) {
        log(kLogWarning, "no game window for the web view to cover");
        return;
    }
    // A screen may keep its own buttons free (the way back from the page): the view then
    // covers only the part it names, kept inside the client area.
    int left = 0, top = 0, width = 0, height = 0;
    if (readOptional("left", params, left) && readOptional("top", params, top) &&
        readOptional("width", params, width) && readOptional("height", params, height) && width > 0 && height > 0) {
        const long clientW = client.right - client.left, clientH = client.bottom - client.top;
        const long x = std::clamp<long>(left, 0, clientW), y = std::clamp<long>(top, 0, clientH);
        const long w = std::min<long>(width, clientW - x), h = std::min<long>(height, clientH - y);
        if (w > 0 && h > 0) {
            SetWindowPos(viewWindow, nullptr, client.left + static_cast<int>(x), client.top + static_cast<int>(y),
                         static_cast<int>(w), static_cast<int>(h), kNoZOrder);
            return;
        }
    }
    SetWindowPos(viewWindow, nullptr, client.left, client.top, client.right - client.left, client.bottom - client.top,
                 kNoZOrder);
}

} // namespace zrk
} // namespace kavri3D
