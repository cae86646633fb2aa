#include "PveHalfTimePage.h"

#include <CEGUI/CEGUI.h>

#include <text/CeguiText.h>

namespace kavri3D {
namespace zrk {
namespace gui {

namespace {
const std::string kComing = "The next stage begins by itself in a moment.";
} // namespace

PveHalfTimePage::PveHalfTimePage(ParamStore& params, ParentSource parent)
    : GuiPage(kKind, "HalfTimePage", "Half time", params, std::move(parent))
{
    setFrameArea(0.2f, 0.28f, 0.8f, 0.58f);
}

void PveHalfTimePage::setStages(const std::string& won, const std::string& next)
{
    mWon = won;
    mNext = next;
    // Made afresh with the new lines; shown when the manager shows the screen.
    const bool shown = isShown();
    destroyWindow();
    if (shown)
        setVisible(true);
}

bool PveHalfTimePage::isShown() const
{
    const CEGUI::Window* w = window();
    return w && w->isVisible();
}

void PveHalfTimePage::buildContent(CEGUI::Window& frame)
{
    const struct {
        const char* name;
        const std::string& text;
        float y, h;
    } kLines[] = {{"Won", mWon, 0.08f, 0.3f}, {"Next", mNext, 0.42f, 0.25f}, {"Coming", kComing, 0.7f, 0.22f}};
    for (const auto& l : kLines) {
        CEGUI::Window* w = addWidget(frame, "TaharezLook/StaticText", l.name, std::string(), 0.04f, l.y, 0.92f, l.h);
        w->setProperty("FrameEnabled", "false");
        w->setProperty("BackgroundEnabled", "false");
        w->setProperty("HorzFormatting", "WordWrapCentreAligned");
        w->setText(outsideText(l.text)); // a mission's name is the data's: shown as written
    }
    frame.getChild("Won")->setProperty("TextColours", "tl:FFFFD040 tr:FFFFD040 bl:FFFFD040 br:FFFFD040");
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
