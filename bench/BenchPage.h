#pragma once
// Waiting for the web view's page in a benchmark's game: frames run until the page says it is
// loaded whole.
#include <functional>
#include <string>

#include "webview/HtmlView.h"

namespace zrkbench {

/// Runs frames (`frame`, false when the game ended) until the view shows `url` loaded whole;
/// false when it does not within its frames.
inline bool pageShown(const std::function<bool()>& frame, const std::string& url)
{
    for (int round = 0; round < 100; ++round) {
        kavri3D::zrk::HtmlView* view = kavri3D::zrk::HtmlView::instance();
        if (!view || !view->browser())
            return false;
        view->browser()->runScript("location.href+' '+document.readyState");
        bool ready = false;
        for (int i = 0; i < 200 && !ready && frame(); ++i)
            view->browser()->scriptResult(&ready);
        if (view->browser()->scriptResult(nullptr) == url + " complete")
            return true;
    }
    return false;
}

} // namespace zrkbench
