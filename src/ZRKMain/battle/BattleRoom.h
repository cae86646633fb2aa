#pragma once
#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>
#include <functional>
#include <boost/signals2/connection.hpp>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include <core/EventManager.h>
#include <core/RtObjectAttrMap.h>
#include <json/json.h>
#include <gui/IBattleOver.h>
#include "rooms/BasicRoom.h"

namespace kavri3D {
namespace core {
class IEventHandler;
} // namespace core
namespace zrk {

class LandScene;
class ZRKLand;
class ZRKRoomState;

/// The client state "battle": the frame around a fight that the land simulates. It makes the
/// land when the room is ready, starts loading once a short delay has passed and the room's
/// parameters have come, follows the land's load states through the battle's phases on
/// engine timers, collects the awards at the end and takes the player back where he came from.
class BattleRoom : public BasicRoom {
public:
    /// One weapon of the chosen ammo bag: item id and shell count.
    typedef std::pair<std::string, int> WeaponEntry;
    typedef gui::IBattleOver::AwardBoxItem AwardBoxItem;

    BattleRoom();
    ~BattleRoom() override;

    // The client state's operations.
    void onFrame(float dt) override;
    void createScene() override;
    void destroyScene() override;
    virtual void onCameraCreated() {}
    virtual void dragCursorDetect() {}
    virtual void dragCursorReset() {}
    bool queryFlag() override { return false; }

    // The battle room's own slots; timers, signals and room messages reach the room through
    // them, so a derived room's overrides take effect.
    /// A battle chat line (event 6505).
    virtual void forwardGuiCall(int team, const std::string& uid, const std::string& nickname, const std::string& msg,
                                bool local);
    /// A weapon notice of the own doll (event 6510).
    virtual void forwardGuiCall2(int first, int second);
    virtual void registerEventHandlers();
    virtual void unregisterEventHandlers();
    virtual void installEventPreviews();
    virtual bool filterLandEvent(core::Event& event) { return false; }
    virtual bool filterDollEvent(core::Event& event) { return false; }
    virtual bool filterNpcEvent(core::Event& event) { return false; }
    virtual void activatePlayFrame() {}
    virtual void onRoomParam(bool first, bool dress);
    virtual void startLoading();
    virtual void startSimulator();
    virtual void onBattleOver();
    virtual void leaveBattle();
    virtual void onHalfTime(int stage);
    virtual void onLandLoadState(int, int state);
    virtual void onPlayerStateChanged(const std::string& player, int state);
    virtual void onLandLoadState11() {}

    // Room messages of the session.
    void onEnterRoom(const std::string& room, int code, const std::string& params) override;
    void onRoomReady(const std::string& room) override;

    /// Makes a new land (the old one goes), starts the start-up delay and waits for the room's
    /// parameters.
    void createLand();
    /// A guide text for the time before the fight: shown at once when loading is done, else
    /// when it is; the simulator starts when its time is up.
    void setGuideText(const std::string& text, float seconds);
    /// The server asks the battle to be rebuilt: a new land in the same scene.
    void resyncBattle();
    /// Ends the battle's timers, signals and land (leaving and rebuilding).
    void resetBattle();
    /// Leaves in 100 ms; nothing while a leave is pending.
    void scheduleLeave();
    /// Back to the state the battle was entered from.
    void leaveRoom();

    ZRKLand* getLand() const { return mLand.get(); }

    /// An attribute of an event by type; a value of another type throws boost::bad_any_cast.
    template <class T>
    static T getAttrValue(const core::RtObjectAttrMap& attrs, const std::string& key)
    {
        const boost::any* a = attrs.getAttr(key);
        if (!a)
            throw boost::bad_any_cast();
        return boost::any_cast<T>(*a);
    }

    /// Merges the award list of a battle state: currencies by type (in type order), then items
    /// by id (in id order), amounts summed.
    static std::vector<AwardBoxItem> mergeAwards(const Json::Value& awards);
    /// An award entry's name and icon from its kind (items: their id as the name).
    static AwardBoxItem fillAwardRecord(int id, int type, int num);

    // What tests look at.
    const std::string& getReturnState() const { return mReturnState; }
    int getAmmoBag() const { return mAmmoBag; }
    const std::vector<WeaponEntry>& getWeaponSet() const { return mWeaponSet; }
    const std::string& getGuideText() const { return mGuideText; }
    bool isGuideWaiting() const { return mGuideWaiting; }
    bool areParamsReceived() const { return mParamsReceived; }
    /// Whether each of the five timers is pending: load, simulator, over, half time, leave.
    bool isTimerPending(int which) const;
    const std::vector<AwardBoxItem>& getAwards() const { return mAwards; }
    bool isBattleOverShown() const { return mBattleOverShown; }
    bool isResultReported() const { return mResultReported; }
    float getGuideDuration() const { return mGuideDuration; }

    static constexpr unsigned kLoadDelayMs = 100;
    static constexpr unsigned kLeaveDelayMs = 100;
    static constexpr unsigned kHalfTimeDelayMs = 10000;

private:
    void showGuideText(const std::string& text, float seconds);
    void clearGuideText();
    void checkLoadingDone();
    void reportResult();
    void readAwards();
    void showBattleOver();
    void closeBattleHud();
    void releaseLand();
    ZRKRoomState* landRoomState() const;
    int setTimer(int& id, unsigned ms, const std::function<void()>& call);
    void kill(int& id);

    std::unique_ptr<ZRKLand> mLand;
    std::unique_ptr<LandScene> mLandScene; ///< draws the land; goes before it
    int mLoadTimer = -1;
    int mSimulatorTimer = -1;
    int mOverTimer = -1;
    int mHalfTimeTimer = -1;
    int mLeaveTimer = -1;
    boost::signals2::connection mLandLoadConnection;
    boost::signals2::connection mPlayerStateConnection;
    boost::signals2::connection mRoomParamConnection;
    bool mMessageBoxOpen = false;
    bool mEscapeEnabled = true;
    long mMusicSound = -1;
    std::vector<WeaponEntry> mWeaponSet;
    int mSavedAmmoBag = -1;
    int mAmmoBag = 1;
    bool mSpecialDuplicate = false;
    bool mBagsPulled = false;
    std::string mReturnState;
    bool mParamsReceived = false;
    bool mLoadingStarted = false; ///< startLoading ran past the gate for this land
    std::string mGuideText;
    float mGuideDuration = 0.0f;
    bool mGuideWaiting = false;
    float mSweepEnd = -1.0f;
    std::string mRoomName; ///< the server's room of this battle
    std::vector<AwardBoxItem> mAwards;
    bool mBattleOverShown = false;
    bool mResultReported = false;
    boost::shared_ptr<core::IEventHandler> mLandHandler;
    std::shared_ptr<bool> mAlive{std::make_shared<bool>(true)};
};

} // namespace zrk
} // namespace kavri3D
