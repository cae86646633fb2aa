#pragma once
#include <boost/shared_ptr.hpp>
#include <memory>
#include <string>

namespace kavri3D {
namespace core {

class Application;
class Engine;

/// What kavri_3d_StartEngine gives the application: the engine and the name of the client
/// state to open in once the states are registered.
class ApplicationState {
public:
    ApplicationState(Application& app, const std::string& initialState);
    ~ApplicationState();

    Engine* getEngine() const { return mEngine.get(); }
    const std::string& getInitialState() const { return mInitial; }
    /// Queues the initial state when the machine has none yet.
    void start();

private:
    std::unique_ptr<Engine> mEngine;
    std::string mInitial;
};

typedef boost::shared_ptr<ApplicationState> ApplicationStatePtr;

} // namespace core
} // namespace kavri3D

/// Starts the engine for the application, opening in the named client state.
kavri3D::core::ApplicationState* kavri_3d_StartEngine(kavri3D::core::Application& app, const char* initialState);
