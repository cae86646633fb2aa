#pragma once
#include <string>
#include <util/XmlConfigHelper.h>
#include "land/NpcBattleState.h"

namespace kavri3D {
namespace zrk {

/// An NPC's record: its name, what the map says of it ("npc_name" ...) and its battle state.
class ZRKNpcState {
public:
    /// NPC ids begin with this; player ids never do.
    static constexpr const char* kPrefix = "npc#";
    static bool isNpcName(const std::string& id);

    explicit ZRKNpcState(const std::string& name) : mName(name) {}
    const std::string& getName() const { return mName; }
    core::XmlConfigHelper& getInfo() { return mInfo; }
    const core::XmlConfigHelper& getInfo() const { return mInfo; }
    NpcBattleState& getBattleState() { return mBattle; }
    const NpcBattleState& getBattleState() const { return mBattle; }

private:
    std::string mName;
    core::XmlConfigHelper mInfo;
    NpcBattleState mBattle;
};

} // namespace zrk
} // namespace kavri3D
