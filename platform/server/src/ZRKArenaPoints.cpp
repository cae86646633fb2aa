#include "server/ZRKArenaPoints.h"

#include <util/JsonText.h>

namespace kavri3D {
namespace zrk {

namespace {
const std::size_t kMaxFile = 64 * 1024;

bool whole(const Json::Value& v, long long& out)
{
    if (!v.isInt64() || v.asInt64() < 0 || v.asInt64() > ZRKArenaPoints::kLimit)
        return false;
    out = v.asInt64();
    return true;
}
} // namespace

bool ZRKArenaPoints::load(const std::string& path, std::string& why)
{
    mWon = mLost = 0;
    Json::Value doc;
    if (!core::JsonText::readFile(path, doc, why, kMaxFile)) {
        why = why.substr(0, why.find('\n'));
        return false;
    }
    return read(doc, why);
}

bool ZRKArenaPoints::read(const Json::Value& doc, std::string& why)
{
    mWon = mLost = 0;
    const Json::Value& points = doc.isObject() ? doc["points"] : Json::Value::nullSingleton();
    long long won = 0, lost = 0;
    if (!points.isObject() || !whole(points["won"], won) || !whole(points["lost"], lost)) {
        why = "\"points\" must hold \"won\" and \"lost\", each 0 to " + std::to_string(kLimit);
        return false;
    }
    mWon = won;
    mLost = lost;
    return true;
}

} // namespace zrk
} // namespace kavri3D
