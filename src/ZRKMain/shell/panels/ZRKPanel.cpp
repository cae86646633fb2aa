#include "shell/panels/ZRKPanel.h"

#include <CEGUI/CEGUI.h>
#include <core/CEGUIPanelContainer.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiManager.h>
#include <gui/IGuiPage.h>

#include "services/LogRoutine.h"
#include "shell/ZRKGuiLoader.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKPanel::ZRKPanel(core::CEGUIPanelContainer* container, int kind) : core::CEGUIPanel(container), mKind(kind) {}

ZRKPanel::~ZRKPanel() = default;

bool ZRKPanel::createWindow()
{
    ZRKGuiLoader* loader = ZRKGuiLoader::getSingletonPtr();
    if (!loader || !loader->createGuiManager(&mManager)) {
        mManager = nullptr;
        return false;
    }
    return mManager->getPage(mKind) != nullptr;
}

CEGUI::Window* ZRKPanel::getWindow()
{
    if (!mRootWindow && mManager)
        if (IGuiPage* page = mManager->getPage(mKind))
            mRootWindow = page->getRootWindow();
    return mRootWindow;
}

void ZRKPanel::show(bool visible)
{
    if (visible || mRootWindow)
        core::CEGUIPanel::show(visible);
}

bool ZRKPanel::isVisible() { return mRootWindow && core::CEGUIPanel::isVisible(); }

void ZRKPanel::destroyWindow()
{
    // The plug-in may already have let its page windows go when it shut down.
    if (core::CEGUIPanelContainer::isLiveWindow(mRootWindow))
        mRootWindow->hide();
}

bool ZRKPanel::registerEvents()
{
    if (!mManager) {
        writeLogf(kLogTrace, "ZRKPanel", "no GUI manager: the events of panel kind ", mKind, " are not registered");
        return false;
    }
    IGuiPage* page = mManager->getPage(mKind);
    IEventDispatcher* dispatcher = mManager->getEventDispatcher();
    if (!page || !dispatcher) {
        writeLogf(kLogTrace, "ZRKPanel", "no page or dispatcher: the events of panel kind ", mKind,
                  " are not registered");
        return false;
    }
    for (const EventEntry& entry : events())
        dispatcher->registerEvent(entry.make(page, dispatcher, entry.givenId));
    return true;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
