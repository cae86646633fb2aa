#pragma once
#include <memory>
#include <webbrowser/WebBrowser.h>

namespace kavri3D {
namespace zrk {

class CMyBrowserExternalObj;

/// What the game decides about every page it shows: no context menu, no drop target, and the
/// script object (made once, while a view exists, and kept for the run).
class CDummyUIHandler : public webbrowser::IDocHostUIHandler {
public:
    /// The one handler, made on first use.
    static CDummyUIHandler& instance();

    bool ShowContextMenu() override { return true; }
    bool GetDropTarget() override { return false; }
    /// The script object; made on the first call while a view exists, null before that.
    CMyBrowserExternalObj* GetExternal();

private:
    CDummyUIHandler() = default;
    std::unique_ptr<CMyBrowserExternalObj> mExternal;
};

} // namespace zrk
} // namespace kavri3D
