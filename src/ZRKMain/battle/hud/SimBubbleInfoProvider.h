#pragma once
#include <string>
#include "battle/hud/BubbleInfoProvider.h"

namespace kavri3D {
namespace zrk {

class ZRKNpcSim;
class ZRKPlayerSim;

/// A bubble's information over a battle sim (the land owns the sim and outlives the bubble).
/// A player doll shows its nickname, title and level value plus one in "bubble.layout"; an NPC
/// its "npc_name" at level 0 in "bubble1.layout". The texts are taken when the provider is
/// made: a changed nickname shows on the next bubble.
class SimBubbleInfoProvider : public BubbleInfoProvider {
public:
    explicit SimBubbleInfoProvider(ZRKPlayerSim& doll);
    explicit SimBubbleInfoProvider(ZRKNpcSim& npc);

    const std::string& getName() const override { return mName; }
    const std::string& getTitle() const override { return mTitle; }
    int getColour() const override { return mSim->getColour(); }
    ZRKBasicSim* getSim() const override { return mSim; }
    int getLevel() const override { return mLevel; }
    void getHp(int& hp, int& xhp) const override;
    void getSp(int& sp, int& xsp) const override;
    const ZRKBasicSim::BuffIcons& getBuffIcons() const override { return mSim->getBuffIcons(); }
    /// False while the sim's bubble is hidden (flag 0x200000).
    bool isShown() const override;
    const std::string& getLayoutName() const override { return mLayoutName; }

private:
    ZRKBasicSim* mSim;
    std::string mName;
    std::string mLayoutName;
    std::string mTitle;
    int mLevel = 0;
};

} // namespace zrk
} // namespace kavri3D
