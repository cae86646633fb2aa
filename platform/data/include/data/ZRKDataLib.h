#pragma once
#include <json/json.h>
#include <string>
#include <util/XmlConfigHelper.h>
#include "data/ZRKRequestOwner.h"

namespace kavri3D {
namespace zrk {

/// One of the game's data libraries (items, maps, NPCs, quests, titles...): its records are
/// the result view "lib/<name>", which the server sends again when the library refreshes.
class ZRKDataLib {
public:
    explicit ZRKDataLib(const std::string& name);
    virtual ~ZRKDataLib();

    const std::string& getName() const { return mName; }
    /// Asks the server for the library again; the records change when the answer is in.
    void refresh();

    /// The records: an object by id or an array (null before the first answer).
    const Json::Value& records() const;
    std::size_t size() const;
    /// The record of an id (an object member, or the array entry whose "id" matches); an
    /// empty view when there is none.
    core::XmlConfigHelper find(const std::string& id) const;
    /// The record of an id as sent; null when there is none.
    const Json::Value& findRecord(const std::string& id) const;

private:
    std::string mName;
    ZRKRequestOwner mRequests;
};

/// The item library: the templates of every item by id.
class ZRKItemLib : public ZRKDataLib {
public:
    explicit ZRKItemLib(const std::string& name = "item") : ZRKDataLib(name) {}
    /// The record of an item; an empty view when there is none.
    core::XmlConfigHelper findItem(long id) const { return find(std::to_string(id)); }
    /// Fills `out` with the record of an item; false (and `out` left as it was) for none.
    bool findItem(long id, core::XmlConfigHelper& out) const;
    /// Brings the library in step with the server's items: they are asked for again (unless
    /// that is already on its way), and items the server added since get their records when
    /// the answer is in.
    void sync();
    /// A sync is on its way.
    bool isSyncing() const;

private:
    long mSyncHandle = 0;
    ZRKRequestOwner mSync;
};

// The map and weapon libraries have their own headers.
typedef ZRKDataLib ZRKNpcLib;

} // namespace zrk
} // namespace kavri3D
