#pragma once
#include <util/Singleton.h>

namespace kavri3D {
namespace core {

class ClientStateMachine;

/// The engine's helper around its client state machine and the quit request.
class DefaultFsmHelper : public Singleton<DefaultFsmHelper> {
public:
    explicit DefaultFsmHelper(ClientStateMachine* machine) : mMachine(machine) {}
    ClientStateMachine* getMachine() const { return mMachine; }
    void requestQuit() { mQuit = true; }
    bool isQuitRequested() const { return mQuit; }

private:
    ClientStateMachine* mMachine;
    bool mQuit = false;
};

} // namespace core
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::core::DefaultFsmHelper);
