#include "BoxPanel.h"

#include <CEGUI/CEGUI.h>
#include <cmath>

#include "CeguiText.h"

namespace kavri3D {
namespace zrk {
namespace gui {

BoxPanel::BoxPanel(int kind, const std::string& windowName, const std::string& title, ParamStore& params, ParentSource parent)
    : GuiPage(kind, windowName, title, params, std::move(parent))
{
    setFrameArea(0.2f, 0.15f, 0.8f, 0.75f);
}

void BoxPanel::setOffers(const std::vector<IBattleOver::BoxOffer>& offers)
{
    mOffers = offers;
    redraw();
}

void BoxPanel::setCountDown(float start, float end)
{
    mStart = start;
    mEnd = end;
    mLeft = std::isfinite(end - start) && end > start ? static_cast<int>(std::ceil(end - start)) : 0;
    redraw();
}

void BoxPanel::setSlots(const std::vector<IBattleOver::AwardSlot>& slots)
{
    mSlots = slots;
    redraw();
}

void BoxPanel::update(float now)
{
    const float left = mEnd - now;
    const int seconds = std::isfinite(left) && left > 0.0f ? static_cast<int>(std::ceil(left)) : 0;
    if (seconds == mLeft)
        return;
    mLeft = seconds;
    if (CEGUI::Window* w = window())
        if (w->isChild("CountDown"))
            w->getChild("CountDown")->setText(toCeguiString(std::to_string(mLeft) + " s"));
}

bool BoxPanel::isShown() const
{
    const CEGUI::Window* w = window();
    return w && w->isVisible();
}

void BoxPanel::redraw()
{
    destroyWindow();
    setVisible(true);
}

void BoxPanel::buildContent(CEGUI::Window& frame)
{
    addWidget(frame, "TaharezLook/StaticText", "CountDown", std::to_string(mLeft) + " s", 0.80f, 0.0f, 0.18f, 0.1f);
    const float w = mOffers.empty() ? 0.0f : 0.96f / static_cast<float>(mOffers.size());
    for (std::size_t i = 0; i < mOffers.size(); ++i) {
        const IBattleOver::BoxOffer& o = mOffers[i];
        addWidget(frame, "TaharezLook/Button", ("Box" + std::to_string(i)).c_str(),
                  "Box " + std::to_string(o.b_id) + " (" + std::to_string(o.b_price) + ")", 0.02f + w * static_cast<float>(i),
                  0.12f, w - 0.01f, 0.15f);
    }
    float y = 0.32f;
    for (std::size_t i = 0; i < mSlots.size() && y < 0.95f; ++i, y += 0.08f) {
        const IBattleOver::AwardSlot& s = mSlots[i];
        if (s.playerId.empty())
            continue;
        const std::string text = s.nickname + (s.me ? " (me)" : "") + ": " +
                                 (s.index < 0 ? s.award.name : "box " + std::to_string(s.index + 1) + ", " + s.award.name +
                                                                      " x" + std::to_string(s.award.bi_num));
        addWidget(frame, "TaharezLook/StaticText", ("Slot" + std::to_string(i)).c_str(), text, 0.02f, y, 0.96f, 0.08f);
    }
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
