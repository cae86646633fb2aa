#pragma once
#include <win32/Wtl.h>

namespace kavri3D {
namespace core {
class win32FrameController;
}

namespace zrk {

/// A WTL message loop that never runs a loop of its own: it hooks into the framework's frame
/// controller, so every message the framework pumps passes the game windows' message filters
/// first, and their idle handlers run when the framework idles.
class CWtlMsgLoopAdapter : public WTL::CMessageLoop {
public:
    /// Without a controller the running application's is used; without either the adapter is
    /// only a plain message loop.
    explicit CWtlMsgLoopAdapter(core::win32FrameController* controller = nullptr);
    ~CWtlMsgLoopAdapter() override;

    bool onMessage(MSG& msg, LRESULT* result);
    void onIdle();

private:
    // The controller the hooks were registered with: they are removed from that one.
    core::win32FrameController* mController = nullptr;
};

} // namespace zrk
} // namespace kavri3D
