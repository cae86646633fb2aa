#pragma once
#include <boost/shared_ptr.hpp>
#include <boost/signals2/connection.hpp>
#include <string>
#include <yake/Vector3.h>
#include "battle/BattleRoom.h"

namespace kavri3D {
namespace core {
class SnapShotEx;
}
namespace zrk {

/// The battle's land and its loading: a new land with the loading screen, the start once the
/// room's parameters have come, the land's load states through the battle's phases, the music
/// and the wind vane. What it hears of the land and the room ends with each land, and with this.
class BattleLoading {
public:
    explicit BattleLoading(BattleRoom& room);
    ~BattleLoading();
    BattleLoading(const BattleLoading&) = delete;
    BattleLoading& operator=(const BattleLoading&) = delete;

    void createLand();
    void onRoomParam();
    void startLoading();
    void onLandLoadState(int state);
    /// The battle is reset: nothing more is heard of the land and the room, and the next land
    /// waits for the room's parameters again.
    void reset();

    void createProgressPanel();
    void destroyProgressPanel();
    void createVane();
    void updateVane(const yake::math::Vector3& wind, const yake::math::Vector3& facing);
    void destroyVane();
    void playMusic(const std::string& name);
    void stopMusic();

    BattleRoom::ZRKProgressPanel* getProgressPanel() const { return mProgressPanel.get(); }
    BattleRoom::VaneSnapShotScene* getVaneScene() const { return mVaneScene; }
    core::SnapShotEx* getVaneSnapShot() const { return mVaneSnapShot; }
    bool areParamsReceived() const { return mParamsReceived; }
    long getMusicSound() const { return mMusicSound; }

private:
    /// Every seat has loaded: the fight takes the screen and the mouse.
    void onReady();
    /// Ends what is heard of the land's loading and of its room's players and boxes.
    void stopHearingLand();

    BattleRoom& mRoom;
    bool mParamsReceived = false;
    bool mLoadingStarted = false; ///< startLoading ran past the gate for this land
    long mMusicSound = -1;
    boost::shared_ptr<BattleRoom::ZRKProgressPanel> mProgressPanel;
    core::SnapShotEx* mVaneSnapShot = nullptr; ///< owns the vane's scene
    BattleRoom::VaneSnapShotScene* mVaneScene = nullptr;
    boost::signals2::scoped_connection mLandLoad;
    boost::signals2::scoped_connection mPlayerState;
    boost::signals2::scoped_connection mBoxOffers;
    boost::signals2::scoped_connection mRoomParam;
};

} // namespace zrk
} // namespace kavri3D
