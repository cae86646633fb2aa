#pragma once
#include <deque>
#include <vector>
#include <string>
#include <gui/IBattlePanel.h>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The "Battle" panel: a bar at the foot of the screen with the battle's last message lines,
/// the seats (name, health and energy in team colour), clock, scores, count-down and wind, the
/// own health, energy and fury, the skills, the radar with its dots and crates, the weapons and
/// props. It pulls the battle's status every frame while shown, and holds the windows the
/// battle's counters and notices use ("battle/hpnum2", "Battle/blank", "PlayFrm/BigArmFrm",
/// "PropsContainer/block_z"...). It keeps what the battle room hands it for tests to read.
class BattlePanelHost : public GuiPage, public IBattlePanelHost, public IBattlePanel {
public:
    static constexpr int kKind = 31;
    static constexpr std::size_t kLines = 4;
    /// The most characters a message line of the bar holds (two rows of the bar's small font).
    static constexpr std::size_t kLineChars = 90;
    BattlePanelHost(ParamStore& params, ParentSource parent);

    // IBattlePanelHost
    void show() override;
    void hide() override { setVisible(false); }
    bool isShown() const override;
    void update(float dt) override;
    IBattlePanel* getPanel() override { return this; }
    float getTop() const override;

    // IBattlePanel
    void line(int team, const std::string& uid, const std::string& nickname, const std::string& msg,
              bool local) override;
    void next(int first, int second) override;
    void setRadarSize(float width, float height) override;
    void setRadarScale(float scale) override { mRadarScale = scale; }
    void setRadarOrientation(float x, float y) override;
    /// The manager made or is about to destroy an image: the wind vane's picture is shown
    /// while it exists.
    void onImage(const std::string& name, bool defined);
    /// A new battle's status: nothing of the last battle's own numbers, run or bags stays.
    void setStatusProvider(boost::shared_ptr<IBattleStatus> status) override;
    void setTurnSeconds(float seconds) override { mSetup[0] = seconds; }
    void setMode(int mode) override { mSetup[1] = static_cast<float>(mode); }
    void setLineSeconds(float seconds) override { mSetup[2] = seconds; }
    void setFlags(int flags) override { mSetup[3] = static_cast<float>(flags); }
    void setStage(int stage) override { mSetup[4] = static_cast<float>(stage); }
    void setHealth(float hp, float xhp, float xsp, float sp) override;
    float getHealth() const override { return mOwn[0]; }
    void setFury(float fury, float xfury) override;
    void setComboState(int shown) override { mComboShown = shown; }
    void setCarom(int carom) override { mCarom = carom; }
    /// A lesson that may be left says how on the bar's title.
    void setNewbieLock(bool locked) override;
    bool isNewbieLocked() const { return mNewbieLock; }

    const std::deque<std::string>& lines() const { return mLines; }
    const float* setup() const { return mSetup; }
    float radarScale() const { return mRadarScale; }
    float radarX() const { return mRadarX; }
    float radarY() const { return mRadarY; }
    float frameSeconds() const { return mSeconds; }
    bool hasStatus() const { return static_cast<bool>(mStatus); }
    /// Own hp, xhp, xsp, sp, fury, xfury as last set (-1 before).
    const float* own() const { return mOwn; }
    int comboShown() const { return mComboShown; }
    int carom() const { return mCarom; }
    /// What the last pull drew.
    const IBattleStatus::BattleStatus& shownStatus() const { return mShown; }
    /// The last wave status of a mission the battle told (it tells it only when it changes);
    /// false while it has told none in this battle.
    bool hasPveStatus() const { return mHasPve; }
    const IBattleStatus::PVEStatus& pveStatus() const { return mPve; }
    /// The wave line as the bar shows it; empty outside a mission.
    std::string pveText() const;
    const std::vector<IBattleStatus::PlayerEntry>& shownSeats() const { return mSeats; }
    const IBattleStatus::Bags& shownBags() const { return mBags; }
    const std::vector<IBattleStatus::CrateMark>& shownCrates() const { return mCrates; }
    int pulls() const { return mPulls; }
    static constexpr int kSeats = 8;
    static constexpr int kSkills = 8;

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    void redraw();
    /// Forgets the last battle's own numbers, run and bags (a new battle starts).
    void forgetBattle();
    /// Loads the items' picture set when an item wants it and it is not there (once).
    void loadItemIcons();
    /// Pulls the status and draws it into the frame's windows.
    void pull();
    void draw();
    CEGUI::Window* part(const std::string& path) const;

    std::deque<std::string> mLines;
    boost::shared_ptr<IBattleStatus> mStatus;
    float mSetup[5] = {0, 0, 0, 0, 0};
    float mRadarScale = 0.0f;
    float mRadarWidth = 0.0f, mRadarHeight = 0.0f;
    float mRadarX = 0.0f, mRadarY = 0.0f;
    float mSeconds = 0.0f;
    float mOwn[6] = {-1, -1, -1, -1, -1, -1};
    int mComboShown = 1;
    int mCarom = 0;
    bool mNewbieLock = true; ///< a lesson that may be left says so on the bar's title
    IBattleStatus::BattleStatus mShown;
    IBattleStatus::PVEStatus mPve; ///< kept from pull to pull: told on change only
    bool mHasPve = false;
    std::vector<IBattleStatus::PlayerEntry> mSeats;
    std::vector<IBattleStatus::SkillEntry> mSkillStates;
    IBattleStatus::Bags mBags;
    std::vector<IBattleStatus::CrateMark> mCrates;
    int mPulls = 0;
    bool mIconsTried = false;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
