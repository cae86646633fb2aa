#include "events/EventHost.h"

#include <core/ClientStateMachine.h>
#include <core/Engine.h>
#include <core/Frame.h>
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

const char* EventHost::newPlayerState()
{
    core::Engine* engine = core::Engine::getSingletonPtr();
    core::ClientStateMachine* machine = engine ? engine->getClientStateMachine() : nullptr;
    return machine && machine->getState("battle_newbie") ? "battle_newbie" : "room";
}

bool EventHost::teleportOrLogOut(const std::string& state)
{
    ZRKSession* session = EventHost::session();
    if (!session || session->teleport(std::string(), state, std::string()))
        return true;
    session->logout();
    core::Engine* engine = core::Engine::getSingletonPtr();
    if (core::ClientStateMachine* machine = engine ? engine->getClientStateMachine() : nullptr)
        machine->changeState("logon");
    if (core::Frame* box = frame())
        box->messageBox("error/access_wrong", "error/state_wrong", 1, 9, 300, 150);
    return false;
}

EventHost::FrameLoan::FrameLoan(core::Frame& frame) : mPrevious(gLentFrame) { gLentFrame = &frame; }

EventHost::FrameLoan::~FrameLoan() { gLentFrame = mPrevious; }

} // namespace zrk
} // namespace kavri3D
