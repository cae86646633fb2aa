#pragma once
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <functional>
#include <string>
#include <vector>
#include <core/GrafixClientState.h>
#include <util/Singleton.h>

namespace CEGUI {
class Window;
}

namespace kavri3D {
namespace core {
class AbsRTTSnapShotImpl;
class BasicSite;
class GrafixScene;
class SnapShotEx;
class SnapShotScene;
} // namespace core

namespace zrk {

/// What the lobby screens show without being a room of their own: the log-in backdrop and
/// its music (and the camera tour behind it), the portraits of the own figure, the try-on
/// model and the eight seats, and the prize boxes. One instance lives for the run; the rooms
/// drive it: they choose the groups they need (setRequestedFlags, refresh) and step it every
/// frame. Its scene lives in the game window's OGRE scene, far from the rooms' own content.
class BackgroundScene : public core::GrafixClientState, public Singleton<BackgroundScene> {
public:
    // The content groups, one bit each.
    static constexpr unsigned kBackdrop = 1;
    static constexpr unsigned kPortraits = 2;
    static constexpr unsigned kThreeBoxes = 4;
    static constexpr unsigned kEightBoxes = 8;

    typedef boost::function<void()> IdleAction;
    /// Makes a snapshot's render target (texture and camera names given); tests make fakes.
    typedef std::function<core::AbsRTTSnapShotImpl*(core::SnapShotEx*, const std::string&, const std::string&)>
        ImplFactory;

    static const char* const kDefaultSiteName;
    static const char* const kWindowName;
    static const char* const kMusicFile;

    /// Made on first use.
    static BackgroundScene& instance() { return makeSingleton(); }
    /// Destroys the scene, then the instance.
    static void destroyInstance();
    /// Starts decoding the log-in backdrop from the GUI folder (relative to the program
    /// folder, the current one) while the game window comes up; buildBackdrop takes it.
    static void prefetchBackdrop();

    ~BackgroundScene() override;

    bool isBuilt() const { return mBuilt; }
    unsigned getDefaultFlags() const { return mDefaultFlags; }
    unsigned getCurrentFlags() const { return mCurrentFlags; }
    unsigned getRequestedFlags() const { return mRequestedFlags; }
    /// Nothing happens until refresh.
    void setRequestedFlags(unsigned flags) { mRequestedFlags = flags; }
    /// Runs once, when the scene is next ready (the backdrop's first frame, or the end of a
    /// build without it), then is forgotten.
    void setIdleAction(const IdleAction& action);
    /// Builds what the request adds; a request that drops a group builds anew from nothing.
    void refresh();
    /// Builds each group whose bit is new in newFlags (oldFlags must be part of newFlags).
    void buildGroups(unsigned oldFlags, unsigned newFlags);

    void onFrame(float seconds) override;
    void createScene() override;
    void destroyScene() override;
    virtual bool createDefaultSite();
    /// Runs the idle action once (the argument is not used).
    virtual void resetIdleAction(const std::string& reason);

    core::GrafixScene* getSceneInstance() const { return mScene.get(); }
    core::BasicSite* getDefaultSite() const;
    int getMusicSoundId() const { return mMusicSoundId; }
    /// The backdrop's image name, empty when none.
    const std::string& getBackgroundImage() const { return mBackgroundImage; }
    core::SnapShotEx* getPlayerSnapShot() const { return mPlayerSnapShot; }
    core::SnapShotEx* getShowViewSnapShot() const { return mShowViewSnapShot; }
    const std::vector<core::SnapShotEx*>& getRedSnapShots() const { return mRedSnapShots; }
    const std::vector<core::SnapShotEx*>& getBlueSnapShots() const { return mBlueSnapShots; }
    const std::vector<core::SnapShotEx*>& getBoxSnapShots() const { return mBoxSnapShots; }
    void setImplFactory(ImplFactory factory) { mImplFactory = std::move(factory); }

private:
    friend class Singleton<BackgroundScene>;
    BackgroundScene();
    void buildBackdrop();
    void buildPortraits();
    void buildBoxes(bool eight);
    void startMusic();
    void startMusicLater();
    void startReadyTimer();
    void destroyBackdropWindow();
    void destroyBackgroundImage();
    void addBackdropImage(const std::string& image);
    void resetSnapShots();
    core::SnapShotEx* attach(const std::string& snapshot, core::SnapShotScene* scene, const std::string& texture,
                             const std::string& camera);

    core::SnapShotEx* mPlayerSnapShot = nullptr;
    core::SnapShotEx* mShowViewSnapShot = nullptr;
    std::vector<core::SnapShotEx*> mRedSnapShots;
    std::vector<core::SnapShotEx*> mBlueSnapShots;
    std::vector<core::SnapShotEx*> mBoxSnapShots;
    unsigned mSnapShotGeneration = 0; // of the registry the pointers above belong to
    bool mBuilt = false;
    const unsigned mDefaultFlags = kBackdrop | kPortraits;
    unsigned mCurrentFlags = 0;
    unsigned mRequestedFlags = kBackdrop | kPortraits;
    int mMusicSoundId = -1;
    int mMusicTimer = -1; // waits for a drawn frame to start the music
    std::string mBackgroundImage;
    IdleAction mIdleAction; // empty: nothing to run
    int mReadyTimer = -1;
    bool mBackdropReady = false; // the backdrop's ready timer has run
    boost::shared_ptr<core::GrafixScene> mScene;
    std::string mDefaultSiteName;
    ImplFactory mImplFactory;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::BackgroundScene);
