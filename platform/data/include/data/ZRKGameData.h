#pragma once
#include "data/ZRKSharedViews.h"
#include <boost/shared_ptr.hpp>
#include <json/json.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include <util/Singleton.h>
#include <util/XmlConfigHelper.h>
#include <core/AvatarManager.h>
#include "data/ZRKGuildIQ.h"
#include "data/ZRKInventory.h"
#include "data/ZRKQuestLib.h"
#include "data/ZRKRoomState.h"
#include "data/ZRKRoomStateProxy.h"
#include "data/ZRKRosterIQ.h"
#include "data/ZRKServer.h"

namespace kavri3D {
namespace zrk {

/// What the client knows of the game: the result views of the last replies by name
/// ("userInfo/<user>", "pc", "inventory", "lib/<name>"...), the libraries, the inventory,
/// the server object and the states of the rooms the player is in. Replies replace whole
/// views; notices change the room states in place.
class ZRKGameData : public Singleton<ZRKGameData> {
public:
    ZRKGameData();
    ~ZRKGameData();

    /// Replaces each named view by its value; `views` must be an object, else nothing
    /// changes.
    void applyViews(const Json::Value& views);
    /// The same, taking the values over.
    void applyViews(Json::Value&& views);
    /// Views handed over whole: kept as they are, shared with the server.
    void applyViews(const ZRKSharedViews& views);
    /// Forgets every view and room (at log-out).
    void clear();

    // The rooms the player is in: each state built once, when the server first describes it.
    ZRKRoomState* roomState(const std::string& room) const;
    ZRKRoomState& makeRoomState(const std::string& room, const std::string& selfId);
    /// A room the game writes itself (no server behind it); it is the current room until it
    /// is dropped. A known room of that name that is not local is left as it is.
    ZRKRoomStateProxy* makeLocalRoomState(const std::string& room, const std::string& selfId);
    /// The local room, null without one.
    ZRKRoomStateProxy* localRoomState() const;
    /// The room is gone for the player: its destroy signal, then it is forgotten.
    void dropRoomState(const std::string& room);
    void dropRoomStates();
    /// The room entered last that still stands; null without one.
    ZRKRoomState* latestRoomState() const;
    /// Tells the rooms' late subscribers what they asked to hear (each frame).
    void deliverRoomReplays();

    bool hasView(const std::string& name) const { return mViews.count(name) > 0; }
    /// The view's value, null when there is none.
    const Json::Value& viewJson(const std::string& name) const;
    /// The view as settings, empty when there is none.
    core::XmlConfigHelper view(const std::string& name) const;

    /// A part of the live game data (`&ZRKGameData::questLib`...), null without one.
    template <class T> static T* part(T& (ZRKGameData::*get)())
    {
        ZRKGameData* data = getSingletonPtr();
        return data ? &(data->*get)() : nullptr;
    }
    /// A view of the live game data, empty without one.
    static core::XmlConfigHelper liveView(const std::string& name);

    ZRKQuestLib& questLib() { return mQuest; }
    /// The players whose information came with a reply, by user name.
    core::AvatarManager& avatars() { return mAvatars; }
    ZRKDataLib& purposeLib() { return mPurpose; }
    ZRKDataLib& bluDrillLib() { return mBluDrill; }
    ZRKDataLib& titleLib() { return mTitle; }
    ZRKDataLib& honorLib() { return mHonor; }
    ZRKDataLib& statsLib() { return mStats; }
    ZRKDataLib& bbrSlotLib() { return mBbrSlots; }
    ZRKInventory& inventory() { return mInventory; }
    /// Another player's bag, as the last look at it gave it (view "inventory1").
    ZRKInventory& inventory1() { return mInventory1; }
    /// The friend roster (view "roster"); its load signal fires as each roster comes in.
    ZRKRosterIQ& roster() { return mRoster; }
    ZRKGuildIQ& guild() { return mGuild; }
    ZRKServer& server() { return mServer; }
    /// The ammo bag chosen for battles.
    int getCaId() const { return mCaId; }
    void setCaId(int bag) { mCaId = bag; }

private:
    struct View {
        Json::Value value;
        std::shared_ptr<const Json::Value> shared; ///< when handed over whole, instead of value
        const Json::Value& json() const { return shared ? *shared : value; }
        mutable core::XmlConfigHelper settings;
        mutable bool settingsMade = false; ///< the settings form is made when first asked for
    };
    /// What a view just taken feeds besides being kept.
    void took(const std::string& name, View& v);
    std::map<std::string, View> mViews;
    core::AvatarManager mAvatars;
    ZRKQuestLib mQuest;
    ZRKDataLib mPurpose{"purpose"};
    ZRKDataLib mBluDrill{"bluDrill"};
    ZRKDataLib mTitle{"title"};
    ZRKDataLib mHonor{"honor"};
    ZRKDataLib mStats{"stats"};
    ZRKDataLib mBbrSlots{"bbrSlots"};
    ZRKInventory mInventory;
    ZRKInventory mInventory1;
    ZRKRosterIQ mRoster;
    ZRKGuildIQ mGuild;
    ZRKServer mServer;
    int mCaId = 1;
    std::vector<std::pair<std::string, boost::shared_ptr<ZRKRoomState>>> mRooms; ///< in order of entering
    std::string mLocalRoom; ///< the name of the local room; empty without one
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ZRKGameData);
