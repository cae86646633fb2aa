#pragma once
// The GUI plug-in's pages of a whole-game run, as the player's mouse finds them.
#include <CEGUI/CEGUI.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>
#include <yake/Time.h>

#include "shell/ZRKGuiLoader.h"

namespace zrktest {

/// A page's window by panel kind; null without one.
inline CEGUI::Window* pageWindow(int kind)
{
    kavri3D::zrk::ZRKGuiLoader* loader = kavri3D::zrk::ZRKGuiLoader::getSingletonPtr();
    kavri3D::zrk::gui::IGuiManager* manager = nullptr;
    if (!loader || !loader->createGuiManager(&manager) || !manager || !manager->getPage(kind))
        return nullptr;
    return manager->getPage(kind)->getRootWindow();
}

/// A page's window by its name when it is shown; null otherwise.
inline CEGUI::Window* shownPage(const char* name)
{
    CEGUI::Window* root = CEGUI::System::getSingleton().getDefaultGUIContext().getRootWindow();
    CEGUI::Window* page = root ? root->getChildRecursive(name) : nullptr;
    return page && page->isEffectiveVisible() ? page : nullptr;
}

/// A button pressed, as its click reaches it.
inline void click(CEGUI::Window* button)
{
    CEGUI::WindowEventArgs args(button);
    button->fireEvent(CEGUI::PushButton::EventClicked, args, CEGUI::PushButton::EventNamespace);
}

/// Time only moves when the test moves it, for as long as this lives.
struct ManualClock {
    ManualClock() { yake::native::setManualClock(true); }
    ~ManualClock() { yake::native::setManualClock(false); }
};

} // namespace zrktest
