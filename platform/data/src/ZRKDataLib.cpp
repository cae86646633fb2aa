#include "data/ZRKDataLib.h"

#include "data/ZRKGameData.h"
#include "data/ZRKJson.h"
#include "data/ZRKRequestBroker.h"

namespace kavri3D {
namespace zrk {

ZRKDataLib::ZRKDataLib(const std::string& name) : mName(name) {}

ZRKDataLib::~ZRKDataLib() = default;

void ZRKDataLib::refresh() { mRequests.track(ZRKRequestBroker::call("ZRKDataLib", "refreshLib", ZRKReply(), mName)); }

const Json::Value& ZRKDataLib::records() const
{
    static const Json::Value none;
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    return data ? data->viewJson("lib/" + mName) : none;
}

std::size_t ZRKDataLib::size() const
{
    const Json::Value& r = records();
    return r.isObject() || r.isArray() ? r.size() : 0;
}

core::XmlConfigHelper ZRKDataLib::find(const std::string& id) const
{
    const Json::Value& record = findRecord(id);
    return record.isNull() ? core::XmlConfigHelper() : ZRKJson::toView(record);
}

const Json::Value& ZRKDataLib::findRecord(const std::string& id) const
{
    const Json::Value& r = records();
    if (r.isObject())
        return ZRKJson::member(r, id);
    if (r.isArray())
        for (const Json::Value& entry : r) {
            const Json::Value& key = ZRKJson::member(entry, "id");
            if ((key.isString() && key.asString() == id) || (key.isInt() && std::to_string(key.asInt()) == id))
                return entry;
        }
    return Json::Value::nullSingleton();
}

bool ZRKItemLib::findItem(long id, core::XmlConfigHelper& out) const
{
    const std::string key = std::to_string(id);
    const Json::Value& r = records();
    bool found = r.isObject() && ZRKJson::member(r, key).isObject();
    if (r.isArray())
        for (const Json::Value& entry : r) {
            const Json::Value& k = ZRKJson::member(entry, "id");
            found = found || (k.isString() && k.asString() == key) || (k.isInt() && std::to_string(k.asInt()) == key);
        }
    if (found)
        out = find(key);
    return found;
}

void ZRKItemLib::sync()
{
    if (isSyncing())
        return;
    mSyncHandle = mSync.track(ZRKRequestBroker::call("ZRKItemLib", "refreshLib", ZRKReply(), getName()));
}

bool ZRKItemLib::isSyncing() const
{
    ZRKRequestBroker* broker = ZRKRequestBroker::getSingletonPtr();
    return mSyncHandle != 0 && broker && broker->isPending(mSyncHandle);
}

} // namespace zrk
} // namespace kavri3D
