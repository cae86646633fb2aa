#pragma once
#include <boost/function.hpp>
#include <map>
#include <string>
#include <core/MsgHandlers.h>

namespace kavri3D {
namespace core {

/// Pumps the thread's window messages and idles between frames. Other code hooks in by
/// name: message previews see each message first, idle handlers run after the pump.
class win32FrameController {
public:
    void previewAppMessage(const std::string& name, msg::MsgHandlerPtr handler);
    void unpreviewAppMessage(const std::string& name);
    void registerIdleHandler(const std::string& name, msg::IdleHandlerPtr handler);
    void unregisterIdleHandler(const std::string& name);
    bool hasMessagePreview(const std::string& name) const { return mPreviews.count(name) > 0; }
    bool hasIdleHandler(const std::string& name) const { return mIdle.count(name) > 0; }

    /// What the framework does with a message no preview handled.
    void setDispatcher(boost::function<void(const MSG&)> dispatch) { mDispatch = dispatch; }

    /// Takes every queued message through the previews and the dispatcher, then runs the
    /// idle handlers. Returns false when WM_QUIT came (the loop must end).
    bool pump();
    /// The message being handled (zeroed outside a pump).
    const MSG& currentMessage() const { return mCurrent; }

private:
    std::map<std::string, msg::MsgHandlerPtr> mPreviews;
    std::map<std::string, msg::IdleHandlerPtr> mIdle;
    boost::function<void(const MSG&)> mDispatch;
    MSG mCurrent{};
};

} // namespace core
} // namespace kavri3D
