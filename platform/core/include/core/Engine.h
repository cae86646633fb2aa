#pragma once
#include <memory>
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

class AudioManager;
class ClientStateMachine;
class DefaultFsmHelper;
class EventManager;
class GuiManager;
class KeyInput;
class NetClientManager;
class PhysicsManager;
class UpdatableManager;

/// The running engine: the client state machine and the engine's managers. One exists while
/// the application state lives.
class Engine : public Singleton<Engine> {
public:
    Engine();
    ~Engine();

    ClientStateMachine* getClientStateMachine() const { return mMachine.get(); }
    AudioManager* getAudioManager() const { return mAudio.get(); }
    PhysicsManager* getPhysicsManager() const { return mPhysics.get(); }
    EventManager* getEventManager() const { return mEvents.get(); }
    UpdatableManager* getUpdatableManager() const { return mUpdatables.get(); }
    GuiManager* getGuiManager() const { return mGui.get(); }
    KeyInput* getKeyInput() const { return mKeys.get(); }

    /// One frame of game logic: landed transfers, due timers, the state machine (queued change, then the
    /// current state's frame), queued events, then the updatables.
    void update(float dt);

    // For tests of code that must cope without one of them.
    void releaseAudioManager();
    void releasePhysicsManager();
    void releaseGuiManager();

private:
    std::unique_ptr<ClientStateMachine> mMachine;
    std::unique_ptr<DefaultFsmHelper> mFsmHelper;
    std::unique_ptr<AudioManager> mAudio;
    std::unique_ptr<PhysicsManager> mPhysics;
    std::unique_ptr<EventManager> mEvents;
    std::unique_ptr<UpdatableManager> mUpdatables;
    std::unique_ptr<NetClientManager> mNet;
    std::unique_ptr<GuiManager> mGui;
    std::unique_ptr<KeyInput> mKeys;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::Engine);
