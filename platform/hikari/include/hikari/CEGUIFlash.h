#pragma once
#include <map>
#include <string>
#include <vector>
#include <CEGUI/Event.h>
#include <core/ScopedEventConnection.h>

namespace CEGUI {
class AnimationInstance;
class EventArgs;
class Window;
} // namespace CEGUI

namespace kavri3D {
namespace core {

/// A Flash movie in a CEGUI window. There is no Flash player here: the window shows the
/// movie's stand-in from the movie table ("res/GUI/flash.json": a picture and the looping
/// animation it plays) or, for a movie the table does not know, a frame with the movie's name.
/// Nothing calls back. Every movie started and stopped is recorded.
class CEGUIFlash {
public:
    static constexpr const char* kMovieFile = "res/GUI/flash.json";
    /// The largest side of a movie's window, in pixels.
    static constexpr int kMaxSide = 4096;

    /// What stands in for a movie: its picture ("Set/Image") and the animation it loops.
    struct StandIn {
        std::string image;
        std::string animation;
    };
    typedef std::map<std::string, StandIn> MovieTable;
    /// At most this many movies are read.
    static constexpr std::size_t kMaxMovies = 256;

    CEGUIFlash() = default;
    ~CEGUIFlash();
    CEGUIFlash(const CEGUIFlash&) = delete;
    CEGUIFlash& operator=(const CEGUIFlash&) = delete;

    /// Makes the movie's window ("Flash" + id), `width` x `height` pixels, under the parent
    /// when one is given. False (nothing made) without a GUI system, for an empty movie name
    /// or a size outside 1..kMaxSide; a movie already made is destroyed first.
    bool create(const std::string& movie, const std::string& id, int width, int height, CEGUI::Window* parent);
    /// Stops the movie and destroys its window; nothing when there is none.
    void destroy();
    /// The movie's window; null before create and after destroy.
    CEGUI::Window* getWindow() const { return mWindow; }
    const std::string& getMovie() const { return mMovie; }
    /// Whether the table knows the movie (else its name is shown).
    bool isKnown() const { return mKnown; }

    /// Movies started and stopped since the last clear, in order.
    static const std::vector<std::string>& startedMovies();
    static const std::vector<std::string>& stoppedMovies();
    static void clearRecords();
    /// The movies of a table's text ({"movies": {name: {"image", "animation"}}}); entries that
    /// are not such are skipped with a log line; false, the table empty, for a text that is
    /// not JSON or has no "movies" object.
    static bool readMovieTable(const std::string& text, MovieTable& table);
    /// Reads the movie table from another file (tests); the table is read again on next use.
    static void setMovieFile(const std::string& path);

private:
    /// The window went with its parent: the movie stops with it.
    bool onWindowDestroyed(const CEGUI::EventArgs& args);

    std::string mMovie;
    core::ScopedEventConnection mDestroyed;
    CEGUI::Window* mWindow = nullptr;
    CEGUI::AnimationInstance* mAnimation = nullptr;
    bool mKnown = false;
};

} // namespace core
} // namespace kavri3D
