#pragma once
#include <yake/StringUtil.h>

namespace kavri3D {
namespace core {

/// Names the engine plug-ins and the systems the framework brings up.
class ApplicationConfiguration {
public:
    virtual ~ApplicationConfiguration() = default;
    virtual yake::StringVector getLibraries() { return {}; }
    virtual yake::StringVector getGraphicsSystems() { return {}; }
    virtual yake::StringVector getScriptingSystems() { return {}; }
    virtual yake::StringVector getAudioSystems() { return {}; }
    virtual yake::StringVector getPhysicsSystems() { return {}; }
    virtual yake::StringVector getInputSystems() { return {}; }
};

} // namespace core
} // namespace kavri3D
