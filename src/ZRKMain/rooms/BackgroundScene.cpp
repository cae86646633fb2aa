#include "rooms/BackgroundScene.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <cmath>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/Frame.h>
#include <core/GraphicsSystem.h>
#include <core/SnapShotScene.h>
#include <core/TimerManager.h>
#include <scene/GrafixScene.h>

#include "rooms/BackdropPicture.h"
#include "rooms/BoxSnapShotScene.h"
#include "rooms/CeguiWidgets.h"
#include "rooms/OgreRTTSnapShotImplEx.h"
#include "rooms/PortraitSnapShotScene.h"
#include "rooms/RoleManager.h"
#include "rooms/ScenePlayer.h"
#include "rooms/SnapShotEx.h"
#include "rooms/SnapShotManager.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::BackgroundScene);

namespace kavri3D {
namespace zrk {

const char* const BackgroundScene::kDefaultSiteName = "__bkgnd_site";
const char* const BackgroundScene::kWindowName = "BackgroundSceneGUI";
const char* const BackgroundScene::kMusicFile = "music_bg0.mp3";

namespace {

const char kChannel[] = "room";
const char kBackdropImageset[] = "bin/res/gui/bgscene";
const char kBackdropFile[] = "bgscene.jpg";
const char kBackdropFolder[] = "res/GUI/"; // where the "General" group finds it
// The music plays as this kind of sound, at the volume of channel 0.
const int kMusicKind = 6;

template <class Scene> core::SnapShotScene* makeScene(core::GrafixScene* scene) { return new Scene(scene); }

// The portraits: the snapshot, its texture and camera, its scene.
struct Portrait {
    const char* snapshot;
    const char* texture;
    const char* camera;
    core::SnapShotScene* (*make)(core::GrafixScene*);
};
const Portrait kPortraitSlots[] = {
    {"player", "player_tex", "player_cam", &makeScene<MySelfSnapShotScene>},
    {"showview", "showview_tex", "showview_cam", &makeScene<ShowViewModelSnapShotScene>},
    {"red0", "red0_tex", "red0_cam", &makeScene<Red0SnapShotScene>},
    {"red1", "red1_tex", "red1_cam", &makeScene<Red1SnapShotScene>},
    {"red2", "red2_tex", "red2_cam", &makeScene<Red2SnapShotScene>},
    {"red3", "red3_tex", "red3_cam", &makeScene<Red3SnapShotScene>},
    {"blue0", "blue0_tex", "blue0_cam", &makeScene<Blue0SnapShotScene>},
    {"blue1", "blue1_tex", "blue1_cam", &makeScene<Blue1SnapShotScene>},
    {"blue2", "blue2_tex", "blue2_cam", &makeScene<Blue2SnapShotScene>},
    {"blue3", "blue3_tex", "blue3_cam", &makeScene<Blue3SnapShotScene>},
};

const char* const kRoleNames[] = {"myrole", "red1",  "red2",  "red3",  "red4",
                                  "blue1",  "blue2", "blue3", "blue4", "showview"};

/// A number of the default-look document, or the default when it is missing, not a number
/// or outside the range.
float defStateNumber(const char* key, float def, float most)
{
    ZRKRoleRes* res = GameServices::roleResources();
    const float v = res ? res->getNumber(key, def) : def;
    if (!std::isfinite(v) || v < 0 || v > most) {
        writeLogf(kLogWarning, kChannel, "defstate.json: ", key, " out of range, ", def, " used");
        return def;
    }
    return v;
}

} // namespace

void BackgroundScene::destroyInstance()
{
    BackgroundScene* scene = getSingletonPtr();
    if (!scene)
        return;
    scene->destroyScene();
    dropSingleton();
}

BackgroundScene::BackgroundScene()
    : mImplFactory([](core::SnapShotEx* owner, const std::string& texture, const std::string& camera) {
          return new core::OgreRTTSnapShotImplEx(owner, texture, camera);
      })
{
}

BackgroundScene::~BackgroundScene()
{
    if (mBuilt || hasScene())
        BackgroundScene::destroyScene();
    if (mReadyTimer != -1)
        core::killTimer(mReadyTimer);
    if (mMusicTimer != -1)
        core::killTimer(mMusicTimer);
}

core::BasicSite* BackgroundScene::getDefaultSite() const
{
    return mScene && !mDefaultSiteName.empty() ? mScene->getSite(mDefaultSiteName) : nullptr;
}

void BackgroundScene::setIdleAction(const IdleAction& action)
{
    mIdleAction = action;
    // The backdrop's ready moment has passed: the next frame is the next ready moment.
    if (mBuilt && (mCurrentFlags & kBackdrop) && mBackdropReady && mReadyTimer == -1)
        startReadyTimer();
}

void BackgroundScene::resetIdleAction(const std::string&)
{
    // Moved out first: an action that sets the next one keeps it.
    IdleAction action;
    action.swap(mIdleAction);
    if (action.empty())
        return;
    try {
        action();
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("background scene's idle action failed: ") + e.what());
    }
}

void BackgroundScene::startReadyTimer()
{
    mReadyTimer = core::setTimeout(0, [this] {
        mReadyTimer = -1;
        mBackdropReady = true;
        resetIdleAction(std::string());
    });
}

void BackgroundScene::refresh()
{
    if (mCurrentFlags != mRequestedFlags && mBuilt) {
        if ((mCurrentFlags & mRequestedFlags) == mCurrentFlags) {
            buildGroups(mCurrentFlags, mRequestedFlags);
            mCurrentFlags = mRequestedFlags;
            mRequestedFlags = mDefaultFlags;
        } else {
            destroyScene();
        }
    }
    if (!mBuilt)
        createScene();
}

void BackgroundScene::createScene()
{
    core::GrafixClientState::createScene();
    mScene.reset(new core::GrafixScene(getSceneManager(), "__bkgnd"));
    createDefaultSite();
    buildGroups(0, mRequestedFlags);
    mCurrentFlags = mRequestedFlags;
    mRequestedFlags = mDefaultFlags;
}

bool BackgroundScene::createDefaultSite()
{
    if (!mScene)
        return false;
    if (!mDefaultSiteName.empty() && mScene->getSite(mDefaultSiteName))
        return true;
    mDefaultSiteName = kDefaultSiteName;
    mScene->createSite(mDefaultSiteName, true);
    return true;
}

void BackgroundScene::buildGroups(unsigned oldFlags, unsigned newFlags)
{
    const unsigned added = newFlags & ~oldFlags;
    if (added & kBackdrop)
        buildBackdrop();
    if (added & kPortraits)
        buildPortraits();
    // One box group per pass: the three boxes win.
    if (added & kThreeBoxes)
        buildBoxes(false);
    else if (added & kEightBoxes)
        buildBoxes(true);

    mBuilt = true;
    if (newFlags & kBackdrop) {
        if (mMusicSoundId == -1 && mMusicTimer == -1)
            startMusicLater();
    } else {
        resetIdleAction(mDefaultSiteName);
    }
}

void BackgroundScene::buildBackdrop()
{
    if (core::BasicSite* site = getDefaultSite())
        site->getDesc().setBoolVal("loader/physix", false);

    core::Frame* frame = GameServices::frame();
    CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr;
    if (!CeguiWidgets::alive(top)) {
        writeLog(kLogWarning, kChannel, "no main frame: the log-in backdrop is not shown");
    } else {
        CEGUI::Window* window = nullptr;
        try {
            destroyBackdropWindow();
            window =
                CEGUI::WindowManager::getSingleton().createWindow(CeguiWidgets::widgetType("StaticImage"), kWindowName);
            window->setProperty("FrameEnabled", "False");
            window->setProperty("BackgroundEnabled", "False");
            window->setProperty("MousePassThroughEnabled", "True");
            window->setArea(CEGUI::UVector2(CEGUI::UDim(0, 0), CEGUI::UDim(0, 0)),
                            CEGUI::USize(CEGUI::UDim(1, 0), CEGUI::UDim(1, 0)));
            window->setProperty("VerticalAlignment", "Centre");
            destroyBackgroundImage();
            const std::string image = CeguiWidgets::imageName(kBackdropImageset, "full_image");
            try {
                mBackgroundImage = image; // first: a texture made before a failure goes too
                addBackdropImage(image);
                window->setProperty("Image", CeguiWidgets::utf8(image));
            } catch (const std::exception& e) { // the GUI's or the engine's
                destroyBackgroundImage();
                writeLogf(kLogWarning, kChannel, kBackdropFile, " not shown: ", e.what());
            }
            top->addChild(window);
            // Every other window lies above the backdrop.
            window->moveToBack();
        } catch (const CEGUI::Exception& e) {
            writeLogf(kLogError, kChannel, "log-in backdrop not made: ", e.getMessage().c_str());
            CeguiWidgets::destroy(window);
            destroyBackgroundImage();
        }
    }
    startReadyTimer();
}

void BackgroundScene::prefetchBackdrop() { BackdropPicture::prefetch(std::string(kBackdropFolder) + kBackdropFile); }

void BackgroundScene::addBackdropImage(const std::string& image)
{
    // Decoded ahead while the window came up, it only goes to the graphics card now; without
    // that (headless, or it could not be decoded, or a later visit) it is read as any picture.
    BackdropPicture::Pixels pixels;
    if (!CEGUI::System::getSingletonPtr() ||
        !BackdropPicture::take(std::string(kBackdropFolder) + kBackdropFile, pixels)) {
        CeguiWidgets::addImageFile(kBackdropImageset, kBackdropFile);
        return;
    }
    CeguiWidgets::addPicture(image,
                             Ogre::PixelBox(pixels.width, pixels.height, 1, Ogre::PF_BYTE_RGBA, pixels.rgba.data()));
}

void BackgroundScene::buildPortraits()
{
    mPlayerSnapShot = mShowViewSnapShot = nullptr;
    mRedSnapShots.clear();
    mBlueSnapShots.clear();

    RoleManager& roles = RoleManager::instance();
    roles.setMaxTimeSpan(defStateNumber("MaxTimeSpan", 5.0f, 3600.0f));
    const int floatSpan = static_cast<int>(defStateNumber("FloatSpan", 5.0f, 3600.0f));
    for (const char* name : kRoleNames)
        roles.createRole(name, mScene.get())->setFloatSpan(floatSpan);

    for (const Portrait& p : kPortraitSlots) {
        core::SnapShotEx* snapshot = attach(p.snapshot, p.make(mScene.get()), p.texture, p.camera);
        const std::string name = p.snapshot;
        if (name == "player")
            mPlayerSnapShot = snapshot;
        else if (name == "showview")
            mShowViewSnapShot = snapshot;
        else if (snapshot)
            (name.compare(0, 3, "red") == 0 ? mRedSnapShots : mBlueSnapShots).push_back(snapshot);
    }
    for (core::SnapShotEx* snapshot : {mPlayerSnapShot, mShowViewSnapShot})
        if (snapshot)
            snapshot->addRenderListener();
    for (const std::vector<core::SnapShotEx*>* list : {&mRedSnapShots, &mBlueSnapShots})
        for (core::SnapShotEx* snapshot : *list)
            snapshot->addRenderListener();
}

void BackgroundScene::buildBoxes(bool eight)
{
    mBoxSnapShots.clear();
    const int count = eight ? 8 : 3;
    for (int i = 0; i < count; ++i) {
        const std::string site = "box" + std::to_string(i + 1);
        const std::string product = eight ? std::string("box3") : site;
        const float x = -11000.0f - 200.0f * static_cast<float>(i);
        if (core::SnapShotEx* snapshot =
                attach(site, new BoxSnapShotScene(mScene.get(), site, product, x), site + "_tex", site + "_cam"))
            mBoxSnapShots.push_back(snapshot);
    }
    for (core::SnapShotEx* snapshot : mBoxSnapShots)
        snapshot->addRenderListener();
}

core::SnapShotEx* BackgroundScene::attach(const std::string& name, core::SnapShotScene* scene,
                                          const std::string& texture, const std::string& camera)
{
    // The scene is made first (a box places its model then); a missing slot takes neither.
    core::SnapShotEx* snapshot = SnapShotManager::instance().find(name);
    if (!snapshot) {
        delete scene;
        return nullptr;
    }
    mSnapShotGeneration = SnapShotManager::generation();
    snapshot->attach(scene, mImplFactory ? mImplFactory(snapshot, texture, camera) : nullptr);
    return snapshot;
}

void BackgroundScene::startMusicLater()
{
    // Opening the sound device and decoding the tune take a good part of a frame: the log-in
    // screen is drawn first, the music starts on a frame after it.
    mMusicTimer = core::setTimeout(
        0,
        [this] {
            core::GraphicsSystem* graphics = core::GraphicsSystem::getSingletonPtr();
            if (graphics && !graphics->isHeadless() && graphics->getFramesRendered() == 0)
                return;
            core::killTimer(mMusicTimer);
            mMusicTimer = -1;
            startMusic();
        },
        true);
}

void BackgroundScene::startMusic()
{
    core::AudioManager* audio = core::AudioManager::getSingletonPtr();
    if (!audio)
        return;
    core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
    const std::string path = (board ? board->getString("kavri3D/appPath", "") : std::string()) + kMusicFile;
    mMusicSoundId = audio->playSound(path, kMusicKind, core::DefaultAudioHelper::getVolume(0));
    GameServices::followSound(mMusicSoundId, true);
}

void BackgroundScene::onFrame(float seconds)
{
    if (!mBuilt)
        return;
    core::GrafixClientState::onFrame(seconds);
    if (mScene)
        mScene->update(seconds);
    if (mCurrentFlags & kBackdrop)
        if (ScenePlayer* tour = ScenePlayer::getSingletonPtr())
            tour->update(seconds);
    if (mCurrentFlags & kPortraits)
        RoleManager::instance().update(seconds);
    if (RoleManager* roles = RoleManager::getSingletonPtr())
        if (ZRKRolePtr model = roles->getRole("showview"))
            model->update();
}

void BackgroundScene::destroyBackgroundImage()
{
    if (mBackgroundImage.empty())
        return;
    const CEGUI::String name = CeguiWidgets::utf8(mBackgroundImage);
    if (CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr())
        if (images->isDefined(name))
            images->destroy(name);
    // The image from a file made a texture of the same name; it goes with the image.
    if (CEGUI::System* system = CEGUI::System::getSingletonPtr())
        if (system->getRenderer()->isTextureDefined(name))
            system->getRenderer()->destroyTexture(name);
    mBackgroundImage.clear();
}

void BackgroundScene::destroyBackdropWindow()
{
    core::Frame* frame = GameServices::frame();
    CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr;
    if (!CeguiWidgets::alive(top))
        return;
    try {
        if (top->isChild(kWindowName)) {
            CEGUI::Window* window = top->getChild(kWindowName);
            window->setProperty("Image", ""); // the image may go before the window does
            CeguiWidgets::destroy(window);
        }
    } catch (const CEGUI::Exception&) {
        // already gone
    }
}

void BackgroundScene::resetSnapShots()
{
    // Snapshots of a registry that is gone went with it, and their scenes with them.
    const bool live = SnapShotManager::getSingletonPtr() && SnapShotManager::generation() == mSnapShotGeneration;
    if (live) {
        for (core::SnapShotEx* snapshot : {mPlayerSnapShot, mShowViewSnapShot})
            if (snapshot)
                snapshot->reset();
        for (const std::vector<core::SnapShotEx*>* list : {&mRedSnapShots, &mBlueSnapShots, &mBoxSnapShots})
            for (core::SnapShotEx* snapshot : *list)
                snapshot->reset();
    }
    mPlayerSnapShot = mShowViewSnapShot = nullptr;
    mRedSnapShots.clear();
    mBlueSnapShots.clear();
    mBoxSnapShots.clear();
}

void BackgroundScene::destroyScene()
{
    if (mMusicTimer != -1) { // left before its music started: it never does
        core::killTimer(mMusicTimer);
        mMusicTimer = -1;
    }
    if (mMusicSoundId != -1) {
        if (core::AudioManager* audio = core::AudioManager::getSingletonPtr())
            audio->destroySound(mMusicSoundId);
        GameServices::followSound(mMusicSoundId, false);
        mMusicSoundId = -1;
    }
    destroyBackdropWindow();
    destroyBackgroundImage();
    resetSnapShots();
    // Every role goes with the scene; the room they were shown for stays the registry's.
    if (RoleManager* roles = RoleManager::getSingletonPtr()) {
        BasicRoom* room = roles->getRoom();
        RoleManager::destroyInstance();
        if (room)
            RoleManager::instance().setRoom(room);
    }
    if (mReadyTimer != -1) {
        core::killTimer(mReadyTimer);
        mReadyTimer = -1;
    }
    mBackdropReady = false;
    mScene.reset();
    mDefaultSiteName.clear();
    core::GrafixClientState::destroyScene();
    mCurrentFlags = 0;
    mBuilt = false;
}

} // namespace zrk
} // namespace kavri3D
