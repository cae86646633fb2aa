#pragma once
#include <string>
#include <land/ZRKBasicSim.h>

namespace kavri3D {
namespace zrk {

/// What a head bubble shows of its character: the fixed texts and level, read once, and
/// health, energy, colour and buffs, read live so the bubble may poll them every frame.
class BubbleInfoProvider {
public:
    virtual ~BubbleInfoProvider() = default;
    virtual const std::string& getName() const = 0;
    /// May be empty.
    virtual const std::string& getTitle() const = 0;
    /// The team colour code.
    virtual int getColour() const = 0;
    virtual ZRKBasicSim* getSim() const = 0;
    /// 0 for an NPC.
    virtual int getLevel() const = 0;
    virtual void getHp(int& hp, int& xhp) const = 0;
    virtual void getSp(int& sp, int& xsp) const = 0;
    virtual const ZRKBasicSim::BuffIcons& getBuffIcons() const = 0;
    virtual bool isShown() const = 0;
    /// The layout file of the bubble.
    virtual const std::string& getLayoutName() const = 0;
};

} // namespace zrk
} // namespace kavri3D
