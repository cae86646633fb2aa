#pragma once
#include <string>
#include <gui/ICallBackEvent.h>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace zrk {
namespace gui {

/// The plug-in's page of one panel kind: its windows and the player's input.
class IGuiPage {
public:
    virtual ~IGuiPage() = default;
    /// The page's root window; null when the page has none.
    virtual CEGUI::Window* getRootWindow() = 0;
    /// The named value of the action `params`; null when there is none.
    virtual ParamNode* getParam(const std::string& name, ParamHandle params) = 0;
    virtual int getKind() const = 0;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
