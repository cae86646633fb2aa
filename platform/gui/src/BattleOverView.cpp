#include "BattleOverView.h"

#include <CEGUI/CEGUI.h>
#include <cstdio>

#include "CeguiText.h"

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
constexpr float kRowHeight = 0.075f;
constexpr float kTop = 0.08f;

CEGUI::Window* label(CEGUI::Window& parent, const std::string& name, const std::string& text, float x0, float y0,
                     float x1, float y1)
{
    CEGUI::Window* w = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/StaticText", toCeguiString(name));
    w->setArea(CEGUI::URect(CEGUI::UDim(x0, 0), CEGUI::UDim(y0, 0), CEGUI::UDim(x1, 0), CEGUI::UDim(y1, 0)));
    w->setProperty("FrameEnabled", "false");
    w->setProperty("BackgroundEnabled", "false");
    w->setText(toCeguiString(text));
    parent.addChild(w);
    return w;
}
} // namespace

BattleOverView::BattleOverView(ParamStore& params, ParentSource parent)
    : GuiPage(kKind, "BattleOverPage", "Battle over", params, std::move(parent))
{
}

void BattleOverView::setResult(const std::vector<PlayerRecord>& players, int tactic, const std::vector<AwardBoxItem>& awards)
{
    mPlayers = players;
    mTactic = tactic;
    mAwards = awards;
    rebuild();
}

void BattleOverView::setSummary(int winner)
{
    mWinner = winner;
    rebuild();
}

bool BattleOverView::isShown() const
{
    const CEGUI::Window* w = window();
    return w && w->isVisible();
}

void BattleOverView::rebuild()
{
    destroyWindow();
    setVisible(true);
}

void BattleOverView::buildContent(CEGUI::Window& frame)
{
    const std::string result = mWinner < 0 ? "Draw" : "Side " + std::to_string(mWinner) + " wins";
    label(frame, "Result", result, 0.03f, 0.0f, 0.97f, kTop);
    float y = kTop;
    for (std::size_t i = 0; i < mPlayers.size(); ++i, y += kRowHeight) {
        const PlayerRecord& p = mPlayers[i];
        const std::string row = "Row" + std::to_string(i);
        label(frame, row + "Team", p.team ? "Red" : "Blue", 0.03f, y, 0.13f, y + kRowHeight);
        label(frame, row + "Name", p.nickname + (p.me ? " (me)" : ""), 0.13f, y, 0.40f, y + kRowHeight);
        CEGUI::Window* bar =
            CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/ProgressBar", toCeguiString(row + "Hp"));
        bar->setArea(CEGUI::URect(CEGUI::UDim(0.40f, 0), CEGUI::UDim(y + 0.015f, 0), CEGUI::UDim(0.60f, 0),
                                  CEGUI::UDim(y + kRowHeight - 0.015f, 0)));
        static_cast<CEGUI::ProgressBar*>(bar)->setProgress(p.hp);
        frame.addChild(bar);
        char counters[128];
        std::snprintf(counters, sizeof counters, "shots %d  hits %d  damage %d  kills %d", p.shots, p.hits, p.damage, p.kills);
        label(frame, row + "Counters", counters, 0.62f, y, 0.97f, y + kRowHeight);
    }
    y += 0.02f;
    label(frame, "AwardsTitle", mAwards.empty() ? "No awards" : "Awards", 0.03f, y, 0.97f, y + kRowHeight);
    y += kRowHeight;
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    for (std::size_t i = 0; i < mAwards.size() && y < 0.95f; ++i, y += kRowHeight) {
        const AwardBoxItem& a = mAwards[i];
        const std::string row = "Award" + std::to_string(i);
        if (!a.icon.empty() && images.isDefined(toCeguiString(a.icon))) {
            CEGUI::Window* icon =
                CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/StaticImage", toCeguiString(row + "Icon"));
            icon->setArea(CEGUI::URect(CEGUI::UDim(0.03f, 0), CEGUI::UDim(y, 0), CEGUI::UDim(0.09f, 0),
                                       CEGUI::UDim(y + kRowHeight, 0)));
            icon->setProperty("Image", toCeguiString(a.icon));
            frame.addChild(icon);
        }
        label(frame, row + "Name", a.name + "  x" + std::to_string(a.bi_num), 0.10f, y, 0.97f, y + kRowHeight);
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
