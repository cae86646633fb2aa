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
        const std::string name = it.name();
        View& v = mViews[name];
        v.value = std::move(*it);
        v.settingsMade = false;
        if (name == "inventory")
            mInventory.assign(&v.value); // the view stays in place until the next one replaces it
        else if (name == "zones" || name == "rooms" || name == "zoneRandom")
            mServer.onListView(name, v.value);
        else if (name.compare(0, 9, "userInfo/") == 0)
            mAvatars.putAvatar(name.substr(9), ZRKJson::toView(v.value));
    }
}

void ZRKGameData::clear()
{
    mInventory.clear();
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

void ZRKGameData::dropRoomState(const std::string& room)
{
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
    return it == mViews.end() ? none : it->second.value;
}

core::XmlConfigHelper ZRKGameData::view(const std::string& name) const
{
    auto it = mViews.find(name);
    if (it == mViews.end())
        return core::XmlConfigHelper();
    const View& v = it->second;
    if (!v.settingsMade) {
        v.settings = ZRKJson::toView(v.value);
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
