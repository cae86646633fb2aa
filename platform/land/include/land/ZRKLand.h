#pragma once
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/signals2.hpp>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include <core/EventManager.h>
#include <core/Lifetime.h>
#include <core/RandomNumber.h>
#include <core/Updatable.h>
#include <util/XmlConfigHelper.h>
#include <yake/Movable.h>
#include "land/DemesneState.h"
#include "land/DollConstants.h"
#include "land/GameSummary.h"
#include "land/HeightField.h"
#include "land/LandItems.h"
#include "land/LandSetup.h"
#include "land/WeaponState.h"
#include "land/ZRKSceneItem.h"

namespace kavri3D {
namespace core {
class GrafixClientState;
class KeyInput;
} // namespace core
namespace zrk {

class ILandRoom;
class LandAiming;
class LandBuilder;
class LandCrates;
class LandEnd;
class LandEvents;
class LandHarm;
class LandMotion;
class LandShots;
class LandTurns;
class ZRKBasicSim;
class ZRKNpcSim;
class ZRKPlayerSim;
struct WeaponState;

/// The battle: ground and water, dolls and NPCs, turns, shells, wind and the end, stepped
/// every 10 ms of land time (an updatable, at most 25 steps a frame) and seeded by the room,
/// so a seed and the players' commands replay it. It tells the room its load states through
/// a signal and what happens through numbered events on the engine's event manager.
/// It keeps the loading, the step and the look-ups and hands each other job to a part of
/// its own: building, the dolls' motion, turn order, shots and shells, harm and help,
/// crates, aiming, the end and the events.
class ZRKLand : public core::Updatable {
public:
    typedef std::map<std::string, ZRKPlayerSim*> DollMap;
    typedef std::map<std::string, ZRKNpcSim*> NpcMap;
    typedef boost::signals2::signal<void(int, int)> LoadSignal;
    typedef boost::function<int(ZRKLand*, core::Event&)> EventPreview;
    typedef boost::function<boost::shared_ptr<ILandRoom>()> RoomSource;

    /// A land event of any number, named in land/LandEventId.h.
    class LandAnyEvent : public core::Event {
    public:
        explicit LandAnyEvent(int type) : core::Event(type) {}
    };
    /// A player's run of hitting turns.
    struct ComboBullet {
        float time = 0.0f; ///< land time of the last hit
        int count = 0;
    };
    /// Where a scene effect goes (the Effect event's "mi").
    struct EffectPlacement {
        yake::math::Vector3 position;
        yake::math::Vector3 scale = yake::math::Vector3::UNIT_SCALE;
        yake::math::Quaternion orientation;
    };
    struct CrateMark {
        std::string name;
        yake::math::Vector3 position;
    };
    /// A shell in the air.
    struct Shell {
        int id = 0;
        int shot = 0; ///< shells of one shot share it
        std::string owner;
        std::string weapon; ///< the weapon's item id
        int damage = 0;
        float radius = 0.0f;
        float crater = 0.0f;
        int flags = 0; ///< HitFlag bits it carries (split, fury)
        float multiplier = 1.0f;
        yake::math::Vector3 position;
        yake::math::Vector3 velocity;
        float age = 0.0f;
        bool wind = true;
        boost::shared_ptr<WeaponShared> weaponShared;
    };
    /// Where a shell went off (for the scene's explosions and the tests).
    struct Blast {
        int shot = 0;
        yake::math::Vector3 position;
        float radius = 0.0f;
    };

    /// The room source create() asks when the land was given no room of its own.
    static void setRoomSource(const RoomSource& source);

    /// The land of the owner's battle (none in tests and the benchmark).
    explicit ZRKLand(core::GrafixClientState* owner);
    ~ZRKLand() override;
    ZRKLand(const ZRKLand&) = delete;
    ZRKLand& operator=(const ZRKLand&) = delete;

    /// Reads the room, the map of its "place" and the item records and builds the battle;
    /// false (with a log line) when there is no room or no seated player.
    virtual bool create();
    /// Builds the battle from a setup (the room, when given, is still followed for its
    /// "state" and its seats).
    bool create(const LandSetup& setup);
    /// The room this land follows instead of the room source's.
    void useRoom(const boost::shared_ptr<ILandRoom>& room) { mRoom = room; }

    void update(float dt) override;

    // Loading and the phases.
    boost::signals2::connection subscribeToLoadSignal(const LoadSignal::slot_type& slot);
    int getLoadState() const { return mLoadState; }
    bool isLoaded() const { return mLoadState >= LOAD_READY && mLoadState < LOAD_FAILED; }
    bool isFinished() const { return mLoadState >= LOAD_RESULT; }
    /// Starts the fight once the land is ready (load state 7).
    bool beginSimulator();
    bool isFighting() const { return mFighting; }

    // Room, map and rules.
    ILandRoom* getZRKRoom() const { return mRoom.get(); }
    /// The dungeon values of the room ("d_id", "ds_id").
    core::XmlConfigHelper getZRKDs() const;
    /// "music", "intro", "name" of the map.
    core::XmlConfigHelper getMapInfo() const;
    /// The map's whole record as a settings view (lists as "scenario/0", ...).
    core::XmlConfigHelper getMapConfig() const;
    /// "radar/box/<xmlattr>/x0".."z1" and "image/<xmlattr>/w", "h", "image".
    core::XmlConfigHelper getRadarConfig() const;
    int getTacticId() const { return mSetup.tactic; }
    /// The wave of a mission's crews in the field: 0 the map's "npcs", k its "scenario"[k-1].
    int getCurrentScenario() const { return mWave; }
    /// The waves of the battle's crews: 1 and the size of the map's "scenario" list in a
    /// mission, 1 in any other battle.
    int getScenarioCount() const { return mWaves.empty() ? 1 : static_cast<int>(mWaves.size()); }
    /// The domain holding state of a domain battle; none: no domain battles are fought here.
    const DemesneState* _lhGetHoldingDemesne() const { return nullptr; }
    /// The map's setting for a skill: below 0 locked, 0 unusable, above 0 usable.
    int getSkillConfig(int skill) const;
    /// Seconds of the boss sweep shown at the result; 0 for none.
    float hasSweepState() const;
    int getFixPlay() const { return mFixPlay; }
    void setFixPlay(int fix) { mFixPlay = fix; }
    bool getComboState() const { return !mComboHide; }
    /// Hides or shows the combo titles (the own doll's status tells the battle bar).
    void setComboHide(bool hide);
    int getMyCarom() const;
    std::map<std::string, ComboBullet>& getPlayerCombo();
    int getMyReviveNum() const { return mMyRevives; }
    /// Kills scored by the team.
    int getTeamScore(int team) const;

    // Dolls and NPCs.
    ZRKPlayerSim* getMyDoll() const;
    const std::string& getMyUID() const { return mSetup.myPlayerId; }
    ZRKPlayerSim* getDoll(const std::string& id) const;
    const DollMap& getAllDoll() const { return mDolls; }
    /// An NPC of a wave that has come (none for one of a wave still to come).
    ZRKNpcSim* getNpc(const std::string& name) const;
    /// The NPCs of the waves that have come: the wave in the field, and the fallen of the
    /// waves before it, ended (isEnded). The waves still to come stay out.
    const NpcMap& getAllNpc() const { return mNpcs; }
    /// A doll for a player the room seated after the battle was built; the doll already
    /// there when it has one; none when the room does not seat the player.
    ZRKPlayerSim* createLocal(const std::string& playerId);
    /// Fills a weapon slot from the item record its name gives (a weapon a script lends).
    void refWeaponState(WeaponState& w);
    /// Brings a downed doll back (full health when asked); false when it is not down or out.
    bool reviveDoll(const std::string& id, bool fullHealth, bool notify);
    /// Puts the doll on the map node; false for an unknown doll or node.
    bool spawnPlayerNode(const std::string& id, const std::string& node);
    /// The doll whose turn it is (none between turns, on an NPC's turn and outside the fight).
    ZRKPlayerSim* getActingDoll() const;
    /// The NPC whose turn it is (none but on an NPC's turn).
    ZRKNpcSim* getActingNpc() const;
    /// Fires the acting NPC's gun along its heading at the pitch (degrees) and the share of a
    /// full charge; false when it is not the NPC's turn or it has fired.
    bool fireNpc(ZRKNpcSim& npc, int pitch, float share);
    /// Whether the two fight each other: the two teams, or in a PVE battle the players
    /// against the NPCs.
    bool areFoes(const ZRKBasicSim& a, const ZRKBasicSim& b) const;
    int getTurnNumber() const;

    // Time and wind.
    /// Land time when the fight began; 0 before.
    float getTimeBegin() const { return mTimeBegin; }
    float getTimeNow() const { return mLoadTime + getTimeFighting(); }
    float getTimeFighting() const { return static_cast<float>(mSteps) * DollConstants::STEP; }
    std::uint64_t getSteps() const { return mSteps; }
    float getTurnTimeLeft() const;
    yake::math::Vector3 getWindDir() const;
    float getWindPower() const { return mWind.length(); }
    /// The wind as the battle bar shows it (one decimal).
    float getWindPowerHUD() const;
    const yake::math::Vector3& getWind() const { return mWind; }
    core::RandomNumber& getRandomNumber() { return mRandom; }

    // Aiming.
    int _targetUnderTrajectory(const yake::math::Vector3& gun, const yake::math::Vector3& target, float pitch,
                               float speed) const;
    /// The launch velocity of the weapon's shell from the gun (its muzzle `muzzle` long) that
    /// reaches the target at the pitch (radians), with or without the wind; false when there
    /// is none or an argument is not finite or absurd. The sim's immunity to wind counts.
    bool _calcProjectileV(ZRKBasicSim* sim, const std::string& weapon, float pitch, float muzzle,
                          const yake::math::Vector3& gun, const yake::math::Vector3& target, bool wind,
                          yake::math::Vector3& velocity) const;
    /// The sim along the own doll's aim within its weapon's range; empty for none.
    std::string _hitPlayerByRay() const;
    /// A node of the map (its position); none for an unknown name.
    const yake::Movable* _getNodeMovable(const std::string& name) const;

    // Crates and map items.
    bool _addCrate(const std::string& id, const ZRKSceneItem& item, const std::string& where);
    void _updateCrateMarks();
    const CrateMark* getCrateMark(const std::string& id) const;
    const std::vector<CrateMark>& getCrateMarks() const;
    bool _hasCrate(const std::string& id) const;
    /// Map items of the name still standing.
    int _countLoadedItem(const std::string& name) const;

    // Looks the scene loads before it needs them.
    void _preloadPID(const std::string& look) { mPreloadLooks.insert(look); }
    void _preloadWeapon(const std::string& weapon) { mPreloadWeapons.insert(weapon); }
    void _preloadDollWeapon(const std::string& uid);
    const std::set<std::string>& getPreloadLooks() const { return mPreloadLooks; }
    const std::set<std::string>& getPreloadWeapons() const { return mPreloadWeapons; }

    // Camera.
    bool _cameraIsRoaming() const { return mCamera == CAMERA_ROAM; }
    void _cameraLeaveRoam();
    void _cameraModeFocus() { mCamera = CAMERA_FOCUS; }
    void _cameraAttachPlayer() { mCamera = CAMERA_ATTACH; }
    int getCameraMode() const { return mCamera; }

    // The end.
    const GameSummary& getSummary() const;
    /// Puts the winners on the podium (the scene shows it).
    void createPodium() { mPodium = true; }
    bool hasPodium() const { return mPodium; }

    // Events.
    /// Runs before the land's event of the type (a LandEventId) goes to the event manager; a
    /// preview that returns other than 0 keeps it from going.
    void addEventPreview(int type, const EventPreview& preview);
    /// A battle message (the BattleMessage event): team -1 for all, `local` for this client only, `res`
    /// when msg is a text key.
    void _reportMsg2(const std::string& uid, const std::string& msg, const std::vector<std::string>& argv, int team,
                     int local, int res);
    /// A notice from the room: "Notify_killer" ("killer", "deadPerson") or "use_pacemaker"
    /// ("num"), named by the parameter set's section.
    void _notifyEvent(const core::XmlConfigHelper& params);

    /// A thing of the map that shells wear down (a lesson's rope); gone at no health.
    struct MapItem {
        std::string name;
        yake::math::Vector3 position;
        int hp = 1;
    };

    // For the scene, the tests and the benchmark.
    const std::vector<MapItem>& getMapItems() const { return mMapItems; }
    const HeightField& getHeightField() const { return mField; }
    HeightField& getHeightField() { return mField; }
    const std::vector<Shell>& getShells() const;
    std::vector<Blast> takeBlasts();
    const LandSetup& getSetup() const { return mSetup; }
    const LandItems& getItems() const { return mItems; }
    /// Expires when the land goes: a scene that outlives it stops reading it.
    std::weak_ptr<void> getLife() const { return mLife.token(); }
    core::GrafixClientState* getOwner() const { return mOwner; }
    /// Keys of the own doll come from here (the engine's by default).
    void setKeyInput(core::KeyInput* keys)
    {
        mKeys = keys;
        mKeysSet = true;
    }
    /// Puts a shell in the air as if the doll had fired the weapon (benchmark).
    int launchShell(const std::string& owner, const yake::math::Vector3& from, const yake::math::Vector3& velocity);
    /// A hash of everything the fight changes (positions, numbers, ground, wind, random).
    std::uint64_t stateHash() const;
    /// Shots fired and shots that hurt an enemy, by bots.
    int getBotShots() const;
    int getBotHits() const;

private:
    friend class LandAiming;
    friend class LandBuilder;
    friend class LandCrates;
    friend class LandEnd;
    friend class LandEvents;
    friend class LandHarm;
    friend class LandMotion;
    friend class LandShots;
    friend class LandTurns;
    friend class ZRKBasicSim;
    friend class ZRKPlayerSim;

    // The parts, each for one job.
    LandAiming& aiming() const { return *mAiming; }
    LandBuilder& builder() const { return *mBuilder; }
    LandCrates& crates() const { return *mCrates; }
    LandEnd& end() const { return *mEnd; }
    LandEvents& events() const { return *mEvents; }
    LandHarm& harm() const { return *mHarm; }
    LandMotion& motion() const { return *mMotion; }
    LandShots& shots() const { return *mShots; }
    LandTurns& turns() const { return *mTurns; }

    void setLoadState(int state);
    void advanceLoading(float dt);
    void followRoom();
    void step();
    /// A mission against the map's crews: the players one side, the NPCs the other.
    bool isPve() const { return mSetup.tactic == 9 && !mNpcStore.empty(); }
    /// When every NPC of the wave in the field is dead, the next wave takes the field.
    void advanceWaves();
    /// Whether a wave still waits to take the field.
    bool hasWaveToCome() const { return mWave + 1 < static_cast<int>(mWaves.size()); }
    /// The result stands long enough (its time, or a mission's answer from the server).
    bool resultDone();
    /// Tells the room this client has loaded, once, as soon as the room's battle has started.
    void reportLoadedWhenStarted();
    /// Whether the doll may act now: its turn, the fight on and no result yet.
    bool mayAct(const ZRKPlayerSim& doll) const;
    yake::math::Vector3 nodePosition(const std::string& name, bool& found) const;

    core::GrafixClientState* mOwner;
    boost::shared_ptr<ILandRoom> mRoom;
    LandSetup mSetup;
    LandItems mItems;
    HeightField mField;
    core::RandomNumber mRandom;
    LoadSignal mLoadSignal;
    core::Lifetime mLife;
    bool mCreated = false;
    bool mLoadReported = false;
    bool mSeedChangeTold = false;
    int mLoadState = LOAD_NONE;
    int mLoadProgress = 0;
    float mLoadTime = 0.0f;
    bool mFighting = false;
    float mTimeBegin = 0.0f;
    double mAccumulator = 0.0;
    std::uint64_t mSteps = 0;
    float mRoomPoll = 0.0f; ///< frame time since the room was last followed, once over

    std::vector<std::unique_ptr<ZRKPlayerSim>> mDollStore;
    std::vector<std::unique_ptr<ZRKNpcSim>> mNpcStore; ///< every NPC of every wave
    std::vector<std::vector<ZRKNpcSim*>> mWaves;
    int mWave = 0;
    std::vector<ZRKNpcSim*> mFieldNpcs; ///< the wave in the field, in the map's order
    DollMap mDolls;
    NpcMap mNpcs; ///< the waves that have come, by name
    std::vector<ZRKPlayerSim*> mSeatOrder;
    yake::math::Vector3 mWind;

    std::vector<MapItem> mMapItems;
    std::map<std::string, yake::Movable> mNodes;
    std::set<std::string> mPreloadLooks;
    std::set<std::string> mPreloadWeapons;

    int mFixPlay = 0;
    bool mComboHide = false;
    int mMyRevives = 0;
    int mCamera = CAMERA_ATTACH;
    bool mPodium = false;
    core::KeyInput* mKeys = nullptr;
    bool mKeysSet = false;
    std::set<int> mToldRoomStates;

    std::unique_ptr<LandAiming> mAiming;
    std::unique_ptr<LandBuilder> mBuilder;
    std::unique_ptr<LandCrates> mCrates;
    std::unique_ptr<LandEnd> mEnd;
    std::unique_ptr<LandEvents> mEvents;
    std::unique_ptr<LandHarm> mHarm;
    std::unique_ptr<LandMotion> mMotion;
    std::unique_ptr<LandShots> mShots;
    std::unique_ptr<LandTurns> mTurns;
};

} // namespace zrk
} // namespace kavri3D
