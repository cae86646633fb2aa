#include "core/win32FrameController.h"

#include <vector>
#include <yake/Logger.h>

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("frame");
} // namespace
namespace core {

void win32FrameController::previewAppMessage(const std::string& name, msg::MsgHandlerPtr handler)
{
    if (handler)
        mPreviews[name] = handler;
}

void win32FrameController::unpreviewAppMessage(const std::string& name) { mPreviews.erase(name); }

void win32FrameController::registerIdleHandler(const std::string& name, msg::IdleHandlerPtr handler)
{
    if (handler)
        mIdle[name] = handler;
}

void win32FrameController::unregisterIdleHandler(const std::string& name) { mIdle.erase(name); }

bool win32FrameController::pump()
{
    MSG m;
    bool quit = false;
    while (PeekMessageW(&m)) {
        if (m.message == WM_QUIT) {
            quit = true;
            continue;
        }
        mCurrent = m;
        bool handled = false;
        // Copies: a handler may unregister itself or others while it runs.
        std::vector<msg::MsgHandlerPtr> previews;
        for (auto& p : mPreviews)
            previews.push_back(p.second);
        try {
            for (auto& h : previews) {
                LRESULT result = 0;
                if (h->invoke(m, &result)) {
                    handled = true;
                    break;
                }
            }
            if (!handled && mDispatch)
                mDispatch(m);
        } catch (const std::exception& e) {
            logLine(Severity::Error, std::string("message handler failed: ") + e.what());
        }
    }
    mCurrent = MSG{};
    std::vector<msg::IdleHandlerPtr> idle;
    for (auto& p : mIdle)
        idle.push_back(p.second);
    for (auto& h : idle) {
        try {
            h->invoke();
        } catch (const std::exception& e) {
            logLine(Severity::Error, std::string("idle handler failed: ") + e.what());
        }
    }
    return !quit;
}

} // namespace core
} // namespace kavri3D
