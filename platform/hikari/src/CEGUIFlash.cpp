#include "hikari/CEGUIFlash.h"

#include <CEGUI/CEGUI.h>
#include <json/json.h>
#include <map>
#include <util/JsonText.h>
#include <yake/FileText.h>
#include <yake/Logger.h>

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
struct Table {
    std::string file = CEGUIFlash::kMovieFile;
    bool read = false;
    CEGUIFlash::MovieTable movies;
    std::vector<std::string> started, stopped;
};

Table& table()
{
    static Table t;
    return t;
}

const yake::logging::Channel log("flash");

CEGUI::String cegui(const std::string& text)
{
    return CEGUI::String(reinterpret_cast<const CEGUI::utf8*>(text.c_str()));
}

/// The movie table; a file that is missing or broken leaves every movie unknown.
const CEGUIFlash::MovieTable& movies()
{
    Table& t = table();
    if (t.read)
        return t.movies;
    t.read = true;
    t.movies.clear();
    std::string text, error;
    if (!yake::FileText::read(t.file, text, error, 64 * 1024)) {
        log(Severity::Error, t.file + " not read: " + error);
        return t.movies;
    }
    if (!CEGUIFlash::readMovieTable(text, t.movies))
        log(Severity::Error, t.file + " is no movie table");
    return t.movies;
}

CEGUI::String widget(const char* type)
{
    const CEGUI::String own = CEGUI::String("Kavri3DLook/") + type;
    return CEGUI::WindowFactoryManager::getSingleton().isFactoryPresent(own) ? own
                                                                             : CEGUI::String("TaharezLook/") + type;
}
} // namespace

CEGUIFlash::~CEGUIFlash()
{
    try {
        destroy();
    } catch (const std::exception& e) {
        log(Severity::Error, std::string("movie not destroyed: ") + e.what());
    }
}

bool CEGUIFlash::create(const std::string& movie, const std::string& id, int width, int height, CEGUI::Window* parent)
{
    destroy();
    if (!CEGUI::System::getSingletonPtr() || movie.empty() || width < 1 || height < 1 || width > kMaxSide ||
        height > kMaxSide) {
        log(Severity::Warning, "movie " + movie.substr(0, 64) + " not made (" + std::to_string(width) + " x " +
                                   std::to_string(height) + ")");
        return false;
    }
    CEGUI::WindowManager& wm = CEGUI::WindowManager::getSingleton();
    CEGUI::Window* w = nullptr;
    try {
        w = wm.createWindow("DefaultWindow", cegui("Flash" + id));
        w->setSize(CEGUI::USize(CEGUI::UDim(0, static_cast<float>(width)), CEGUI::UDim(0, static_cast<float>(height))));
        w->setMousePassThroughEnabled(true);
        const auto& known = movies();
        auto it = known.find(movie);
        CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
        mKnown = it != known.end() && images.isDefined(cegui(it->second.image));
        CEGUI::Window* content = nullptr;
        if (mKnown) {
            content = wm.createWindow(widget("StaticImage"), "picture");
            content->setProperty("FrameEnabled", "False");
            content->setProperty("BackgroundEnabled", "False");
            content->setProperty("Image", cegui(it->second.image));
        } else {
            // A movie without a stand-in shows its name in a frame, so it is seen all the same.
            content = wm.createWindow(widget("StaticText"), "picture");
            content->setProperty("HorzFormatting", "CentreAligned");
            content->setText(cegui(movie.substr(0, 64)));
        }
        content->setArea(CEGUI::URect(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0), CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
        content->setMousePassThroughEnabled(true);
        w->addChild(content);
        CEGUI::AnimationManager* animations = CEGUI::AnimationManager::getSingletonPtr();
        if (mKnown && animations && !it->second.animation.empty()) {
            if (animations->isAnimationPresent(cegui(it->second.animation))) {
                mAnimation = animations->instantiateAnimation(cegui(it->second.animation));
                mAnimation->setTargetWindow(content);
                mAnimation->start();
            } else {
                log(Severity::Warning, "movie " + movie + " has no animation " + it->second.animation);
            }
        }
        if (parent)
            parent->addChild(w);
    } catch (const std::exception& e) {
        log(Severity::Error, "movie " + movie.substr(0, 64) + " not made: " + e.what());
        if (mAnimation && CEGUI::AnimationManager::getSingletonPtr())
            CEGUI::AnimationManager::getSingleton().destroyAnimationInstance(mAnimation);
        mAnimation = nullptr;
        if (w)
            wm.destroyWindow(w);
        return false;
    }
    mWindow = w;
    mMovie = movie;
    mDestroyed = w->subscribeEvent(CEGUI::Window::EventDestructionStarted,
                                   CEGUI::Event::Subscriber(&CEGUIFlash::onWindowDestroyed, this));
    table().started.push_back(movie);
    return true;
}

void CEGUIFlash::destroy()
{
    if (!mWindow)
        return;
    if (CEGUI::System::getSingletonPtr()) {
        mDestroyed.reset();
        if (mAnimation && CEGUI::AnimationManager::getSingletonPtr())
            CEGUI::AnimationManager::getSingleton().destroyAnimationInstance(mAnimation);
        CEGUI::WindowManager::getSingleton().destroyWindow(mWindow);
    }
    mAnimation = nullptr;
    mWindow = nullptr;
    table().stopped.push_back(mMovie);
    mMovie.clear();
}

bool CEGUIFlash::onWindowDestroyed(const CEGUI::EventArgs&)
{
    mDestroyed.release(); // the window ends it as it goes
    if (mAnimation && CEGUI::AnimationManager::getSingletonPtr())
        CEGUI::AnimationManager::getSingleton().destroyAnimationInstance(mAnimation);
    mAnimation = nullptr;
    mWindow = nullptr;
    table().stopped.push_back(mMovie);
    mMovie.clear();
    return false;
}

bool CEGUIFlash::readMovieTable(const std::string& text, MovieTable& out)
{
    out.clear();
    Json::Value doc;
    std::string error;
    if (!JsonText::parse(text, doc, error))
        return false;
    const Json::Value& list = doc.isObject() ? doc["movies"] : Json::Value::nullSingleton();
    if (!list.isObject())
        return false;
    for (const std::string& name : list.getMemberNames()) {
        const Json::Value& m = list[name];
        const Json::Value& image = m.isObject() ? m["image"] : Json::Value::nullSingleton();
        const Json::Value& animation = m.isObject() ? m["animation"] : Json::Value::nullSingleton();
        if (!image.isString() || name.empty() || name.size() > 256 || out.size() >= kMaxMovies) {
            log(Severity::Warning, "movie " + name.substr(0, 64) + " skipped");
            continue;
        }
        out[name] = StandIn{image.asString(), animation.isString() ? animation.asString() : std::string()};
    }
    return true;
}

const std::vector<std::string>& CEGUIFlash::startedMovies() { return table().started; }
const std::vector<std::string>& CEGUIFlash::stoppedMovies() { return table().stopped; }

void CEGUIFlash::clearRecords()
{
    table().started.clear();
    table().stopped.clear();
}

void CEGUIFlash::setMovieFile(const std::string& path)
{
    table().file = path;
    table().read = false;
}

} // namespace core
} // namespace kavri3D
