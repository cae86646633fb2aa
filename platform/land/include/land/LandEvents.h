#pragma once
#include <map>
#include <string>
#include <vector>
#include <yake/Logger.h>
#include "land/LandEventId.h"
#include "land/ZRKLand.h"

namespace kavri3D {
namespace zrk {

/// What the land tells: each numbered event (land/LandEventId.h) goes first to the previews of its type (one may
/// keep it), then to the engine's event manager. The own doll's status carries what scripts
/// hung on the doll; other dolls' statuses go nowhere.
class LandEvents {
public:
    explicit LandEvents(ZRKLand& land) : mLand(land) {}
    LandEvents(const LandEvents&) = delete;
    LandEvents& operator=(const LandEvents&) = delete;

    using Severity = yake::logging::Severity;
    /// The land's log line.
    static void log(Severity severity, const std::string& text);

    /// A new event of the type, by its name in the table only.
    core::EventPtr make(LandEventId::Id type) const;
    void addPreview(int type, const ZRKLand::EventPreview& preview);
    void post(const core::EventPtr& event);
    /// The own doll's status (OwnStatus) with the attribute set, or none for a bare status.
    void postStatus(ZRKPlayerSim& doll, const std::string& attr);
    void postStatus(ZRKPlayerSim& doll, const core::EventPtr& event);
    /// The sim's head bubble needs drawing again.
    void postBubble(const ZRKBasicSim& sim);
    /// A change of the target's health: below 0 a hit, above 0 healing of the type.
    void postHit(const ZRKBasicSim& target, int health, int flags, const std::string& hitter, const std::string& type);
    /// A battle message (BattleMessage), as ZRKLand::_reportMsg2 describes it.
    void postMessage(const std::string& uid, const std::string& msg, const std::vector<std::string>& argv, int team,
                     int local, int res);

private:
    ZRKLand& mLand;
    std::map<int, std::vector<ZRKLand::EventPreview>> mPreviews;
};

} // namespace zrk
} // namespace kavri3D
