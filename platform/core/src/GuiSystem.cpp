#include "core/GuiSystem.h"

#include <CEGUI/CEGUI.h>
#include <CEGUI/RendererModules/Null/Renderer.h>
#include <CEGUI/RendererModules/Ogre/Renderer.h>
#include <Ogre.h>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <yake/Logger.h>
#include <yake/PlayerFiles.h>

KAVRI_SINGLETON_DEFINE(kavri3D::core::GuiSystem);

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("CEGUI");
// CEGUI resource group -> folder under CEGUI's data folder.
const char* const kGroups[][2] = {{"schemes", "schemes"},    {"imagesets", "imagesets"},  {"fonts", "fonts"},
                                  {"layouts", "layouts"},    {"looknfeels", "looknfeel"}, {"animations", "animations"},
                                  {"schemas", "xml_schemas"}};

/// CEGUI's log lines: into CEGUI.log beside the game's log, its errors into the game's log
/// too; nowhere without a game log (no lines kept waiting in memory for a file).
class CeguiLog : public CEGUI::Logger {
public:
    void logEvent(const CEGUI::String& message, CEGUI::LoggingLevel level) override
    {
        if (level > getLoggingLevel() || wrongLocaleWarningOnly(message))
            return;
        if (mFile.is_open())
            mFile << message.c_str() << '\n' << std::flush;
        if (level == CEGUI::Errors)
            logLine(Severity::Warning, message.c_str());
    }
    void setLogFilename(const CEGUI::String& filename, bool append) override
    {
        mFile.close();
        // The player's alone, never written through a link planted at its name.
        if (!yake::PlayerFiles::claimFile(filename.c_str()))
            return;
        mFile.open(filename.c_str(), append ? std::ios::app : std::ios::trunc);
    }

private:
    /// CEGUI warns whenever the whole locale is not "C"; the game sets only the character
    /// type to the player's, so numbers read as in "C" and the warning says nothing.
    static bool wrongLocaleWarningOnly(const CEGUI::String& message)
    {
        const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
        return numeric && std::strcmp(numeric, "C") == 0 &&
               message.find("The C locale for LC_NUMERIC and/or LC_ALL is not set") != CEGUI::String::npos;
    }

    std::ofstream mFile;
};

} // namespace

void GuiSystem::makeLogger()
{
    if (CEGUI::Logger::getSingletonPtr())
        return; // someone else's: it stays theirs
    // Beside the game's own log, never in the folder the game was started from; without a
    // game log CEGUI's lines go nowhere.
    mLogger = new CeguiLog;
    const std::string gameLog = yake::logging::logger::instance().logFile();
    if (!gameLog.empty())
        mLogger->setLogFilename(gameLog.substr(0, gameLog.rfind('/') + 1) + "CEGUI.log", false);
}

std::string GuiSystem::dataFolder()
{
    const char* env = std::getenv("ZRK_CEGUI_DATA");
    return env && *env ? env : "/usr/share/cegui-0.8.7";
}

std::unique_ptr<GuiSystem> GuiSystem::createHeadless(float width, float height)
{
    std::unique_ptr<GuiSystem> g(new GuiSystem);
    CEGUI::NullRenderer& r = CEGUI::NullRenderer::create();
    // The null renderer starts at 0x0; set the size before the system exists or the
    // cursor and clicks never arrive.
    r.setDisplaySize(CEGUI::Sizef(width, height));
    g->mRenderer = &r;
    g->makeLogger();
    CEGUI::System::create(r);
    auto* rp = static_cast<CEGUI::DefaultResourceProvider*>(CEGUI::System::getSingleton().getResourceProvider());
    for (const auto& group : kGroups)
        rp->setResourceGroupDirectory(group[0], dataFolder() + "/" + group[1] + "/");
    g->mHeadless = true;
    g->setUp();
    return g;
}

std::unique_ptr<GuiSystem> GuiSystem::createForOgre(Ogre::RenderTarget& target)
{
    std::unique_ptr<GuiSystem> g(new GuiSystem);
    Ogre::ResourceGroupManager& rgm = Ogre::ResourceGroupManager::getSingleton();
    for (const auto& group : kGroups) {
        if (!rgm.resourceGroupExists(group[0]))
            rgm.createResourceGroup(group[0]);
        rgm.addResourceLocation(dataFolder() + "/" + group[1], "FileSystem", group[0]);
        rgm.initialiseResourceGroup(group[0]);
    }
    g->makeLogger();
    CEGUI::OgreRenderer& r = CEGUI::OgreRenderer::bootstrapSystem(target);
    g->mRenderer = &r;
    g->mHeadless = false;
    g->setUp();
    return g;
}

void GuiSystem::addResourceFolder(const std::string& group, const std::string& folder)
{
    if (mHeadless) {
        auto* rp = static_cast<CEGUI::DefaultResourceProvider*>(CEGUI::System::getSingleton().getResourceProvider());
        rp->setResourceGroupDirectory(group, folder + "/");
        return;
    }
    Ogre::ResourceGroupManager& rgm = Ogre::ResourceGroupManager::getSingleton();
    if (!rgm.resourceGroupExists(group))
        rgm.createResourceGroup(group);
    // With its sub-folders: the maps' pictures sit in folders of their own ("MAP01/...").
    // Indexed only: the GUI opens its files by name, and initialising the group would walk the
    // folders once more for engine scripts that GUI data never holds (a millisecond at start).
    rgm.addResourceLocation(folder, "FileSystem", group, true);
}

void GuiSystem::setUp()
{
    CEGUI::ImageManager::setImagesetDefaultResourceGroup("imagesets");
    CEGUI::Font::setDefaultResourceGroup("fonts");
    CEGUI::Scheme::setDefaultResourceGroup("schemes");
    CEGUI::WidgetLookManager::setDefaultResourceGroup("looknfeels");
    CEGUI::WindowManager::setDefaultResourceGroup("layouts");
    CEGUI::AnimationManager::setDefaultResourceGroup("animations");
    CEGUI::SchemeManager::getSingleton().createFromFile("TaharezLook.scheme");
    CEGUI::FontManager::getSingleton().createFromFile("DejaVuSans-10.font");
    CEGUI::GUIContext& ctx = CEGUI::System::getSingleton().getDefaultGUIContext();
    ctx.setDefaultFont("DejaVuSans-10");
    ctx.getMouseCursor().setDefaultImage("TaharezLook/MouseArrow");
    mRoot = CEGUI::WindowManager::getSingleton().createWindow("DefaultWindow", "root");
    mRoot->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0), CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
    mRoot->setMousePassThroughEnabled(true);
    ctx.setRootWindow(mRoot);
    // The game's own GUI data (animations, layouts of the heads-up panels) beside the program.
    std::error_code ec;
    if (std::filesystem::is_directory("res/GUI", ec))
        addResourceFolder("General", std::filesystem::absolute("res/GUI", ec).string());
}

GuiSystem::~GuiSystem()
{
    if (!CEGUI::System::getSingletonPtr())
        return;
    destroyPendingWindows();
    CEGUI::System::getSingleton().getDefaultGUIContext().setRootWindow(nullptr);
    CEGUI::WindowManager::getSingleton().destroyAllWindows();
    CEGUI::WindowManager::getSingleton().cleanDeadPool();
    if (mHeadless) {
        CEGUI::System::destroy();
        CEGUI::NullRenderer::destroy(*static_cast<CEGUI::NullRenderer*>(mRenderer));
    } else {
        CEGUI::OgreRenderer::destroySystem();
    }
    mRenderer = nullptr;
    mRoot = nullptr;
    delete mLogger;
    mLogger = nullptr;
}

void GuiSystem::destroyLater(CEGUI::Window* window)
{
    if (!window || !CEGUI::WindowManager::getSingleton().isAlive(window))
        return;
    for (const auto& entry : mDestroyLater)
        if (entry.first == window)
            return;
    // Gone some other way first (with its parent, say): forgotten, so that a later window at
    // the same address is never taken for it.
    CEGUI::Event::Connection watch = window->subscribeEvent(
        CEGUI::Window::EventDestructionStarted, CEGUI::Event::Subscriber([this, window](const CEGUI::EventArgs&) {
            for (auto it = mDestroyLater.begin(); it != mDestroyLater.end(); ++it) {
                if (it->first == window) {
                    mDestroyLater.erase(it);
                    break;
                }
            }
            return false;
        }));
    mDestroyLater.emplace_back(window, watch);
}

void GuiSystem::destroyPendingWindows()
{
    std::vector<std::pair<CEGUI::Window*, CEGUI::Event::Connection>> pending;
    pending.swap(mDestroyLater);
    if (!CEGUI::WindowManager::getSingletonPtr())
        return;
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    // One destroyed may take later ones of the list with it, so each is checked in turn.
    for (auto& entry : pending)
        if (wm.isAlive(entry.first))
            wm.destroyWindow(entry.first);
}

void GuiSystem::injectTimePulse(float dt)
{
    if (!CEGUI::System::getSingletonPtr())
        return;
    destroyPendingWindows();
    // Destroyed windows wait in CEGUI's dead pool until a frame is drawn; with nothing drawn
    // (headless) each battle's windows would stay for the whole run.
    if (mHeadless)
        CEGUI::WindowManager::getSingleton().cleanDeadPool();
    CEGUI::System::getSingleton().injectTimePulse(dt);
    CEGUI::System::getSingleton().getDefaultGUIContext().injectTimePulse(dt);
}

} // namespace core
} // namespace kavri3D
