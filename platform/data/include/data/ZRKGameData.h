#pragma once
#include <json/json.h>
#include <map>
#include <memory>
#include <string>
#include <util/Singleton.h>
#include <util/XmlConfigHelper.h>
#include "data/ZRKInventory.h"
#include "data/ZRKQuestLib.h"
#include "data/ZRKServer.h"

namespace kavri3D {
namespace zrk {

/// What the client knows of the game: the result views of the last replies by name
/// ("userInfo/<user>", "pc", "inventory", "lib/<name>"...), the libraries, the inventory
/// and the server object. Replies replace whole views.
class ZRKGameData : public Singleton<ZRKGameData> {
public:
    ZRKGameData();
    ~ZRKGameData();

    /// Replaces each named view by its value; `views` must be an object, else nothing
    /// changes.
    void applyViews(const Json::Value& views);
    /// Forgets every view (at log-out).
    void clear();

    bool hasView(const std::string& name) const { return mViews.count(name) > 0; }
    /// The view's value, null when there is none.
    const Json::Value& viewJson(const std::string& name) const;
    /// The view as settings, empty when there is none.
    core::XmlConfigHelper view(const std::string& name) const;

    /// A part of the live game data (`&ZRKGameData::questLib`...), null without one.
    template <class T>
    static T* part(T& (ZRKGameData::*get)())
    {
        ZRKGameData* data = getSingletonPtr();
        return data ? &(data->*get)() : nullptr;
    }
    /// A view of the live game data, empty without one.
    static core::XmlConfigHelper liveView(const std::string& name);

    ZRKQuestLib& questLib() { return mQuest; }
    ZRKDataLib& purposeLib() { return mPurpose; }
    ZRKDataLib& bluDrillLib() { return mBluDrill; }
    ZRKDataLib& titleLib() { return mTitle; }
    ZRKDataLib& honorLib() { return mHonor; }
    ZRKDataLib& statsLib() { return mStats; }
    ZRKInventory& inventory() { return mInventory; }
    ZRKServer& server() { return mServer; }

private:
    struct View {
        Json::Value value;
        core::XmlConfigHelper settings;
    };
    std::map<std::string, View> mViews;
    ZRKQuestLib mQuest;
    ZRKDataLib mPurpose{"purpose"};
    ZRKDataLib mBluDrill{"bluDrill"};
    ZRKDataLib mTitle{"title"};
    ZRKDataLib mHonor{"honor"};
    ZRKDataLib mStats{"stats"};
    ZRKInventory mInventory;
    ZRKServer mServer;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ZRKGameData);
