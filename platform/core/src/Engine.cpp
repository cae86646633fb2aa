#include "core/Engine.h"

#include <core/AudioManager.h>
#include <core/ClientStateMachine.h>
#include <core/DefaultFsmHelper.h>
#include <core/EventManager.h>
#include <core/GuiManager.h>
#include <core/KeyInput.h>
#include <core/NetClientManager.h>
#include <core/PhysicsManager.h>
#include <core/TimerManager.h>
#include <core/Updatable.h>
#include <transport/TransportService.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::Engine);

namespace kavri3D {
namespace core {

Engine::Engine()
    : mMachine(new ClientStateMachine), mFsmHelper(new DefaultFsmHelper(mMachine.get())), mAudio(new AudioManager),
      mPhysics(new PhysicsManager), mEvents(new EventManager), mUpdatables(new UpdatableManager),
      mNet(new NetClientManager), mGui(new GuiManager), mKeys(new KeyInput)
{
}

Engine::~Engine()
{
    // States go first: leaving the current one may still use the managers.
    mMachine->shutdown();
    mUpdatables.reset();
    mEvents.reset();
    mFsmHelper.reset();
    mMachine.reset();
}

void Engine::update(float dt)
{
    // Transfers started in the last frame land before anything of this one runs.
    TransportService::instance().update();
    TimerManager::instance().update();
    mMachine->update(dt);
    mEvents->dispatch();
    mUpdatables->update(dt);
}

void Engine::releaseAudioManager() { mAudio.reset(); }
void Engine::releasePhysicsManager() { mPhysics.reset(); }
void Engine::releaseGuiManager() { mGui.reset(); }

} // namespace core
} // namespace kavri3D
