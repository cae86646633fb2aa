#include "services/GameServices.h"

#include <core/Application.h>
#include <core/BlackBoard.h>
#include <core/ClientStateTable.h>
#include <cstdlib>
#include <core/ClientStateMachine.h>
#include <core/DefaultFsmHelper.h>
#include <core/Engine.h>
#include <core/Frame.h>
#include <core/Session.h>
#include <data/ZRKSession.h>
#include <lan/ZRKLan.h>
#include <win32/Windows.h>
#include <yake/Math.h>
#include <yake/Time.h>

namespace kavri3D {
namespace zrk {

namespace {
core::Frame* gLentFrame = nullptr;
EquipRes* gEquipment = nullptr;
ZRKRoleRes* gRoleResources = nullptr;
} // namespace

GameServices::Hooks& GameServices::hooks()
{
    static Hooks theHooks;
    return theHooks;
}

ZRKSession* GameServices::session() { return ZRKSession::getSingletonPtr(); }

core::ISession* GameServices::coreSession()
{
    core::Application* app = core::Application::getSingletonPtr();
    return app ? app->getSession().get() : nullptr;
}

core::Frame* GameServices::frame()
{
    if (gLentFrame)
        return gLentFrame;
    core::Application* app = core::Application::getSingletonPtr();
    return app ? app->getMainFrame().get() : nullptr;
}

gui::IGuiManager* GameServices::guiManager() { return hooks().guiManager ? hooks().guiManager() : nullptr; }

core::XmlConfigHelper* GameServices::settings() { return hooks().settings ? hooks().settings() : nullptr; }

void GameServices::saveSettings()
{
    if (hooks().saveSettings)
        hooks().saveSettings();
}

ZRKLan* GameServices::texts() { return ZRKLan::getSingletonPtr(); }

EquipRes* GameServices::equipment() { return gEquipment; }

ZRKRoleRes* GameServices::roleResources() { return gRoleResources; }

void GameServices::provide(EquipRes* equipment) { gEquipment = equipment; }

void GameServices::withdraw(EquipRes* equipment)
{
    if (gEquipment == equipment)
        gEquipment = nullptr;
}

void GameServices::provide(ZRKRoleRes* roleResources) { gRoleResources = roleResources; }

void GameServices::withdraw(ZRKRoleRes* roleResources)
{
    if (gRoleResources == roleResources)
        gRoleResources = nullptr;
}

core::ClientStateMachine* GameServices::stateMachine()
{
    core::DefaultFsmHelper* helper = core::DefaultFsmHelper::getSingletonPtr();
    return helper ? helper->getMachine() : nullptr;
}

core::ClientState* GameServices::currentState()
{
    core::ClientStateMachine* m = stateMachine();
    return m ? m->currentState().get() : nullptr;
}

core::ClientState* GameServices::currentStateIf(const std::string& name)
{
    core::ClientStateMachine* m = stateMachine();
    return m && m->currentStateName() == name ? m->currentState().get() : nullptr;
}

namespace {
/// The machine the session's teleports go through.
core::ClientStateMachine* teleportMachine()
{
    core::Engine* engine = core::Engine::getSingletonPtr();
    return engine ? engine->getClientStateMachine() : nullptr;
}
} // namespace

const char* GameServices::newPlayerState()
{
    core::ClientStateMachine* machine = teleportMachine();
    return machine && machine->getState(core::ClientStateTable::kTutorial) ? core::ClientStateTable::kTutorial
                                                                           : core::ClientStateTable::kArea;
}

bool GameServices::teleportOrLogOut(const std::string& state)
{
    ZRKSession* s = session();
    if (!s || s->teleport(std::string(), state, std::string()))
        return true;
    s->logout();
    if (core::ClientStateMachine* machine = teleportMachine())
        machine->changeState(core::ClientStateTable::kLogon);
    if (core::Frame* box = frame())
        box->messageBox("error/access_wrong", "error/state_wrong", core::Frame::kNoticeBox);
    return false;
}

void GameServices::followSound(long soundId, bool follow)
{
    if (hooks().followSound)
        hooks().followSound(static_cast<unsigned int>(soundId), follow);
}

HWND GameServices::renderWindow()
{
    core::BlackBoard* bb = core::BlackBoard::getSingletonPtr();
    if (!bb)
        return nullptr;
    const std::string text = bb->getString("kavri3D/win32RenderWindow", "0");
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    HWND window = reinterpret_cast<HWND>(static_cast<std::intptr_t>(value));
    return value != 0 && IsWindow(window) ? window : nullptr;
}

double GameServices::now() { return yake::native::getTime(); }

float GameServices::unitRandom() { return yake::math::Math::UnitRandom(); }

int GameServices::randomBelow(int span)
{
    if (span <= 0)
        return 0;
    const int i = static_cast<int>(unitRandom() * static_cast<float>(span));
    return i < 0 ? 0 : i >= span ? span - 1 : i;
}

void GameServices::exitGame()
{
    core::ISession* s = coreSession();
    if (s && s->isOnline()) {
        s->goDead();
        return;
    }
    if (core::DefaultFsmHelper* helper = core::DefaultFsmHelper::getSingletonPtr())
        helper->requestQuit();
    PostQuitMessage(0);
}

void GameServices::backToLogon()
{
    core::ISession* s = coreSession();
    if (s && s->isOnline())
        s->teleportAdv(core::ClientStateTable::kLogon);
}

void GameServices::tickPrefetch()
{
    if (hooks().tickPrefetch)
        hooks().tickPrefetch();
}

void GameServices::prefetchNow(const std::string& product)
{
    if (hooks().prefetchNow)
        hooks().prefetchNow(product);
}

bool GameServices::requestResources(const std::function<void(bool)>& done)
{
    if (!hooks().requestResources)
        return false;
    hooks().requestResources(done);
    return true;
}

void GameServices::refreshRoom()
{
    if (hooks().refreshRoom)
        hooks().refreshRoom();
}

bool GameServices::tutorialStepDone()
{
    if (!hooks().tutorialStepDone)
        return false;
    hooks().tutorialStepDone();
    return true;
}

GameServices::FrameLoan::FrameLoan(core::Frame& frame) : mPrevious(gLentFrame) { gLentFrame = &frame; }

GameServices::FrameLoan::~FrameLoan() { gLentFrame = mPrevious; }

} // namespace zrk
} // namespace kavri3D
