#include "misc/CEGUIAnimationLib.h"

#include <CEGUI/CEGUI.h>
#include <yake/Logger.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::CEGUIAnimationLib);

namespace kavri3D {
namespace core {

CEGUIAnimationLib& CEGUIAnimationLib::instance()
{
    static CEGUIAnimationLib theLib;
    return theLib;
}

bool CEGUIAnimationLib::loadAnimationsFromResource(const std::string& file, const std::string& group)
{
    if (!CEGUI::System::getSingletonPtr() || !CEGUI::AnimationManager::getSingletonPtr()) {
        yake::logging::logger::instance().log(3, "animations", "no GUI system for " + file);
        return false;
    }
    try {
        CEGUI::AnimationManager& m = CEGUI::AnimationManager::getSingleton();
        std::size_t before = m.getNumAnimations();
        m.loadAnimationsFromXML(reinterpret_cast<const CEGUI::utf8*>(file.c_str()),
                                reinterpret_cast<const CEGUI::utf8*>(group.c_str()));
        mLoaded += static_cast<int>(m.getNumAnimations() - before);
        return true;
    } catch (const std::exception& e) {
        yake::logging::logger::instance().log(3, "animations", file + " not loaded: " + e.what());
        return false;
    }
}

} // namespace core
} // namespace kavri3D
