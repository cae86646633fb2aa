#include "core/ApplicationState.h"

#include <core/ClientStateMachine.h>
#include <core/Engine.h>

namespace kavri3D {
namespace core {

ApplicationState::ApplicationState(Application&, const std::string& initialState)
    : mEngine(new Engine), mInitial(initialState)
{
}

ApplicationState::~ApplicationState() = default;

void ApplicationState::start()
{
    ClientStateMachine* m = mEngine->getClientStateMachine();
    if (m && !m->currentState() && !m->hasPending())
        m->changeState(mInitial);
}

} // namespace core
} // namespace kavri3D

kavri3D::core::ApplicationState* kavri_3d_StartEngine(kavri3D::core::Application& app, const char* initialState)
{
    return new kavri3D::core::ApplicationState(app, initialState ? initialState : "");
}
