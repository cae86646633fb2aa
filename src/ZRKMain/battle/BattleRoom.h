#pragma once
#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include <core/EventManager.h>
#include <core/Lifetime.h>
#include <core/RandomNumber.h>
#include <core/RtObjectAttrMap.h>
#include <json/json.h>
#include <gui/IBattleOver.h>
#include <util/XmlConfigHelper.h>
#include <yake/Vector3.h>
#include "rooms/BasicRoom.h"

namespace CEGUI {
class EventArgs;
class Window;
} // namespace CEGUI

namespace Ogre {
class SceneNode;
}

namespace kavri3D {
namespace core {
class BasicPlayer;
class IEventHandler;
class SnapShotEx;
class win32RenderWindow;
} // namespace core
namespace zrk {
namespace gui {
class IBattlePanel;
class IBattlePanelHost;
class IBattleStatus;
class IBoxPanel;
class IDollView;
} // namespace gui

class BattleBubbles;
class BattleEnd;
class BattleExit;
class BattleGuide;
class BattleHintManager;
class BattleInput;
class BattleLoading;
class BattleLoadout;
class BattleOverlays;
class BattlePrompts;
class BattleRadar;
class BattleStatusProvider;
class EvtDollHandler;
class EvtLandHandler;
class ZRKBasicSim;
class ZRKFlashPanel;
class BattleLandRoom;
class LandScene;
class ZRKLand;
class ZRKRoomState;

/// The client state "battle": the frame around a fight that the land simulates. It makes the
/// land when the room is ready, starts loading once a short delay has passed and the room's
/// parameters have come, follows the land's load states through the battle's phases on
/// engine timers, collects the awards at the end and takes the player back where he came from.
/// Each of those jobs is a part of its own (loading, input, radar, loadout, guide, displays,
/// the end, leaving); the room composes them and keeps the land, the timers and the handlers.
class BattleRoom : public BasicRoom {
public:
    /// One weapon of the chosen ammo bag: item id and shell count.
    typedef std::pair<std::string, int> WeaponEntry;
    typedef gui::IBattleOver::AwardBoxItem AwardBoxItem;
    typedef gui::IBattleOver::AwardSlot AwardSlot;
    typedef gui::IBattleOver::BoxOffer BoxOffer;

    // The battle's displays, each in its own header.
    class ZRKBubblePanel;
    class ZRKSightingPanel;
    class SightingTexture;
    class ZRKSuspendPanel;
    class ZRKProgressPanel;
    class VaneSnapShotScene;

    /// Measures the displays' own work in each frame (the heads-up benchmark): told on entering
    /// and on leaving each display's frame step. There is none in the game.
    class DisplayMeter {
    public:
        virtual ~DisplayMeter() = default;
        virtual void enter() = 0;
        virtual void leave() = 0;
    };
    /// The meter every battle room tells from now on; null for none.
    static void setDisplayMeter(DisplayMeter* meter);

    BattleRoom();
    ~BattleRoom() override;

    // The client state's operations.
    void onFrame(float dt) override;
    void createScene() override;
    void destroyScene() override;
    void onCameraCreated() override;
    /// Any drag is taken: the framework's detection runs, the answer is always yes.
    bool dragCursorDetect() override;
    /// Recentres the pointer first.
    void dragCursorReset() override;
    bool queryFlag() override { return false; }

    // The battle room's own slots; timers, signals and room messages reach the room through
    // them, so a derived room's overrides take effect.
    /// A battle chat line (the land's BattleMessage event).
    virtual void forwardGuiCall(int team, const std::string& uid, const std::string& nickname, const std::string& msg,
                                bool local);
    /// A weapon notice of the own doll (the land's OwnStatus event).
    virtual void forwardGuiCall2(int first, int second);
    virtual void registerEventHandlers();
    virtual void unregisterEventHandlers();
    virtual void installEventPreviews();
    virtual bool filterLandEvent(core::Event& event) { return false; }
    virtual bool filterDollEvent(core::Event& event) { return false; }
    virtual bool filterNpcEvent(core::Event& event) { return false; }
    virtual void activatePlayFrame();
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

    /// The Escape key asks whether to leave the battle; true when the key was used.
    bool onEscapeKey(int scanCode);
    /// The answer to the leave question: 0 leaves, anything else plays on.
    void onEscapeConfirmed(int result);
    /// Turns the view to look along the heading (radians about up) at the camera's usual pitch:
    /// what a step of a lesson shows starts in view.
    void lookAlong(float heading);
    /// The window lost the focus or the player released the mouse: the cursor is freed.
    void suspendInput();
    /// The mouse steers the camera again.
    void resumeInput();
    void checkInputFocus();
    void resumeIfSuspendClosed();
    /// The screen shown while input is suspended; null when none is up.
    ZRKSuspendPanel* getSuspendPanel() const;
    /// The loading screen, from the land's creation until it has loaded; null otherwise.
    ZRKProgressPanel* getProgressPanel() const;

    /// The wind vane's picture, made once the land loads; it goes with the heads-up display.
    void createVane();
    /// Points the vane the way the wind blows as seen along the facing.
    void updateVane(const yake::math::Vector3& wind, const yake::math::Vector3& facing);
    void destroyVane();
    VaneSnapShotScene* getVaneScene() const;
    core::SnapShotEx* getVaneSnapShot() const;
    /// A world position on the radar map's picture (x and y in pixels); false before the radar
    /// is known or for a radar box without extent, the position untouched.
    bool projectToRadar(yake::math::Vector3& p) const;
    void loadRadarConfig();
    void setRadarMapImage(const std::string& name);
    void resetRadarMap();

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
    /// The server's room of this battle.
    const std::string& getBattleRoomName() const { return mRoomName; }
    /// Expires when the room goes: answers that may come late check it.
    std::weak_ptr<void> getLife() const { return mLife.token(); }

    // Prompts and Flash overlays over the fight.
    static const char* const kPromptKill[4];
    static const char* const kPromptBloodLess;
    /// bullet, hp, sp, sp2, cool-down wanted; hold ok.
    static const char* const kPromptWants[6];
    static const char* const kPromptCritical;
    static const char* const kPromptUltimate;
    static const char* const kPromptGood;
    static const char* const kPromptPerfect;
    static const char* const kPromptBlank;
    /// A picture ("Set/Image") centred on (x, y) relative to the screen for `duration` s.
    void showPrompt(const std::string& image, bool pulse, float x, float y, float duration);
    /// At the top of the screen's middle.
    void showPromptFixed(const std::string& image, bool pulse, float duration);
    /// Near the screen's centre, a little off at random.
    void showPromptScattered(const std::string& image, float duration);
    /// A Flash overlay (see ZRKFlashPanel::addFlash); null without the Flash layer.
    CEGUI::Window* showFlash(const std::string& name, const std::string& key, int width, int height,
                             Ogre::SceneNode* node, float duration);
    void revokeFlash(const std::string& name, const std::string& key);
    void removeFlashByWindow(CEGUI::Window* window);
    /// Whether the Flash layer holds an overlay of that name and key.
    bool hasFlash(const std::string& name, const std::string& key) const;
    /// Every frame: the Flash overlays, then the prompts.
    void updateEffects();
    void destroyPrompts();
    void createFlashPanel();
    void destroyFlashPanel();
    ZRKFlashPanel* getFlashPanel() const;
    BattlePrompts* getPrompts() const;
    /// A heads-up window by its path ("battle/hpnum2") under the GUI; null when there is none.
    static CEGUI::Window* hudWindow(const std::string& path);

    // Head bubbles and the sight.
    /// The highest the heads-up bubbles may stand, as a share of the screen's height (under
    /// what a derived room shows at the top); 0 in a battle.
    virtual float getHudCeiling() const { return 0.0f; }
    /// Every frame while the land is loaded and not finished: one bubble per sim with a figure.
    void updateBubbles();
    void refreshBubble(ZRKBasicSim* sim);
    void refreshDollBubble(const std::string& playerId);
    void refreshNpcBubble(const std::string& name);
    /// The bubbles of players on a run of hits.
    void refreshComboBubbles();
    /// Destroys the sight and every bubble (before the land goes).
    void destroyBubbles();
    /// The bubble a figure carries; none when it has none (or an empty one).
    static boost::shared_ptr<ZRKBubblePanel> getBubble(const core::BasicPlayer& player);
    void setSightMode(int mode);
    void showSight(bool visible);
    void updateSight(float dt);
    void createSight();
    void destroySight();
    bool isSightActive() const;
    ZRKSightingPanel* getSightingPanel() const;

    /// The battle screen's own interface (the "Battle" panel's); null without it.
    gui::IBattlePanel* getBattleScreen() const;
    /// The GUI's view of battle dolls (the growth road's tip); null without it.
    gui::IDollView* getDollView() const;
    core::RandomNumber& getRandom() { return mRandom; }
    const boost::shared_ptr<BattleStatusProvider>& getStatusProvider() const { return mStatusProvider; }
    EvtDollHandler* getDollHandler() const;
    EvtLandHandler* getLandHandler() const;

    /// An attribute of an event by type; a value of another type throws boost::bad_any_cast.
    template <class T> static T getAttrValue(const core::RtObjectAttrMap& attrs, const std::string& key)
    {
        const boost::any* a = attrs.getAttr(key);
        if (!a)
            throw boost::bad_any_cast();
        return boost::any_cast<T>(*a);
    }

    /// Merges the award list of a battle state: currencies by type (in type order), then items
    /// by id (in id order), amounts summed.
    std::vector<AwardBoxItem> mergeAwards(const Json::Value& awards) const;
    /// An award entry's name and icon from its kind; an item's from the item library and the
    /// battle's item table, with its full record.
    AwardBoxItem fillAwardRecord(int id, int type, int num) const;
    /// One award slot per seat for the box opening, handed to the box panel when there is one.
    void buildAwardSlots();
    /// The room's boxes, handed to the box panel when there is one.
    void fillBoxList();
    void fillBoxList(const std::list<core::XmlConfigHelper>& boxes);
    /// GUI event 59 through a fresh GUI manager (the lobby's idle action after a battle).
    static void raiseLeaveEvent();

    // The battle's loadout: the player's bags make room for the battle's weapons and props,
    // and get their own items back when the scene ends.
    /// Takes the bag proper, the ammo bag and the props bag aside (once per scene); with
    /// `remove` they also leave the inventory.
    void pullBattleBags(bool remove);
    /// Gives the ammo bag the battle's weapons (a staged duplicate's own, else the bag's set)
    /// and arms the own doll with them.
    void buildBattleWeapons();
    /// Lends one weapon in the next free slot of the weapon bag (at most 9); returns how many
    /// slots were taken before.
    int addBattleWeapon(const std::string& itemId, int bagIndex, int fixItem, int itemCd, int shellNum, int shootRange);
    /// Lends a staged duplicate's props (at most 6).
    void addDuplicateProps();
    /// One weapon a staged duplicate lends: item id, cool-down, shells and range.
    struct StageWeapon {
        std::string id;
        int cd = 0, shellNum = 0, range = 0;
    };
    /// The weapons and props (at most 6) of a stage's "ds_ai" text, a JSON object of the arrays
    /// "weapon" ({"id", "cd", "shellnum", "range"}) and "prop" ({"id"}); false, with nothing
    /// read, for a text that is too long or no JSON object.
    static bool readStageArms(const std::string& text, std::vector<StageWeapon>& weapons,
                              std::vector<std::string>& props);
    /// Puts the bags back as they were before the battle.
    void restoreBattleBags();
    /// Takes the lent weapons back out of the ammo bag (the tutorial's own arms follow).
    void removeGivenWeapons();

    // What tests look at.
    const std::string& getReturnState() const { return mReturnState; }
    int getAmmoBag() const;
    const std::vector<WeaponEntry>& getWeaponSet() const;
    const std::string& getGuideText() const;
    /// The guide text on screen (lead text or NPC dialog); empty when none is shown.
    std::string getShownGuideText() const;
    bool isGuideWaiting() const;
    bool areParamsReceived() const;
    /// Whether each of the five timers is pending: load, simulator, over, half time, leave.
    bool isTimerPending(int which) const;
    const std::vector<AwardBoxItem>& getAwards() const;
    bool isBattleOverShown() const;
    bool isResultReported() const;
    float getGuideDuration() const;
    bool areBagsPulled() const;
    bool isFreeRotate() const;
    bool isMessageBoxOpen() const;
    bool isRadarLoaded() const;
    int getArmsImagesetCount() const { return mArmsImagesetCount; }
    /// Whether the room's own third-person camera places the view (else the land's scene does).
    bool isCameraOwn() const;
    bool isSpecialDuplicate() const;
    const std::vector<AwardSlot>& getAwardSlots() const;
    int getHalfTimeStage() const;
    gui::IBoxPanel* getBoxPanel() const;
    float getBoxPanelStart() const;
    float getBoxPanelEnd() const;
    float getSweepEnd() const;
    long getMusicSound() const;
    gui::IBattlePanelHost* getBattlePanel() const { return mBattlePanel; }
    /// The "arm" and "data" entries of the item document by id (filled by createScene).
    const std::map<int, Json::Value>& getWeaponTable() const { return mWeaponTable; }
    const std::map<int, Json::Value>& getItemTable() const { return mItemTable; }

    static constexpr unsigned kLoadDelayMs = 100;
    static constexpr unsigned kLeaveDelayMs = 100;
    static constexpr unsigned kHalfTimeDelayMs = 10000;

protected:
    // What a room built on the battle (the tutorial) sets of it.
    std::string& returnState() { return mReturnState; }
    bool& escapeEnabled();
    bool& battleHintEnabled() { return mBattleHintEnabled; }
    /// The battle's hints while the fight runs; null when they are off or over.
    BattleHintManager* getHintManager() const { return mHintManager.get(); }
    int& savedAmmoBag();
    int& ammoBag();
    std::vector<WeaponEntry>& weaponSet();
    bool& specialDuplicate();
    std::list<core::XmlConfigHelper>& savedWeaponItems();
    std::list<core::XmlConfigHelper>& savedPropItems();
    const boost::shared_ptr<core::IEventHandler>& landHandler() const { return mLandHandler; }
    /// The mouse is the player's own: no capture, no drag, the arrow cursor.
    void releaseCursorForGuide();

private:
    // The parts: each does one job of the battle over the room's land, timers and handlers.
    friend class BattleBubbles;
    friend class BattleEnd;
    friend class BattleExit;
    friend class BattleGuide;
    friend class BattleInput;
    friend class BattleLoading;
    friend class BattleLoadout;
    friend class BattleOverlays;
    friend class BattleRadar;

    void closeBattleHud();
    void attachBattlePanel();
    void createImagesets();
    void destroyImagesets();
    void attachStatusProvider();
    void releaseLand();
    void stopHints();
    ZRKRoomState* landRoomState() const;
    int setTimer(int& id, unsigned ms, const std::function<void()>& call);
    void kill(int& id);
    /// A whole number as the room's values carry it: a number, or a text that is exactly one; 0 otherwise.
    static int wholeNumber(const Json::Value& record, const char* key);

    std::unique_ptr<ZRKLand> mLand;
    boost::shared_ptr<BattleLandRoom> mLandRoom; ///< the land's view of the room
    std::unique_ptr<LandScene> mLandScene;       ///< draws the land; goes before it
    int mLoadTimer = -1;
    int mSimulatorTimer = -1;
    int mOverTimer = -1;
    int mHalfTimeTimer = -1;
    int mLeaveTimer = -1;
    int mArmsImagesetCount = 0;
    bool mBattleHintEnabled = true;
    boost::shared_ptr<BattleHintManager> mHintManager;
    std::string mReturnState;
    std::string mRoomName; ///< the server's room of this battle
    gui::IBattlePanelHost* mBattlePanel = nullptr;
    std::map<int, Json::Value> mWeaponTable;
    std::map<int, Json::Value> mItemTable;
    boost::shared_ptr<core::IEventHandler> mLandHandler;
    boost::shared_ptr<core::IEventHandler> mDollHandler;
    boost::shared_ptr<core::IEventHandler> mNpcHandler;
    boost::shared_ptr<BattleStatusProvider> mStatusProvider;
    core::RandomNumber mRandom{core::RandomNumber::settable()};
    core::Lifetime mLife;
    std::unique_ptr<BattleLoading> mLoading;
    std::unique_ptr<BattleInput> mInput;
    std::unique_ptr<BattleRadar> mRadar;
    std::unique_ptr<BattleLoadout> mLoadout;
    std::unique_ptr<BattleGuide> mGuide;
    std::unique_ptr<BattleOverlays> mOverlays;
    std::unique_ptr<BattleBubbles> mBubbles;
    std::unique_ptr<BattleEnd> mEnd;
    std::unique_ptr<BattleExit> mExit;
};

} // namespace zrk
} // namespace kavri3D
