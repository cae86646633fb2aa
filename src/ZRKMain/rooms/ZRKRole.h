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
    const SlotModels& getSlotModels() const { return slotModels; }

    void setLook(const std::string& l) { look = l; }
    const std::string& getLook() const { return look; }
    /// Empty names are left out.
    void setDefaultItems(const std::vector<std::string>& items);
    const std::vector<std::string>& getDefaultItems() const { return defaultItems; }
    void applyDefaultItems();

    void setMood(const std::string& m);
    const std::string& getMood() const { return mood; }
    /// Shows the action item over the mood until resetMood; with `lock` no idle action runs.
    void playMood(const std::string& action, const std::string& m, bool lock);
    void holdMood(const std::string& m);
    void resetMood();
    void execAction(const std::string& action);

    void addItem(const std::string& idleAction) { idleActions.push_back(idleAction); }
    void clearItems() { idleActions.clear(); }
    const std::vector<std::string>& getItems() const { return idleActions; }

    void setPosition(float x, float y, float z);
    Ogre::Vector3 getPosition() const;
    void setTurnHandler(const TurnHandler& handler) { turnHandler = handler; }
    /// 0 or less: no random extra wait between idle actions.
    void setFloatSpan(int span) { floatSpan = span; }

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

    boost::shared_ptr<core::BasicPlayer> getPlayer() const { return player; }
    const std::string& getName() const { return name; }
    int getIdleIndex() const { return idleIndex; }
    float getIdleTime() const { return idleTime; }

private:
    void ensureEquipment();
    core::EquipmentList withPendingAction(core::EquipmentList items) const;

    SlotModels slotModels;
    core::EquipmentList equipment;
    std::vector<std::string> defaultItems;
    boost::shared_ptr<core::BasicPlayer> player;
    std::string name;
    std::string look;
    std::vector<std::string> idleActions;
    int idleIndex = -1;
    core::GrafixScene* scene = nullptr;
    TurnHandler turnHandler;
    float idleTime = 0;
    float idleExtra = 0;
    int floatSpan = 5;
    bool actionPending = false;
    bool actionLocked = false;
    std::string pendingAction;
    std::string mood;
};

typedef boost::shared_ptr<ZRKRole> ZRKRolePtr;

} // namespace zrk
} // namespace kavri3D
