#pragma once
#include <string>
#include <core/IEventHandler.h>

namespace kavri3D {
namespace zrk {

class BattleRoom;

/// The land's events 6501 to 6509 for the battle room: the guide text before the fight
/// (6507) and the server's resynchronisation or end of the battle (6508). The room's filter
/// sees each event first.
class EvtLandHandler : public core::IEventHandler {
public:
    static constexpr int kFirst = 6501;
    static constexpr int kLast = 6509;

    explicit EvtLandHandler(BattleRoom& room) : mRoom(room) {}
    std::string getName() const override { return "EvtLandHandler"; }
    /// True when the event was one of the land's (consumed), false for any other.
    bool handle(const core::Event& event) override;

private:
    void guideText(const core::Event& event);
    void syncOrAbort(const core::Event& event);

    BattleRoom& mRoom;
};

} // namespace zrk
} // namespace kavri3D
