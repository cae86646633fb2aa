#pragma once
#include <json/json.h>
#include <map>
#include <string>
#include "land/LandRecord.h"

namespace kavri3D {
namespace zrk {

/// The item records a battle uses, by item id.
class LandItems {
public:
    void add(const std::string& id, const Json::Value& record);
    bool has(const std::string& id) const { return mRecords.count(id) > 0; }
    /// The record (an object), or an empty record when the id is unknown.
    LandRecord record(const std::string& id) const;
    std::size_t size() const { return mRecords.size(); }
    void clear() { mRecords.clear(); }

private:
    std::map<std::string, Json::Value> mRecords;
};

} // namespace zrk
} // namespace kavri3D
