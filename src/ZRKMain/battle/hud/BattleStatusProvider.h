#pragma once
#include <string>
#include <vector>
#include <gui/IBattlePanel.h>
#include <land/DemesneState.h>

namespace kavri3D {
namespace zrk {

class BattleRoom;

/// What the battle screen reads every frame of the room's land: the seats, the own skills,
/// clock, scores, count-down and wind, the own bags and the crates on the radar. Nicknames
/// clipped to the bar, bag icons and the wind text are kept and made again only when the land
/// changes what they come from.
class BattleStatusProvider : public gui::IBattleStatus {
public:
    /// Pixels a nickname may take on the bar.
    static constexpr float kNicknameWidth = 55.0f;

    explicit BattleStatusProvider(BattleRoom& room) : mRoom(room) {}

    void getPlayerList(PlayerEntry* entries, int n) override;
    void getSkillStates(SkillEntry* entries, int& count) override;
    void getBattleStatus(BattleStatus& status) override;
    void getBags(Bags& bags) override;
    void getCrateMarks(std::vector<CrateMark>& marks) override;

    /// The text clipped to `width` pixels of the default font: whole UTF-8 characters are taken
    /// off its end until it fits with an ellipsis; a text that fits stays whole.
    static std::string clipToWidth(const std::string& text, float width);
    /// How often nicknames were measured (tests).
    int getNicknameBuilds() const { return mNicknameBuilds; }

private:
    BattleRoom& mRoom;
    bool mNicknamesBuilt = false;
    int mDollCount = 0;
    std::vector<std::string> mNicknames;
    Bags mBagCache;
    int mBagItems[kWeaponSlots] = {}; ///< the item of each weapon slot the icons were read for
    int mLastScenario = -1;
    int mLastAlive = -1;
    DemesneState mDemesne;
    float mLastWind = 0.0f;
    std::string mWindText = "0.0";
    bool mFirstStatusSent = false;
    int mNicknameBuilds = 0;
};

} // namespace zrk
} // namespace kavri3D
