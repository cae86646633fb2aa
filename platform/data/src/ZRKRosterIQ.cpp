#include "data/ZRKRosterIQ.h"

#include <yake/Logger.h>

namespace kavri3D {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("ZRKRosterIQ");
} // namespace
namespace zrk {

void ZRKRosterIQ::load(const Json::Value& roster)
{
    mRoster.clear();
    std::size_t skipped = 0;
    if (roster.isArray())
        for (const Json::Value& entry : roster) {
            const Json::Value& fuid = entry.isObject() ? entry["fuid"] : Json::Value::nullSingleton();
            if (!fuid.isString() || fuid.asString().empty() || mRoster.size() >= kMaxEntries ||
                mRoster.count(fuid.asString())) {
                ++skipped;
                continue;
            }
            mRoster.emplace(fuid.asString(), ZRKRosterItem(entry));
        }
    else if (!roster.isNull())
        ++skipped;
    if (skipped)
        logLine(Severity::Warning, std::to_string(skipped) + " roster entries unreadable or over the limit: left out");
    ++mLoads;
    mLoaded();
}

void ZRKRosterIQ::clear() { mRoster.clear(); }

core::XmlConfigHelper ZRKRosterIQ::getRosterItem(const std::string& fuid) const
{
    auto it = mRoster.find(fuid);
    return it == mRoster.end() ? core::XmlConfigHelper() : it->second.getView();
}

} // namespace zrk
} // namespace kavri3D
