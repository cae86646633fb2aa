#pragma once
#include <list>
#include <string>
#include <vector>
#include <json/json.h>
#include <util/XmlConfigHelper.h>
#include "battle/BattleRoom.h"

namespace kavri3D {
namespace zrk {

namespace gui {
class IBoxPanel;
class IGuiManager;
} // namespace gui

/// The end of a battle: the result told to the server, the result screen with the awards, the
/// half-time screens (box opening, the duplicate's pause) with their boxes, slots and count-down.
class BattleEnd {
public:
    typedef BattleRoom::AwardBoxItem AwardBoxItem;
    typedef BattleRoom::AwardSlot AwardSlot;
    typedef BattleRoom::BoxOffer BoxOffer;

    explicit BattleEnd(BattleRoom& room) : mRoom(room) {}
    BattleEnd(const BattleEnd&) = delete;
    BattleEnd& operator=(const BattleEnd&) = delete;

    /// A new scene: no awards, slots, stage or result screen.
    void clear();
    /// A new land (a mission's next stage is one): its result is neither told nor shown yet.
    void forgetResult()
    {
        mResultReported = false;
        mBattleOverShown = false;
    }
    /// The battle is decided: the win or loss prompt, the boss sweep and the result to the server.
    void onResult();
    /// The fight is over: the heads-up display goes, the result screen comes, half time waits.
    void onBattleOver();
    void onHalfTime(int stage);
    void onPlayerStateChanged();
    /// Every frame: the box screen's count-down.
    void updateBoxPanel();
    /// The box screen and the sweep are over (the battle is reset).
    void closeBoxPanel();

    AwardBoxItem fillAwardRecord(int id, int type, int num) const;
    std::vector<AwardBoxItem> mergeAwards(const Json::Value& awards) const;
    void buildAwardSlots();
    void fillBoxList();
    void fillBoxList(const std::list<core::XmlConfigHelper>& boxes);

    const std::vector<AwardBoxItem>& getAwards() const { return mAwards; }
    const std::vector<AwardSlot>& getAwardSlots() const { return mAwardSlots; }
    bool isBattleOverShown() const { return mBattleOverShown; }
    bool isResultReported() const { return mResultReported; }
    int getHalfTimeStage() const { return mHalfTimeStage; }
    gui::IBoxPanel* getBoxPanel() const { return mBoxPanel; }
    float getBoxPanelStart() const { return mBoxPanelStart; }
    float getBoxPanelEnd() const { return mBoxPanelEnd; }
    float getSweepEnd() const { return mSweepEnd; }

private:
    void reportResult();
    void readAwards();
    void showBattleOver();
    /// The half-time screen says which stage of the mission was won and which comes next.
    void tellStages(gui::IGuiManager& gui);
    static std::string awardIcon(int type);

    BattleRoom& mRoom;
    std::vector<AwardBoxItem> mAwards;
    std::vector<AwardSlot> mAwardSlots;
    int mHalfTimeStage = -1; ///< the stage last shown; -1 none
    gui::IBoxPanel* mBoxPanel = nullptr;
    float mBoxPanelStart = -1.0f;
    float mBoxPanelEnd = -1.0f;
    double mBoxPanelOrigin = 0.0; ///< the clock's time when the box screen opened
    float mSweepEnd = -1.0f;
    bool mBattleOverShown = false;
    bool mResultReported = false;
};

} // namespace zrk
} // namespace kavri3D
