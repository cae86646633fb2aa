#include "BattleOverView.h"

#include <CEGUI/CEGUI.h>
#include <algorithm>
#include <cstdio>
#include <vector>

#include <text/CeguiText.h>

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
constexpr float kRowHeight = 0.075f;
constexpr float kTop = 0.08f;
// Pixels: the space around a cell's text, the health bar, the frame's borders.
constexpr float kCellPadding = 12.f;
constexpr float kBarWidth = 110.f;
constexpr float kFrameEdges = 24.f;

// Column edges of the players' rows: a fraction of the frame plus pixels.
typedef CEGUI::UDim Edge;

CEGUI::Window* label(CEGUI::Window& parent, const std::string& name, const std::string& text, Edge x0, float y0,
                     Edge x1, float y1)
{
    CEGUI::Window* w = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/StaticText", toCeguiString(name));
    w->setArea(CEGUI::URect(x0, CEGUI::UDim(y0, 0), x1, CEGUI::UDim(y1, 0)));
    w->setProperty("FrameEnabled", "false");
    w->setProperty("BackgroundEnabled", "false");
    w->setText(outsideText(text));
    parent.addChild(w);
    return w;
}
} // namespace

BattleOverView::BattleOverView(ParamStore& params, ParentSource parent)
    : GuiPage(kKind, "BattleOverPage", "Battle over", params, std::move(parent))
{
}

void BattleOverView::setResult(const std::vector<PlayerRecord>& players, int tactic,
                               const std::vector<AwardBoxItem>& awards)
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

void BattleOverView::setNote(const std::string& note)
{
    if (note == mNote)
        return;
    mNote = note;
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
    // The sides as the room page and the battle bar colour them: the land's side 1 sat in the
    // red seats, side 0 in the blue ones.
    const bool decided = mWinner == 0 || mWinner == 1;
    std::string result = !decided ? "Draw" : mWinner == 1 ? "Red wins" : "Blue wins";
    for (const PlayerRecord& p : mPlayers)
        if (p.me && decided)
            result += (p.team ? 1 : 0) == mWinner ? "   You win" : "   You lose";
    label(frame, "Result", result, Edge(0.03f, 0), 0.0f, Edge(0.97f, 0), kTop);
    float y = kTop;
    if (!mNote.empty()) {
        CEGUI::Window* note = label(frame, "Note", mNote, Edge(0.03f, 0), y, Edge(0.97f, 0), y + kRowHeight);
        note->setProperty("HorzFormatting", "WordWrapLeftAligned");
        y += kRowHeight;
    }

    // Each column as wide as its longest entry; the frame widens to hold them, up to the screen.
    struct Row {
        std::string team, name, counters;
    };
    std::vector<Row> rows;
    for (const PlayerRecord& p : mPlayers) {
        char counters[128];
        std::snprintf(counters, sizeof counters, "shots %d  hits %d  damage %d  kills %d", p.shots, p.hits, p.damage,
                      p.kills);
        rows.push_back(Row{p.team ? "Red" : "Blue", p.nickname + (p.me ? " (me)" : ""), counters});
    }
    const CEGUI::Font* font = CEGUI::System::getSingleton().getDefaultGUIContext().getDefaultFont();
    const auto extent = [font](const std::string& text) {
        return font ? font->getTextExtent(outsideText(text)) + kCellPadding : 100.f;
    };
    float widths[3] = {0, 0, 0};
    for (const Row& r : rows) {
        widths[0] = std::max(widths[0], extent(r.team));
        widths[1] = std::max(widths[1], extent(r.name));
        widths[2] = std::max(widths[2], extent(r.counters));
    }
    const float left = kCellPadding, barLeft = left + widths[0] + widths[1],
                countersLeft = barLeft + kBarWidth + kCellPadding;
    const float needed = countersLeft + widths[2] + 2 * kCellPadding + kFrameEdges;
    const CEGUI::Sizef screen = CEGUI::System::getSingleton().getRenderer()->getDisplaySize();
    const float shown = std::min(std::max(needed, frame.getWidth().d_scale * screen.d_width), screen.d_width - 20);
    frame.setXPosition(CEGUI::UDim(0.5f, -shown / 2));
    frame.setWidth(CEGUI::UDim(0, shown));

    for (std::size_t i = 0; i < rows.size(); ++i, y += kRowHeight) {
        const std::string row = "Row" + std::to_string(i);
        label(frame, row + "Team", rows[i].team, Edge(0, left), y, Edge(0, left + widths[0]), y + kRowHeight);
        label(frame, row + "Name", rows[i].name, Edge(0, left + widths[0]), y, Edge(0, barLeft), y + kRowHeight);
        CEGUI::Window* bar =
            CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/ProgressBar", toCeguiString(row + "Hp"));
        bar->setArea(CEGUI::URect(Edge(0, barLeft), CEGUI::UDim(y + 0.015f, 0), Edge(0, barLeft + kBarWidth),
                                  CEGUI::UDim(y + kRowHeight - 0.015f, 0)));
        static_cast<CEGUI::ProgressBar*>(bar)->setProgress(mPlayers[i].hp);
        frame.addChild(bar);
        label(frame, row + "Counters", rows[i].counters, Edge(0, countersLeft), y, Edge(0, countersLeft + widths[2]),
              y + kRowHeight);
    }
    y += 0.02f;
    label(frame, "AwardsTitle", mAwards.empty() ? "No awards" : "Awards", Edge(0.03f, 0), y, Edge(0.97f, 0),
          y + kRowHeight);
    y += kRowHeight;
    CEGUI::ImageManager& images = CEGUI::ImageManager::getSingleton();
    for (std::size_t i = 0; i < mAwards.size() && y < 0.95f; ++i, y += kRowHeight) {
        const AwardBoxItem& a = mAwards[i];
        const std::string row = "Award" + std::to_string(i);
        if (!a.icon.empty() && images.isDefined(toCeguiString(a.icon))) {
            CEGUI::Window* icon = CEGUI::WindowManager::getSingleton().createWindow("TaharezLook/StaticImage",
                                                                                    toCeguiString(row + "Icon"));
            icon->setArea(CEGUI::URect(CEGUI::UDim(0.03f, 0), CEGUI::UDim(y, 0), CEGUI::UDim(0.09f, 0),
                                       CEGUI::UDim(y + kRowHeight, 0)));
            icon->setProperty("Image", toCeguiString(a.icon));
            frame.addChild(icon);
        }
        label(frame, row + "Name", a.name + "  x" + std::to_string(a.bi_num), Edge(0.10f, 0), y, Edge(0.97f, 0),
              y + kRowHeight);
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
