#pragma once
#include <boost/shared_ptr.hpp>
#include <string>
#include "battle/BattleRoom.h"

namespace kavri3D {
namespace zrk {

class ZRKBasicSim;

/// The head bubbles over the battle's figures (one per doll or NPC with a figure, while the
/// fight runs) and the own doll's sight.
class BattleBubbles {
public:
    explicit BattleBubbles(BattleRoom& room);
    ~BattleBubbles();
    BattleBubbles(const BattleBubbles&) = delete;
    BattleBubbles& operator=(const BattleBubbles&) = delete;

    void update();
    void refresh(ZRKBasicSim* sim);
    void refreshCombos();
    /// The sight and every bubble go (before the land goes).
    void destroy();
    void setSightMode(int mode);
    void showSight(bool visible);
    void updateSight(float dt);
    void createSight();
    void destroySight();
    bool isSightActive() const;
    BattleRoom::ZRKSightingPanel* getSightingPanel() const { return mSight.get(); }

private:
    BattleRoom& mRoom;
    boost::shared_ptr<BattleRoom::ZRKSightingPanel> mSight;
};

} // namespace zrk
} // namespace kavri3D
