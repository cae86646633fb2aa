#include "misc/CEGUIAnimationLib.h"

#include <CEGUI/CEGUI.h>
#include <yake/Logger.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::CEGUIAnimationLib);

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("animations");
CEGUI::String cegui(const std::string& text)
{
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(text.c_str()));
}
} // namespace

CEGUIAnimationLib& CEGUIAnimationLib::instance()
{
    static CEGUIAnimationLib theLib;
    return theLib;
}

CEGUIAnimationLib::~CEGUIAnimationLib()
{
    // After the GUI system went its windows went too (each left the library as it went).
    if (CEGUI::System::getSingletonPtr())
        for (auto& w : mWindows) {
            w.second.destroyed.reset();
            stop(w.second);
        }
    mWindows.clear();
}

bool CEGUIAnimationLib::loadAnimationsFromResource(const std::string& file, const std::string& group)
{
    if (!CEGUI::System::getSingletonPtr() || !CEGUI::AnimationManager::getSingletonPtr()) {
        logLine(Severity::Error, "no GUI system for " + file);
        return false;
    }
    try {
        CEGUI::AnimationManager& m = CEGUI::AnimationManager::getSingleton();
        std::size_t before = m.getNumAnimations();
        m.loadAnimationsFromXML(cegui(file), cegui(group));
        mLoaded += static_cast<int>(m.getNumAnimations() - before);
        return true;
    } catch (const std::exception& e) {
        logLine(Severity::Error, file + " not loaded: " + e.what());
        return false;
    }
}

CEGUI::Window* CEGUIAnimationLib::findWindow(const std::string& path)
{
    CEGUI::System* gui = CEGUI::System::getSingletonPtr();
    CEGUI::Window* root = gui ? gui->getDefaultGUIContext().getRootWindow() : nullptr;
    if (!root || path.empty())
        return nullptr;
    try {
        const CEGUI::String p = cegui(path);
        if (root->isChild(p))
            return root->getChild(p);
        // The windows of a screen hang under its top window: the path's first name is looked
        // for anywhere below the root, the rest under it.
        const std::size_t slash = path.find('/');
        CEGUI::Window* first = root->getChildRecursive(cegui(path.substr(0, slash)));
        if (!first || slash == std::string::npos)
            return first;
        const CEGUI::String rest = cegui(path.substr(slash + 1));
        return first->isChild(rest) ? first->getChild(rest) : nullptr;
    } catch (const std::exception&) {
        return nullptr;
    }
}

bool CEGUIAnimationLib::addWindow(CEGUI::Window* window, const std::string& animation)
{
    if (!window || !CEGUI::AnimationManager::getSingletonPtr())
        return false;
    auto it = mWindows.find(window);
    if (it != mWindows.end()) {
        if (it->second.animation != animation) {
            stop(it->second); // another set: what it played ends
            it->second.animation = animation;
        }
        return true;
    }
    Entry& e = mWindows[window];
    e.animation = animation;
    e.destroyed = window->subscribeEvent(CEGUI::Window::EventDestructionStarted,
                                         CEGUI::Event::Subscriber(&CEGUIAnimationLib::onWindowDestroyed, this));
    return true;
}

bool CEGUIAnimationLib::defineLoop(const std::string& animation, const std::string& state, const std::string& property,
                                   const std::vector<std::string>& values, float seconds)
{
    CEGUI::AnimationManager* animations = CEGUI::AnimationManager::getSingletonPtr();
    if (!animations || values.empty() || !(seconds > 0.0f))
        return false;
    try {
        const CEGUI::String name = cegui(animation + "/" + state);
        if (animations->isAnimationPresent(name)) {
            for (auto& w : mWindows)
                if (w.second.animation == animation && w.second.state == state) {
                    stop(w.second);
                    w.second.state.clear();
                }
            animations->destroyAnimation(name); // its remaining instances go with it
        }
        CEGUI::Animation* a = animations->createAnimation(name);
        a->setDuration(seconds * static_cast<float>(values.size()));
        a->setReplayMode(CEGUI::Animation::RM_Loop);
        CEGUI::Affector* affector = a->createAffector(cegui(property), "ColourRect");
        for (std::size_t i = 0; i <= values.size(); ++i)
            affector->createKeyFrame(seconds * static_cast<float>(i), cegui(values[i % values.size()]),
                                     CEGUI::KeyFrame::P_Discrete);
        return true;
    } catch (const std::exception& e) {
        logLine(Severity::Error, "animation " + animation + "/" + state + " not made: " + e.what());
        return false;
    }
}

bool CEGUIAnimationLib::addWindow(const std::string& path, const std::string& animation)
{
    return addWindow(findWindow(path), animation);
}

bool CEGUIAnimationLib::setAnimationState(CEGUI::Window* window, const std::string& state)
{
    auto it = mWindows.find(window);
    CEGUI::AnimationManager* animations = CEGUI::AnimationManager::getSingletonPtr();
    if (it == mWindows.end() || !animations)
        return false;
    const CEGUI::String name = cegui(it->second.animation + "/" + state);
    if (!animations->isAnimationPresent(name)) {
        logLine(Severity::Warning, "no animation " + it->second.animation + "/" + state);
        return false;
    }
    try {
        stop(it->second);
        CEGUI::AnimationInstance* instance = animations->instantiateAnimation(name);
        instance->setTargetWindow(window);
        it->second.instance = instance;
        it->second.state = state;
        instance->start();
        return true;
    } catch (const std::exception& e) {
        logLine(Severity::Error, "animation " + state + " not started: " + e.what());
        return false;
    }
}

bool CEGUIAnimationLib::setAnimationState(const std::string& path, const std::string& state)
{
    return setAnimationState(findWindow(path), state);
}

void CEGUIAnimationLib::removeWindow(CEGUI::Window* window)
{
    auto it = mWindows.find(window);
    if (it == mWindows.end())
        return;
    it->second.destroyed.reset();
    stop(it->second);
    mWindows.erase(it);
}

void CEGUIAnimationLib::removeWindow(const std::string& path) { removeWindow(findWindow(path)); }

std::string CEGUIAnimationLib::getAnimationState(const CEGUI::Window* window) const
{
    auto it = mWindows.find(const_cast<CEGUI::Window*>(window));
    return it == mWindows.end() || !it->second.instance ? std::string() : it->second.state;
}

void CEGUIAnimationLib::stop(Entry& entry)
{
    if (entry.instance)
        if (CEGUI::AnimationManager* animations = CEGUI::AnimationManager::getSingletonPtr())
            animations->destroyAnimationInstance(entry.instance);
    entry.instance = nullptr;
    entry.state.clear();
}

bool CEGUIAnimationLib::onWindowDestroyed(const CEGUI::EventArgs& args)
{
    CEGUI::Window* window = static_cast<const CEGUI::WindowEventArgs&>(args).window;
    auto it = mWindows.find(window);
    if (it != mWindows.end()) {
        stop(it->second);
        it->second.destroyed.release(); // its connection goes with the window
        mWindows.erase(it);
    }
    return false;
}

} // namespace core
} // namespace kavri3D
