#pragma once
#include <deque>
#include <string>
#include <gui/IBattlePanel.h>
#include "GuiPage.h"

namespace kavri3D {
namespace zrk {
namespace gui {

/// The "Battle" panel: a bar at the foot of the screen with the battle's last message lines
/// and the radar's heading. It keeps what the battle room hands it for tests to read.
class BattlePanelHost : public GuiPage, public IBattlePanelHost, public IBattlePanel {
public:
    static constexpr int kKind = 31;
    static constexpr std::size_t kLines = 4;
    BattlePanelHost(ParamStore& params, ParentSource parent);

    // IBattlePanelHost
    void show() override;
    void hide() override { setVisible(false); }
    bool isShown() const override;
    void update(float dt) override;
    IBattlePanel* getPanel() override { return this; }

    // IBattlePanel
    void line(int team, const std::string& uid, const std::string& nickname, const std::string& msg, bool local) override;
    void next(int first, int second) override;
    void setRadarSize(float width, float height) override;
    void setRadarScale(float scale) override { mRadarScale = scale; }
    void setRadarOrientation(float x, float y) override;
    void setStatusProvider(boost::shared_ptr<IBattleStatus> status) override { mStatus = status; }
    void setTurnSeconds(float seconds) override { mSetup[0] = seconds; }
    void setMode(int mode) override { mSetup[1] = static_cast<float>(mode); }
    void setLineSeconds(float seconds) override { mSetup[2] = seconds; }
    void setFlags(int flags) override { mSetup[3] = static_cast<float>(flags); }
    void setStage(int stage) override { mSetup[4] = static_cast<float>(stage); }

    const std::deque<std::string>& lines() const { return mLines; }
    const float* setup() const { return mSetup; }
    float radarScale() const { return mRadarScale; }
    float radarX() const { return mRadarX; }
    float radarY() const { return mRadarY; }
    float frameSeconds() const { return mSeconds; }
    bool hasStatus() const { return static_cast<bool>(mStatus); }

protected:
    void buildContent(CEGUI::Window& frame) override;

private:
    void redraw();

    std::deque<std::string> mLines;
    boost::shared_ptr<IBattleStatus> mStatus;
    float mSetup[5] = {0, 0, 0, 0, 0};
    float mRadarScale = 0.0f;
    float mRadarWidth = 0.0f, mRadarHeight = 0.0f;
    float mRadarX = 0.0f, mRadarY = 0.0f;
    float mSeconds = 0.0f;
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
