#pragma once
#include <CEGUI/Size.h>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace core {

class CEGUIPanelContainer;

/// One screen area hosted by a panel container. The panel makes (or borrows) its windows in
/// createWindow; the container lays it out and lets it go with the frame.
class CEGUIPanel {
public:
    explicit CEGUIPanel(CEGUIPanelContainer* container);
    virtual ~CEGUIPanel();
    CEGUIPanel(const CEGUIPanel&) = delete;
    CEGUIPanel& operator=(const CEGUIPanel&) = delete;

    /// The pixel size of the panel's window; zero without one.
    virtual CEGUI::Sizef getPreferredSize();
    virtual void show(bool visible);
    virtual void active(bool activate);
    virtual bool isVisible();
    virtual bool isActive();
    /// False when the panel's window could not be made.
    virtual bool createWindow() = 0;
    virtual void destroyWindow() = 0;
    virtual CEGUI::Window* getWindow() = 0;
    virtual void doLayoutImpl() {}
    /// Asked before the panel closes; false keeps it open.
    virtual bool onClosing() { return true; }

    CEGUIPanelContainer* getContainer() const { return mContainer; }

private:
    CEGUIPanelContainer* mContainer;
};

} // namespace core
} // namespace kavri3D
