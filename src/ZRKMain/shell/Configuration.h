#pragma once
#include <core/ApplicationConfiguration.h>

namespace kavri3D {
namespace zrk {

/// The engine plug-ins and systems the game asks the framework for.
class Configuration : public core::ApplicationConfiguration {
public:
    yake::StringVector getLibraries() override;
    yake::StringVector getGraphicsSystems() override;
    yake::StringVector getScriptingSystems() override;
    yake::StringVector getAudioSystems() override;
    yake::StringVector getPhysicsSystems() override;
    yake::StringVector getInputSystems() override;
};

} // namespace zrk
} // namespace kavri3D
