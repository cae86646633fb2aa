#pragma once
#include <boost/signals2/connection.hpp>
#include <util/Singleton.h>

#include "rooms/BasicRoom.h"

namespace kavri3D {
namespace zrk {
namespace gui {
class IGuiAnimator;
class IGuiManager;
} // namespace gui

/// The "zrk_createchar" state, where a new player makes a character: the creation scene with
/// its music and camera, and, once the scene has loaded, the preview figure "createchar" that
/// the creation screen's choices dress.
class CreateCharRoom : public BasicRoom, public Singleton<CreateCharRoom> {
public:
    /// Where the camera stands and looks when the default appearance names no place of its own.
    static const float kCameraPosition[3];
    static const float kCameraTarget[3];
    static const char* const kSceneItem;
    static const char* const kMusicFile;

    CreateCharRoom();
    ~CreateCharRoom() override;

    void onFrame(float dt) override;
    void createScene() override;
    void destroyScene() override;

    /// The site reported the scene loaded: the preview figure comes, the screen is told.
    void onSceneLoaded(const std::string& item);

    bool isSceneLoaded() const { return mSceneLoaded; }
    long getMusicId() const { return mMusicId; }
    /// Where the preview figure stands.
    const float* getTarget() const { return mTarget; }

private:
    void placeCamera();

    gui::IGuiManager* mOwnGuiManager = nullptr;
    gui::IGuiAnimator* mOwnAnimator = nullptr;
    bool mSceneLoaded = false;
    long mMusicId = -1;
    float mTarget[3] = {0, 0, 0};
    boost::signals2::scoped_connection mLoadConnection; // a load after leaving makes no figure
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::CreateCharRoom);
