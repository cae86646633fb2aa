#include "core/CEGUIPanelContainer.h"

#include <CEGUI/CEGUI.h>
#include <string>
#include <yake/Logger.h>

#include "core/CEGUIPanel.h"
#include "core/GuiManager.h"
#include "core/GuiSystem.h"

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("framework");
} // namespace
namespace core {

CEGUIPanelContainer::CEGUIPanelContainer() = default;

CEGUIPanelContainer::~CEGUIPanelContainer()
{
    destroyPanels();
    destroyTopWindow();
}

bool CEGUIPanelContainer::isLiveWindow(const CEGUI::Window* window)
{
    return window && CEGUI::System::getSingletonPtr() && CEGUI::WindowManager::getSingleton().isAlive(window);
}

void CEGUIPanelContainer::destroyLiveWindow(CEGUI::Window* window)
{
    if (isLiveWindow(window))
        CEGUI::WindowManager::getSingleton().destroyWindow(window);
}

void CEGUIPanelContainer::addPanel(const std::string& name, const PanelPtr& panel)
{
    for (auto& entry : mPanels) {
        if (entry.first != name)
            continue;
        if (entry.second && entry.second != panel)
            entry.second->destroyWindow();
        entry.second = panel;
        return;
    }
    mPanels.emplace_back(name, panel);
}

CEGUIPanelContainer::PanelPtr CEGUIPanelContainer::getPanel(const std::string& name) const
{
    for (const auto& entry : mPanels)
        if (entry.first == name)
            return entry.second;
    return PanelPtr();
}

std::vector<std::string> CEGUIPanelContainer::getPanelNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : mPanels)
        names.push_back(entry.first);
    return names;
}

void CEGUIPanelContainer::doLayoutImpl()
{
    for (const auto& entry : mPanels)
        if (entry.second)
            entry.second->doLayoutImpl();
}

bool CEGUIPanelContainer::createTopWindow(const std::string& name)
{
    GuiSystem* gui = GuiSystem::getSingletonPtr();
    if (mTopWindow || !gui || !gui->getRootWindow())
        return true;
    try {
        CEGUI::Window* top = CEGUI::WindowManager::getSingleton().createWindow(
            "DefaultWindow", reinterpret_cast<const CEGUI::utf8*>(name.c_str()));
        top->setArea(CEGUI::UVector2(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0)),
                     CEGUI::USize(CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
        top->setMousePassThroughEnabled(true);
        gui->getRootWindow()->addChild(top);
        mTopWindow = top;
        if (GuiManager* clicks = GuiManager::getSingletonPtr())
            mClickConnection = clicks->subscribeToUnhandledClick([this](int button) { onUnhandledClick(button); });
        return true;
    } catch (const CEGUI::Exception&) {
        return false;
    }
}

void CEGUIPanelContainer::destroyPanels()
{
    // Detach the list first: a panel letting its windows go must not find itself still listed.
    std::vector<std::pair<std::string, PanelPtr>> panels;
    panels.swap(mPanels);
    for (auto it = panels.rbegin(); it != panels.rend(); ++it)
        if (it->second)
            it->second->destroyWindow();
}

void CEGUIPanelContainer::destroyTopWindow() { destroyLiveWindow(takeTopWindow()); }

CEGUI::Window* CEGUIPanelContainer::takeTopWindow()
{
    mClickConnection = boost::signals2::connection();
    CEGUI::Window* top = mTopWindow;
    mTopWindow = nullptr;
    return top;
}

void CEGUIPanelContainer::onUnhandledClick(int button)
{
    if (!isLiveWindow(mTopWindow))
        return;
    try {
        CEGUI::MouseEventArgs args(mTopWindow);
        args.button = static_cast<CEGUI::MouseButton>(button);
        args.position = mTopWindow->getGUIContext().getMouseCursor().getPosition();
        mTopWindow->fireEvent(CEGUI::Window::EventMouseButtonDown, args, CEGUI::Window::EventNamespace);
    } catch (const std::exception& e) {
        logLine(Severity::Error, std::string("a click on the top window failed: ") + e.what());
    }
}

} // namespace core
} // namespace kavri3D
