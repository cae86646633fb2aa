#include "events/EventHost.h"

#include <data/ZRKSession.h>
#include <gui/IGuiManager.h>

#include "shell/Application.h"
#include "shell/CAppZRKModule.h"
#include "shell/ZRKGuiLoader.h"

namespace kavri3D {
namespace zrk {

namespace {
core::Frame* gLentFrame = nullptr;
} // namespace

ZRKSession* EventHost::session() { return ZRKSession::getSingletonPtr(); }

core::Frame* EventHost::frame()
{
    core::Frame* frame = Application::mainFrame();
    return frame ? frame : gLentFrame;
}

gui::IGuiManager* EventHost::guiManager()
{
    ZRKGuiLoader* loader = ZRKGuiLoader::getSingletonPtr();
    gui::IGuiManager* manager = nullptr;
    if (!loader || !loader->createGuiManager(&manager))
        return nullptr;
    return manager;
}

core::XmlConfigHelper* EventHost::settings() { return appModule().getAppConfig(); }

EventHost::FrameLoan::FrameLoan(core::Frame& frame) : mPrevious(gLentFrame) { gLentFrame = &frame; }

EventHost::FrameLoan::~FrameLoan() { gLentFrame = mPrevious; }

} // namespace zrk
} // namespace kavri3D
