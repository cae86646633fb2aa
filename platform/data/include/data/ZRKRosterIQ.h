#pragma once
#include <boost/signals2/connection.hpp>
#include <boost/signals2/signal.hpp>
#include <json/json.h>
#include <map>
#include <string>
#include <util/XmlConfigHelper.h>
#include "data/ZRKRosterItem.h"

namespace kavri3D {
namespace zrk {

/// The player's friend roster as the last roster reply or notice gave it: entries by "fuid",
/// and a signal each time it is loaded anew (once per load).
class ZRKRosterIQ {
public:
    typedef std::map<std::string, ZRKRosterItem> RosterMap;
    typedef boost::signals2::signal<void()> LoadSignal;

    /// At most this many entries are kept; the server refuses more.
    static constexpr std::size_t kMaxEntries = 200;

    /// Takes a roster (a list of entries); an entry that is no object or has no text "fuid" is
    /// left out, as is a second entry of one "fuid". Anything but a list empties the roster.
    /// The load signal fires once.
    void load(const Json::Value& roster);
    void clear();

    /// A copy of the roster, by "fuid".
    RosterMap getRosterMap() const { return mRoster; }
    /// The entry of that "fuid"; an empty view when there is none.
    core::XmlConfigHelper getRosterItem(const std::string& fuid) const;
    std::size_t size() const { return mRoster.size(); }
    /// How many times the roster was loaded.
    unsigned loads() const { return mLoads; }

    boost::signals2::connection subscribeToLoadSignal(const LoadSignal::slot_type& slot)
    {
        return mLoaded.connect(slot);
    }

private:
    RosterMap mRoster;
    LoadSignal mLoaded;
    unsigned mLoads = 0;
};

} // namespace zrk
} // namespace kavri3D
