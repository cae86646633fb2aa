#include "BattlePanelHost.h"

#include <CEGUI/CEGUI.h>
#include <cmath>
#include <cstdio>

#include "CeguiText.h"

namespace kavri3D {
namespace zrk {
namespace gui {

BattlePanelHost::BattlePanelHost(ParamStore& params, ParentSource parent)
    : GuiPage(kKind, "BattlePanel", "Battle", params, std::move(parent))
{
    setFrameArea(0.0f, 0.80f, 0.55f, 1.0f);
}

void BattlePanelHost::show()
{
    setVisible(true);
    if (CEGUI::Window* w = window())
        w->setAlwaysOnTop(true);
}

bool BattlePanelHost::isShown() const
{
    const CEGUI::Window* w = window();
    return w && w->isVisible();
}

void BattlePanelHost::update(float dt)
{
    if (std::isfinite(dt) && dt > 0.0f)
        mSeconds += dt;
}

void BattlePanelHost::line(int team, const std::string&, const std::string& nickname, const std::string& msg, bool)
{
    if (team == -3) {
        mLines.clear(); // a new battle starts with an empty bar
    } else {
        mLines.push_back(nickname.empty() ? msg : nickname + ": " + msg);
        while (mLines.size() > kLines)
            mLines.pop_front();
    }
    redraw();
}

void BattlePanelHost::next(int first, int second)
{
    char text[64];
    std::snprintf(text, sizeof text, "weapon %d: %d", first, second);
    line(-1, std::string(), std::string(), text, true);
}

void BattlePanelHost::setRadarSize(float width, float height)
{
    mRadarWidth = width;
    mRadarHeight = height;
}

void BattlePanelHost::setRadarOrientation(float x, float y)
{
    mRadarX = x;
    mRadarY = y;
}

void BattlePanelHost::redraw()
{
    if (!isShown())
        return; // drawn afresh when shown
    destroyWindow();
    show();
}

void BattlePanelHost::buildContent(CEGUI::Window& frame)
{
    const float h = 1.0f / static_cast<float>(kLines);
    for (std::size_t i = 0; i < kLines; ++i) {
        const std::string text = i < mLines.size() ? mLines[i] : std::string();
        CEGUI::Window* w = addWidget(frame, "TaharezLook/StaticText", ("Line" + std::to_string(i)).c_str(), text, 0.02f,
                                     h * static_cast<float>(i), 0.96f, h);
        w->setProperty("FrameEnabled", "false");
        w->setProperty("BackgroundEnabled", "false");
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
