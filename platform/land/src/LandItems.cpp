#include "land/LandItems.h"

namespace kavri3D {
namespace zrk {

void LandItems::add(const std::string& id, const Json::Value& record)
{
    if (id.empty())
        return;
    if (!record.isObject()) {
        LandRecord::warn("item " + id + " has no record; the defaults are used");
        mRecords[id] = Json::Value(Json::objectValue);
        return;
    }
    mRecords[id] = record;
}

LandRecord LandItems::record(const std::string& id) const
{
    static const Json::Value empty(Json::objectValue);
    auto it = mRecords.find(id);
    return it == mRecords.end() ? LandRecord(empty, "item " + id) : LandRecord(it->second, "item " + id);
}

} // namespace zrk
} // namespace kavri3D
