#pragma once
#include <string>
#include <core/IEventHandler.h>

namespace kavri3D {
namespace zrk {

class BattleRoom;

/// NPC events for the battle room: an NPC's bubble changes (NpcBubble, NpcKilled). Acts only while the
/// land is loaded and not finished; the room's filter sees each event first.
class EvtNpcHandler : public core::IEventHandler {
public:
    explicit EvtNpcHandler(BattleRoom& room) : mRoom(room) {}
    std::string getName() const override { return "BattleRoom_EvtNpcHandler"; }
    bool handle(const core::Event& event) override;

private:
    BattleRoom& mRoom;
};

} // namespace zrk
} // namespace kavri3D
