#include "shell/Configuration.h"

namespace kavri3D {
namespace zrk {

yake::StringVector Configuration::getLibraries()
{
    return yake::MakeStringVector({"yake_scriptingLua", "yake_graphicsOgre", "yake_physicsOde", "kavri_3d_DSAudio"});
}
yake::StringVector Configuration::getGraphicsSystems() { return yake::MakeStringVector({"ogre3d"}); }
yake::StringVector Configuration::getScriptingSystems() { return yake::MakeStringVector({"lua"}); }
yake::StringVector Configuration::getAudioSystems() { return yake::MakeStringVector({"dsa"}); }
yake::StringVector Configuration::getPhysicsSystems() { return yake::MakeStringVector({"ode"}); }
yake::StringVector Configuration::getInputSystems() { return yake::MakeStringVector({"wid"}); }

} // namespace zrk
} // namespace kavri3D
