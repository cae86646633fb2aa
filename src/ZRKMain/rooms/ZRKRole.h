#pragma once
#include <OgreVector.h>
#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>
#include <misc/Equipment.h>

namespace kavri3D {
namespace core {
class BasicPlayer;
class GrafixScene;
} // namespace core

namespace zrk {

/// A character the lobby shows: one figure in a scene, dressed from its equipment (kind to
/// model, plus default items such as hair and face) over its look ("boy", "girl"), looping
/// its mood and playing idle actions at random intervals.
class ZRKRole {
public:
    /// Asked every frame whether (and which way) the shown figure turns.
    typedef boost::function<void(bool& turn, bool& left)> TurnHandler;
    typedef std::map<std::string, std::string> SlotModels;

    explicit ZRKRole(const std::string& name);
    virtual ~ZRKRole();
    ZRKRole(const ZRKRole&) = delete;
    ZRKRole& operator=(const ZRKRole&) = delete;

    /// Equipment kinds by index: 1 "suite" ... 12 "looks"; any other index is "".
    static std::string getSlotName(int index);
    /// Kinds in key order, then the suite at the front, or failing that the coat.
    static core::EquipmentList buildItemSet(const SlotModels& slotModels);

    /// Makes the figure in the scene, bare, in the "boy" look and its idle mood.
    void create(core::GrafixScene* scene);
    /// Takes the figure out of its scene.
    void destroy();

    virtual void setAttr(const std::string& kind, const std::string& model);
    virtual void removeAttr(const std::string& kind);
    /// The outfit only: the default items stay.
    void setEquipment(const SlotModels& models);
    void clearEquipment();
    const SlotModels& getSlotModels() const { return mSlotModels; }

    void setLook(const std::string& l) { mLook = l; }
    const std::string& getLook() const { return mLook; }
    /// Empty names are left out.
    void setDefaultItems(const std::vector<std::string>& items);
    const std::vector<std::string>& getDefaultItems() const { return mDefaultItems; }
    void applyDefaultItems();

    void setMood(const std::string& m);
    const std::string& getMood() const { return mMood; }
    /// Shows the action item over the mood until resetMood; with `lock` no idle action runs.
    void playMood(const std::string& action, const std::string& m, bool lock);
    void holdMood(const std::string& m);
    void resetMood();
    void execAction(const std::string& action);

    void addItem(const std::string& idleAction) { mIdleActions.push_back(idleAction); }
    void clearItems() { mIdleActions.clear(); }
    const std::vector<std::string>& getIdleActions() const { return mIdleActions; }

    void setPosition(float x, float y, float z);
    Ogre::Vector3 getPosition() const;
    void setTurnHandler(const TurnHandler& handler) { mTurnHandler = handler; }
    /// 0 or less: no random extra wait between idle actions.
    void setFloatSpan(int span) { mFloatSpan = span; }

    /// Takes a whole outfit as it is to be worn; the next loadEquipment shows it.
    void setEquipmentList(const core::EquipmentList& items) { mEquipment = items; }
    /// Dresses the figure in its equipment (rebuilt first when needed).
    void loadEquipment();
    core::EquipmentList getEquipment();
    /// The default items only, nothing cached.
    core::EquipmentList buildDefaultEquipment() const;
    void copyFrom(ZRKRole& other);

    /// Turns the figure as the turn handler asks.
    void update();
    /// The idle clock: after maxTimeSpan plus a random extra, one idle action.
    void tick(float dt, float maxTimeSpan);

    boost::shared_ptr<core::BasicPlayer> getPlayer() const { return mPlayer; }
    const std::string& getName() const { return mName; }
    int getIdleIndex() const { return mIdleIndex; }
    float getIdleTime() const { return mIdleTime; }

private:
    void ensureEquipment();
    core::EquipmentList withPendingAction(core::EquipmentList items) const;

    SlotModels mSlotModels;
    core::EquipmentList mEquipment;
    std::vector<std::string> mDefaultItems;
    boost::shared_ptr<core::BasicPlayer> mPlayer;
    std::string mName;
    std::string mLook;
    std::vector<std::string> mIdleActions;
    int mIdleIndex = -1;
    core::GrafixScene* mScene = nullptr;
    TurnHandler mTurnHandler;
    float mIdleTime = 0;
    float mIdleExtra = 0;
    int mFloatSpan = 5;
    bool mActionPending = false;
    bool mActionLocked = false;
    std::string mPendingAction;
    std::string mMood;
};

typedef boost::shared_ptr<ZRKRole> ZRKRolePtr;

} // namespace zrk
} // namespace kavri3D
