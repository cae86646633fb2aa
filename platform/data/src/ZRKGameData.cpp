#include "data/ZRKGameData.h"

#include "data/ZRKJson.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKGameData);

namespace kavri3D {
namespace zrk {

ZRKGameData::ZRKGameData() = default;
ZRKGameData::~ZRKGameData() = default;

void ZRKGameData::applyViews(const Json::Value& views) { applyViews(Json::Value(views)); }

void ZRKGameData::applyViews(Json::Value&& views)
{
    if (!views.isObject())
        return;
    for (auto it = views.begin(); it != views.end(); ++it) {
        View& v = mViews[it.name()];
        v.value = std::move(*it);
        v.shared.reset();
        took(it.name(), v);
    }
}

void ZRKGameData::applyViews(const ZRKSharedViews& views)
{
    for (const auto& s : views) {
        if (!s.second)
            continue;
        View& v = mViews[s.first];
        // A player's card handed over again unchanged (the server keeps one per change) is
        // known already, as is its avatar.
        if (v.shared == s.second && s.first.compare(0, 9, "userInfo/") == 0 && mAvatars.findAvatar(s.first.substr(9)))
            continue;
        v.shared = s.second;
        v.value = Json::Value();
        took(s.first, v);
    }
}

void ZRKGameData::took(const std::string& name, View& v)
{
    v.settingsMade = false;
    if (name == "inventory") {
        mInventory.assign(&v.json()); // the view stays in place until the next one replaces it
        // A move's changed slots come beside the bag when it is handed over whole; once only.
        auto dirty = mViews.find("inventoryDirty");
        if (dirty != mViews.end()) {
            mInventory.addDirty(dirty->second.json());
            mViews.erase(dirty);
        }
    } else if (name == "inventory1")
        mInventory1.assign(&v.json());
    else if (name == "roster")
        mRoster.load(v.json());
    else if (name == "zones" || name == "rooms" || name == "roomsFind" || name == "zoneRandom" || name == "shop" ||
             name == "shopItem")
        mServer.onListView(name, v.json());
    else if (name.compare(0, 9, "userInfo/") == 0)
        mAvatars.putAvatar(name.substr(9), ZRKJson::toView(v.json()));
}

void ZRKGameData::clear()
{
    mInventory.clear();
    mInventory1.clear();
    mRoster.clear();
    mViews.clear();
    mServer.clearOnline();
    mServer.clearLobby();
    mAvatars.clear();
    dropRoomStates();
}

ZRKRoomState* ZRKGameData::roomState(const std::string& room) const
{
    for (const auto& r : mRooms)
        if (r.first == room)
            return r.second.get();
    return nullptr;
}

ZRKRoomState& ZRKGameData::makeRoomState(const std::string& room, const std::string& selfId)
{
    if (ZRKRoomState* known = roomState(room))
        return *known;
    mRooms.emplace_back(room, boost::shared_ptr<ZRKRoomState>(new ZRKRoomState(room, selfId)));
    return *mRooms.back().second;
}

ZRKRoomStateProxy* ZRKGameData::makeLocalRoomState(const std::string& room, const std::string& selfId)
{
    if (ZRKRoomState* known = roomState(room))
        return room == mLocalRoom ? static_cast<ZRKRoomStateProxy*>(known) : nullptr;
    boost::shared_ptr<ZRKRoomStateProxy> local(new ZRKRoomStateProxy(room, selfId));
    mRooms.emplace_back(room, local);
    mLocalRoom = room;
    return local.get();
}

ZRKRoomStateProxy* ZRKGameData::localRoomState() const
{
    return mLocalRoom.empty() ? nullptr : static_cast<ZRKRoomStateProxy*>(roomState(mLocalRoom));
}

void ZRKGameData::dropRoomState(const std::string& room)
{
    if (room == mLocalRoom)
        mLocalRoom.clear();
    for (std::size_t i = 0; i < mRooms.size(); ++i)
        if (mRooms[i].first == room) {
            // Kept alive while its destroy signal runs: a listener may still ask for it.
            boost::shared_ptr<ZRKRoomState> gone = mRooms[i].second;
            gone->destroy();
            for (auto it = mRooms.begin(); it != mRooms.end(); ++it)
                if (it->second == gone) {
                    mRooms.erase(it);
                    break;
                }
            return;
        }
}

void ZRKGameData::dropRoomStates()
{
    while (!mRooms.empty())
        dropRoomState(mRooms.back().first);
}

ZRKRoomState* ZRKGameData::latestRoomState() const { return mRooms.empty() ? nullptr : mRooms.back().second.get(); }

void ZRKGameData::deliverRoomReplays()
{
    // A copy: a listener may leave a room while it is told.
    const auto rooms = mRooms;
    for (const auto& r : rooms)
        r.second->deliverReplays();
}

const Json::Value& ZRKGameData::viewJson(const std::string& name) const
{
    static const Json::Value none;
    auto it = mViews.find(name);
    return it == mViews.end() ? none : it->second.json();
}

core::XmlConfigHelper ZRKGameData::view(const std::string& name) const
{
    auto it = mViews.find(name);
    if (it == mViews.end())
        return core::XmlConfigHelper();
    const View& v = it->second;
    if (!v.settingsMade) {
        v.settings = ZRKJson::toView(v.json());
        v.settingsMade = true;
    }
    return v.settings;
}

core::XmlConfigHelper ZRKGameData::liveView(const std::string& name)
{
    ZRKGameData* data = getSingletonPtr();
    return data ? data->view(name) : core::XmlConfigHelper();
}

} // namespace zrk
} // namespace kavri3D
